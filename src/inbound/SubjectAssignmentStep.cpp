#include "inbound/SubjectAssignmentStep.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/TextHelpers.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr std::size_t kNameField = 2;
constexpr long kComparedNameLength = 80;
// Every assignment carries 240 minutes a week: 4 hours, one "1" per hour in SESIONES.
constexpr double kWeeklyHours = 4.0;
constexpr const char* kSessions = "1111";
constexpr const char* kTaskFlag = "1";

// What an ASIGT row takes from its group row.
struct Group {
    std::string code;
    std::string level;
    std::string course;
    std::string group;
};

// The form in which subject names are compared: a-z upper-cased, then trimmed.
std::string ComparableName(std::string_view name) {
    return TrimBlanks(UpperCaseAsciiLetters(name));
}

// Subject code by comparable NOMBRE; the first row of a name wins, so subject rows (stored
// first) win over activity rows of the same name.
std::unordered_map<std::string, std::string> IndexSubjectCodes(const DbfTable& subjectNames) {
    std::unordered_map<std::string, std::string> codeByName;
    for (std::size_t row = 0; row < subjectNames.RecordCount(); ++row) {
        codeByName.try_emplace(ComparableName(subjectNames.Text(row, "NOMBRE")),
                               subjectNames.Text(row, "COD"));
    }
    return codeByName;
}

// The groups by their stored CLAVECURSO, each list in stored order.
std::unordered_map<std::string, std::vector<Group>> IndexGroupsByCourse(const DbfTable& groups) {
    std::unordered_map<std::string, std::vector<Group>> byCourse;
    for (std::size_t row = 0; row < groups.RecordCount(); ++row) {
        byCourse[groups.Text(row, "CLAVECURSO")].push_back(
            Group{groups.Text(row, "ABREV"), groups.Text(row, "NIVEL"),
                  groups.Text(row, "CURSO"), groups.Text(row, "GRUPO")});
    }
    return byCourse;
}

void AppendAssignment(DbfTable& assignments, const std::string& subjectCode,
                      const std::string& subjectKey, const std::string& courseKey,
                      const Group& group) {
    const std::size_t row = assignments.Append();
    assignments.SetText(row, "CASIG", subjectCode);
    assignments.SetText(row, "CGRUP", group.code);
    assignments.SetText(row, "CAULA", "");
    assignments.SetText(row, "TURNO", "");
    assignments.SetText(row, "NIVEL", group.level);
    assignments.SetText(row, "CURSO", group.course);
    assignments.SetText(row, "GRUPO", group.group);
    assignments.SetFloat(row, "HORAS", kWeeklyHours);
    assignments.SetText(row, "SESIONES", kSessions);
    assignments.SetText(row, "CLAVE", subjectKey);
    assignments.SetText(row, "CLAVECURSO", courseKey);
    assignments.SetText(row, "CTAREA", kTaskFlag);
}

}  // namespace

void RunSubjectAssignmentStep(InboundContext& ctx) {
    DbfTable assignments = RebuildWorkTable(ctx.workDir, layouts::ASIGT);
    DbfTable groupTable = DbfTable::Open(ctx.workDir / layouts::GRUPOST.fileName,
                                         TableAccess::Exclusive);
    DbfTable subjectNameTable = DbfTable::Open(ctx.workDir / layouts::ASIGNOMT.fileName,
                                               TableAccess::Exclusive);
    const auto groupsByCourse = IndexGroupsByCourse(groupTable);
    const auto codeByName = IndexSubjectCodes(subjectNameTable);

    for (const ExchangeRecord& record : ctx.document.Records("MATERIAS")) {
        // Records without a name field (fewer than three fields) name no subject.
        if (record.FieldCount() <= kNameField) continue;
        const std::string courseKey = TrimBlanks(record.Field(0));
        const std::string subjectKey = TrimBlanks(record.Field(1));
        const std::string name = TrimBlanks(record.Field(kNameField));
        if (name.empty()) continue;

        const auto subject = codeByName.find(ComparableName(LeftChars(name, kComparedNameLength)));
        if (subject == codeByName.end() || subject->second.empty()) continue;
        const auto groups = groupsByCourse.find(courseKey);
        if (groups == groupsByCourse.end()) continue;
        for (const Group& group : groups->second) {
            AppendAssignment(assignments, subject->second, subjectKey, courseKey, group);
        }
    }

    assignments.Close();
    groupTable.Close();
    subjectNameTable.Close();
}

}  // namespace velmaro
