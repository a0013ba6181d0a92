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
    Read(document);
    return records_;
}

const std::vector<SubjectRecordFields>& SubjectRecords::Unnamed(const ExchangeDocument& document) {
    Read(document);
    return unnamed_;
}

void SubjectRecords::Read(const ExchangeDocument& document) {
    if (read_) return;
    records_.reserve(document.RecordCount(kSection));
    std::array<std::string_view, kNameField + 1> fields;
    std::size_t position = 0;
    document.ForEachRecord(kSection, [&](const ExchangeRecord& record) {
        record.ReadFieldViews(fields);
        for (std::string_view& field : fields) field = TrimBlanksView(field);
        const SubjectRecordFields read{fields[kCourseKeyField], fields[kSubjectKeyField],
                                       fields[kNameField], position++};
        (read.name.empty() ? unnamed_ : records_).push_back(read);
    });
    read_ = true;
}

}  // namespace velmaro
