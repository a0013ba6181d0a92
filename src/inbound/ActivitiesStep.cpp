#include "inbound/ActivitiesStep.h"

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

void AppendActivity(DbfTable& table, const std::string& key, const std::string& name) {
    const std::size_t row = table.Append();
    table.SetText(row, "COD", key);
    table.SetText(row, "CODLARGO", LeftChars(name, kLongCodeFromName));
    table.SetText(row, "NOMBRE", name);
    table.SetText(row, "CODTAREA", key);
    table.SetLogical(row, "ESTAREA", true);
}

}  // namespace

void RunActivitiesStep(InboundContext& context) {
    const std::vector<ExchangeRecord> records = context.document.Records(kSection);
    DbfTable table =
        DbfTable::Open(context.workDir / layouts::ASIGNOMT.fileName, TableAccess::Shared);
    for (const ExchangeRecord& record : records) {
        if (record.FieldCount() < kMinimumFields) continue;
        AppendActivity(table, TrimBlanks(record.Field(kKeyField)),
                       TrimBlanks(record.Field(kNameField)));
    }
    table.Close();
    context.lists = SubjectNameLists{};
}

}  // namespace velmaro
