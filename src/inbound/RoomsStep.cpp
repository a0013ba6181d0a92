#include "inbound/RoomsStep.h"

#include "inbound/ShortRecords.h"
#include "inbound/StoredTextReport.h"
#include "inbound/UniqueCode.h"
#include "text/TextHelpers.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr std::string_view kSection = "DEPENDENCIAS";
constexpr std::size_t kMinimumFields = 2;
constexpr std::size_t kCodeField = 0;
constexpr std::size_t kNameField = 1;
constexpr long kCodeFromName = 6;  // characters of the name that stand in for a missing code
constexpr long kAbbreviation = 4;  // ABREV keeps the last four characters of the code

// The fields of AULAT.DBF the step sets, found once.
struct RoomFields {
    explicit RoomFields(const DbfTable& table)
        : abrev(table.Field(layouts::aulat::ABREV)),
          nombre(table.Field(layouts::aulat::NOMBRE)),
          depCentro(table.Field(layouts::aulat::DEPCENTRO)) {}
    DbfTable::FieldHandle abrev, nombre, depCentro;
};

void AppendRoom(DbfTable& table, const RoomFields& fields, const std::string& code,
                const std::string& name, const std::string& racimaCode) {
    const std::size_t row = table.Append();
    table.SetText(row, fields.abrev, RightChars(code, kAbbreviation));
    table.SetText(row, fields.nombre, name);
    table.SetText(row, fields.depCentro, racimaCode);
}

}  // namespace

void RunRoomsStep(InboundContext& context) {
    DbfTable table = RebuildWorkTable(context.workDir, layouts::AULAT);
    StoredTextReport stored(context.report, table, layouts::AULAT, kSection);
    const RoomFields fields(table);
    UniqueCodes roomCodes(CodeCase::Ignored, CodeLength::Unlimited);
    const std::vector<ExchangeRecord> records = context.document.Records(kSection);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ExchangeRecord& record = records[i];
        if (record.FieldCount() < kMinimumFields) {
            ReportShortRecord(context.report, kSection, i, record.FieldCount());
            continue;
        }
        stored.From(i);
        const std::string racimaCode = TrimBlanks(record.Field(kCodeField));
        const std::string name = TrimBlanks(record.Field(kNameField));
        const std::string wanted = racimaCode.empty() ? LeftChars(name, kCodeFromName) : racimaCode;
        const ClaimedCode code = roomCodes.Claim(wanted);
        if (code.suffixed) {
            context.report.Add(ReportKind::CodeSuffixed, SectionRecord(kSection, i),
                               {layouts::AULAT.fileName, layouts::aulat::ABREV, wanted, code.code});
        }
        AppendRoom(table, fields, code.code, name, racimaCode);
    }
    table.Close();
}

}  // namespace velmaro
