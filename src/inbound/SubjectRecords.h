#pragma once
// The named records of the MATERIAS section, read from the document once for the two steps
// that walk them (subject names and subject assignments).

#include <cstddef>
#include <string_view>
#include <vector>

#include "exchange/ExchangeDocument.h"

namespace velmaro {

// One MATERIAS record's first three fields, each trimmed of blanks: views into the exchange
// document's texts, valid while the document lives.
struct SubjectRecordFields {
    std::string_view courseKey;
    std::string_view subjectKey;
    std::string_view name;     // empty only for the records Unnamed lists
    std::size_t position = 0;  // the record's 0-based position in MATERIAS
};

// The MATERIAS records that name a subject, in document order, read on first request. A record
// names a subject when its third field, trimmed, is not empty; the others are left out.
class SubjectRecords {
public:
    // The named records of `document`'s MATERIAS section; reads them on the first call.
    const std::vector<SubjectRecordFields>& Of(const ExchangeDocument& document);
    // The records left out for want of a name, in document order; reads them on the first call.
    const std::vector<SubjectRecordFields>& Unnamed(const ExchangeDocument& document);

private:
    void Read(const ExchangeDocument& document);

    bool read_ = false;
    std::vector<SubjectRecordFields> records_;
    std::vector<SubjectRecordFields> unnamed_;
};

}  // namespace velmaro
