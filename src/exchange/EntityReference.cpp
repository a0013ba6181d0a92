#include "exchange/EntityReference.h"

#include <libxml/entities.h>
#include <libxml/tree.h>

namespace velmaro {

const _xmlEntity* InternalEntityOf(const _xmlNode* reference) {
    // libxml2 links a reference node to the entity's declaration through its children pointer.
    const auto* entity = reinterpret_cast<const xmlEntity*>(reference->children);
    if (entity == nullptr || entity->type != XML_ENTITY_DECL ||
        entity->etype != XML_INTERNAL_GENERAL_ENTITY) {
        return nullptr;
    }
    return entity;
}

}  // namespace velmaro
