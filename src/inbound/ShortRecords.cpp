#include "inbound/ShortRecords.h"

#include "text/IntegerText.h"

namespace velmaro {

void ReportShortRecord(ConversionReport& report, std::string_view section, std::size_t position,
                       std::size_t fieldCount) {
    report.Add(ReportKind::ShortRecordSkipped, SectionRecord(section, position),
               {IntegerToText(static_cast<long long>(fieldCount))});
}

}  // namespace velmaro
