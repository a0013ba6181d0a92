#include "inbound/TeachersStep.h"

#include <array>

#include "inbound/ShortRecords.h"
#include "inbound/StoredTextReport.h"
#include "inbound/UniqueCode.h"
#include "text/TextHelpers.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr std::string_view kSection = "EMPLEADOS";
constexpr std::size_t kMinimumFields = 2;
constexpr std::size_t kEmployeeKeyField = 0;
constexpr std::size_t kDateField = 1;
constexpr std::array<std::size_t, 3> kNameFields = {3, 4, 5};

// The stored name and the initials (before uniqueness) of one employee.
struct TeacherName {
    std::string name;
    std::string initials;
};

// NOMBRE from the trimmed parts; the initials from the parts as the document gives them, so a
// part that starts with a blank contributes that blank.
TeacherName ReadTeacherName(const ExchangeRecord& record) {
    std::array<std::string, 3> parts;
    std::string initials;
    for (std::size_t i = 0; i < kNameFields.size(); ++i) {
        const std::string raw = record.Field(kNameFields[i]);
        initials += LeftChars(raw, 1);
        parts[i] = TrimBlanks(raw);
    }
    return {parts[0] + " " + parts[1] + ", " + parts[2], initials};
}

// The fields of PROFT.DBF the step sets, found once.
struct TeacherFields {
    explicit TeacherFields(const DbfTable& table)
        : abrev(table.Field(layouts::proft::ABREV)),
          nombre(table.Field(layouts::proft::NOMBRE)),
          depart(table.Field(layouts::proft::DEPART)),
          xEmpleado(table.Field(layouts::proft::X_EMPLEADO)),
          fTomaPos(table.Field(layouts::proft::F_TOMAPOS)) {}
    DbfTable::FieldHandle abrev, nombre, depart, xEmpleado, fTomaPos;
};

void AppendTeacher(DbfTable& table, const TeacherFields& fields, const std::string& code,
                   const TeacherName& teacher, const ExchangeRecord& record) {
    const std::size_t row = table.Append();
    table.SetText(row, fields.abrev, code);
    table.SetText(row, fields.nombre, teacher.name);
    table.SetText(row, fields.depart, "");
    table.SetText(row, fields.xEmpleado, TrimBlanks(record.Field(kEmployeeKeyField)));
    table.SetText(row, fields.fTomaPos, TrimBlanks(record.Field(kDateField)));
}

}  // namespace

void RunTeachersStep(InboundContext& context) {
    DbfTable table = RebuildWorkTable(context.workDir, layouts::PROFT);
    StoredTextReport stored(context.report, table, layouts::PROFT, kSection);
    const TeacherFields fields(table);
    UniqueCodes teacherCodes(CodeCase::Ignored, CodeLength::ShortenToTen);
    const std::vector<ExchangeRecord> records = context.document.Records(kSection);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ExchangeRecord& record = records[i];
        if (record.FieldCount() < kMinimumFields) {
            ReportShortRecord(context.report, kSection, i, record.FieldCount());
            continue;
        }
        stored.From(i);
        const TeacherName teacher = ReadTeacherName(record);
        const ClaimedCode code = teacherCodes.Claim(teacher.initials);
        if (code.suffixed) {
            context.report.Add(ReportKind::CodeSuffixed, SectionRecord(kSection, i),
                               {layouts::PROFT.fileName, layouts::proft::ABREV, teacher.initials,
                                code.code});
        }
        AppendTeacher(table, fields, code.code, teacher, record);
    }
    table.Close();
}

}  // namespace velmaro
