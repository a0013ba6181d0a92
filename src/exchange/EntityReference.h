#pragma once
// TEMPORARY (see LegacyDom.h): what an entity reference in a parsed libxml2 tree stands for.

struct _xmlEntity;
struct _xmlNode;

namespace velmaro {

// The internal general entity that the reference node `reference` stands for, or null when it
// stands for an external entity (never loaded) or an undeclared one.
const _xmlEntity* InternalEntityOf(const _xmlNode* reference);

}  // namespace velmaro
