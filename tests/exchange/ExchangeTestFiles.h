#pragma once
// Small document files loaded for the exchange-document tests, and their values read back.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/ExchangeDocument.h"
#include "support/ScratchFolder.h"

namespace velmaro::testing {

// Loads a document written from `xml` into a fresh temporary folder.
inline ExchangeDocument LoadXml(std::string_view xml) {
    const ScratchFolder folder;
    return ExchangeDocument::Load(folder.File("intercambio.xml", xml));
}

// Every field value of `record`, by position.
inline std::vector<std::string> FieldsOf(const ExchangeRecord& record) {
    std::vector<std::string> fields;
    for (std::size_t k = 0; k < record.FieldCount(); ++k) fields.push_back(record.Field(k));
    return fields;
}

// Every field value of every record of `section`, record by record.
inline std::vector<std::vector<std::string>> SectionValues(const ExchangeDocument& document,
                                                           std::string_view section) {
    std::vector<std::vector<std::string>> values;
    for (const ExchangeRecord& record : document.Records(section)) {
        values.push_back(FieldsOf(record));
    }
    return values;
}

}  // namespace velmaro::testing
