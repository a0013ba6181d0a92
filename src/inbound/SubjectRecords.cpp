#include "inbound/SubjectRecords.h"

#include <array>
#include <cstddef>

#include "text/TextHelpers.h"

namespace velmaro {

namespace {

constexpr std::string_view kSection = "MATERIAS";
constexpr std::size_t kCourseKeyField = 0;
constexpr std::size_t kSubjectKeyField = 1;
constexpr std::size_t kNameField = 2;

}  // namespace

const std::vector<SubjectRecordFields>& SubjectRecords::Of(const ExchangeDocument& document) {
    if (read_) return records_;
    // The fields are read into the same strings record after record; only named records are
    // copied out.
    std::array<std::string, kNameField + 1> fields;
    document.ForEachRecord(kSection, [&](const ExchangeRecord& record) {
        record.ReadFields(fields);
        for (std::string& field : fields) TrimBlanksInPlace(field);
        if (fields[kNameField].empty()) return;
        records_.push_back({fields[kCourseKeyField], fields[kSubjectKeyField], fields[kNameField]});
    });
    read_ = true;
    return records_;
}

}  // namespace velmaro
