// TEMPORARY: see LegacyDom.h.
#include "exchange/LegacyDom.h"

#include <libxml/tree.h>

#include "exchange/SafeXmlParser.h"

namespace velmaro {

void LegacyDom::DocDeleter::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

LegacyDom LegacyDom::Load(const std::filesystem::path& path) {
    return LegacyDom(ParseXmlFileSafely(path));
}

}  // namespace velmaro
