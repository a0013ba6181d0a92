#pragma once
// Whole numbers read from the values of exchange-document records, with the place of the value
// in the message when the text is not one.

#include <string_view>

#include "base/Error.h"
#include "exchange/ExchangeDocument.h"

namespace velmaro {

// The whole number written in `text`, a value of `record` of section `section` of `document`
// that stands for `meaning` ("clave del curso"). Throws NotAnIntegerValue(...) for any other
// text.
int RecordValueInteger(const ExchangeDocument& document, const ExchangeRecord& record,
                       std::string_view section, std::string_view meaning, std::string_view text);

// The error for `text`, a value of `record` as the document has it, that is not a whole number:
// "El documento '<path>', línea <line> (sección <section>, <meaning>): '<text>' is not a valid
// integer value".
Error NotAnIntegerValue(const ExchangeDocument& document, const ExchangeRecord& record,
                        std::string_view section, std::string_view meaning, std::string_view text);

}  // namespace velmaro
