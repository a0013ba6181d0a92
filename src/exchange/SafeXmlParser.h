#pragma once
// TEMPORARY (see LegacyDom.h): reading an XML file into a libxml2 tree without touching anything
// outside that file.

#include <filesystem>

struct _xmlDoc;

namespace velmaro {

// Parses the file at `path` into a new libxml2 document (the caller frees it with xmlFreeDoc).
// The declared encoding is decoded; no external entity, external DTD or network resource is
// read; entity expansion stays within libxml2's amplification limits. Throws Error naming the
// file when it is missing, a folder, unreadable, empty or not well-formed (with the line, the
// column and the parser's reason).
_xmlDoc* ParseXmlFileSafely(const std::filesystem::path& path);

}  // namespace velmaro
