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
    records_.reserve(document.RecordCount(kSection));
    std::array<std::string_view, kNameField + 1> fields;
    document.ForEachRecord(kSection, [&](const ExchangeRecord& record) {
        record.ReadFieldViews(fields);
        for (std::string_view& field : fields) field = TrimBlanksView(field);
        if (fields[kNameField].empty()) return;
        records_.push_back({fields[kCourseKeyField], fields[kSubjectKeyField], fields[kNameField]});
    });
    read_ = true;
    return records_;
}

}  // namespace velmaro
