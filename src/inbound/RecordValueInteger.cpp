#include "inbound/RecordValueInteger.h"

#include <string>

#include "base/Error.h"
#include "base/QuotedPath.h"
#include "text/IntegerText.h"

namespace velmaro {

int RecordValueInteger(const ExchangeDocument& document, const ExchangeRecord& record,
                       std::string_view section, std::string_view meaning, std::string_view text) {
    try {
        return ParseInteger(text);
    } catch (const Error& error) {
        throw Error("El documento " + Quoted(document.Path()) + ", línea " +
                    std::to_string(record.Line()) + " (sección " + std::string(section) + ", " +
                    std::string(meaning) + "): " + error.what());
    }
}

}  // namespace velmaro
