#include "inbound/ActivitiesStep.h"

#include "inbound/ShortRecords.h"
#include "inbound/StoredTextReport.h"
#include "text/TextHelpers.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {

namespace {

constexpr std::string_view kSection = "ACTIVIDADES";
constexpr std::size_t kMinimumFields = 2;
constexpr std::size_t kKeyField = 1;
constexpr std::size_t kNameField = 2;
constexpr long kLongCodeFromName = 10;  // characters of the name that go to CODLARGO

// The fields of ASIGNOMT.DBF the step sets, found once.
struct ActivityFields {
    explicit ActivityFields(const DbfTable& table)
        : cod(table.Field(layouts::asignomt::COD)),
          codLargo(table.Field(layouts::asignomt::CODLARGO)),
          nombre(table.Field(layouts::asignomt::NOMBRE)),
          codTarea(table.Field(layouts::asignomt::CODTAREA)),
          esTarea(table.Field(layouts::asignomt::ESTAREA)) {}
    DbfTable::FieldHandle cod, codLargo, nombre, codTarea, esTarea;
};

void AppendActivity(DbfTable& table, const ActivityFields& fields, const std::string& key,
                    const std::string& name) {
    const std::size_t row = table.Append();
    table.SetText(row, fields.cod, key);
    table.SetText(row, fields.codLargo, LeftChars(name, kLongCodeFromName));
    table.SetText(row, fields.nombre, name);
    table.SetText(row, fields.codTarea, key);
    table.SetLogical(row, fields.esTarea, true);
}

}  // namespace

void RunActivitiesStep(InboundContext& context) {
    const std::vector<ExchangeRecord> records = context.document.Records(kSection);
    DbfTable table =
        DbfTable::Open(context.workDir / layouts::ASIGNOMT.fileName, TableAccess::Shared);
    StoredTextReport stored(context.report, table, layouts::ASIGNOMT, kSection);
    // CODLARGO holds the start of the name, whose changes NOMBRE reports.
    stored.Ignore(layouts::asignomt::CODLARGO);
    const ActivityFields fields(table);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ExchangeRecord& record = records[i];
        if (record.FieldCount() < kMinimumFields) {
            ReportShortRecord(context.report, kSection, i, record.FieldCount());
            continue;
        }
        stored.From(i);
        AppendActivity(table, fields, TrimBlanks(record.Field(kKeyField)),
                       TrimBlanks(record.Field(kNameField)));
    }
    table.Close();
    context.lists = SubjectNameLists{};
}

}  // namespace velmaro
