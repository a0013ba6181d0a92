#include "inbound/RecordValueInteger.h"

#include <string>

#include "base/QuotedPath.h"
#include "text/IntegerText.h"

namespace velmaro {

int RecordValueInteger(const ExchangeDocument& document, const ExchangeRecord& record,
                       std::string_view section, std::string_view meaning, std::string_view text) {
    try {
        return ParseInteger(text);
    } catch (const Error&) {
        throw NotAnIntegerValue(document, record, section, meaning, text);
    }
}

Error NotAnIntegerValue(const ExchangeDocument& document, const ExchangeRecord& record,
                        std::string_view section, std::string_view meaning, std::string_view text) {
    return Error("El documento " + Quoted(document.Path()) + ", línea " +
                 std::to_string(record.Line()) + " (sección " + std::string(section) + ", " +
                 std::string(meaning) + "): " + NotAnIntegerMessage(text));
}

}  // namespace velmaro
