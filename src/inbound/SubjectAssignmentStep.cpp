#include "inbound/SubjectAssignmentStep.h"

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "inbound/StoredTextReport.h"
#include "text/TextHelpers.h"
#include "text/Utf8.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr std::size_t kComparedNameLength = 80;  // characters of a name that are compared
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

// Sets `comparable` to the form in which subject names are compared: a-z upper-cased, then
// trimmed.
void MakeComparableName(std::string_view name, std::string& comparable) {
    comparable.assign(name);
    UpperCaseAsciiLettersInPlace(comparable);
    TrimBlanksInPlace(comparable);
}

// Subject code by comparable NOMBRE; the first row of a name wins, so subject rows (stored
// first) win over activity rows of the same name.
std::unordered_map<std::string, std::string> IndexSubjectCodes(const DbfTable& subjectNames) {
    const DbfTable::FieldHandle name = subjectNames.Field(layouts::asignomt::NOMBRE);
    const DbfTable::FieldHandle code = subjectNames.Field(layouts::asignomt::COD);
    std::unordered_map<std::string, std::string> codeByName;
    std::string comparable;
    for (std::size_t row = 0; row < subjectNames.RecordCount(); ++row) {
        MakeComparableName(subjectNames.Text(row, name), comparable);
        codeByName.try_emplace(comparable, subjectNames.Text(row, code));
    }
    return codeByName;
}

// Groups by their stored CLAVECURSO, looked up with any text.
using GroupsByCourse = std::unordered_map<std::string, std::vector<Group>, TextHash, std::equal_to<>>;

// The groups by their stored CLAVECURSO, each list in stored order.
GroupsByCourse IndexGroupsByCourse(const DbfTable& groups) {
    const DbfTable::FieldHandle courseKey = groups.Field(layouts::grupost::CLAVECURSO);
    const DbfTable::FieldHandle code = groups.Field(layouts::grupost::ABREV);
    const DbfTable::FieldHandle level = groups.Field(layouts::grupost::NIVEL);
    const DbfTable::FieldHandle course = groups.Field(layouts::grupost::CURSO);
    const DbfTable::FieldHandle group = groups.Field(layouts::grupost::GRUPO);
    GroupsByCourse byCourse;
    for (std::size_t row = 0; row < groups.RecordCount(); ++row) {
        byCourse[groups.Text(row, courseKey)].push_back(
            Group{groups.Text(row, code), groups.Text(row, level), groups.Text(row, course),
                  groups.Text(row, group)});
    }
    return byCourse;
}

// The ASIGT table with its fields found once, for the many rows the step appends.
class AssignmentTable {
public:
    AssignmentTable(DbfTable table, ConversionReport& report)
        : table_(std::move(table)),
          subjectCode_(table_.Field(layouts::asigt::CASIG)),
          groupCode_(table_.Field(layouts::asigt::CGRUP)),
          room_(table_.Field(layouts::asigt::CAULA)),
          shift_(table_.Field(layouts::asigt::TURNO)),
          level_(table_.Field(layouts::asigt::NIVEL)),
          course_(table_.Field(layouts::asigt::CURSO)),
          group_(table_.Field(layouts::asigt::GRUPO)),
          hours_(table_.Field(layouts::asigt::HORAS)),
          sessions_(table_.Field(layouts::asigt::SESIONES)),
          subjectKey_(table_.Field(layouts::asigt::CLAVE)),
          courseKey_(table_.Field(layouts::asigt::CLAVECURSO)),
          taskFlag_(table_.Field(layouts::asigt::CTAREA)),
          stored_(report, table_, layouts::ASIGT, "MATERIAS") {}

    // Appends the assignments of a course's subject (the MATERIAS record at 0-based `position`)
    // to each of the course's groups, in order: the first row is filled field by field, the
    // others copy it and take their own group.
    void AppendForGroups(std::size_t position, const std::string& subjectCode,
                         std::string_view subjectKey, std::string_view courseKey,
                         const std::vector<Group>& groups) {
        stored_.From(position);
        std::optional<std::size_t> first;
        for (const Group& group : groups) {
            const std::size_t row = first ? table_.AppendCopyOf(*first) : table_.Append();
            if (!first) {
                SetSubjectFields(row, subjectCode, subjectKey, courseKey);
                first = row;
            }
            SetGroupFields(row, group);
        }
    }

    // Writes ASIGT.DBF and closes it.
    void Close() { table_.Close(); }

private:
    // Sets the fields of `row` that come from the subject and its course.
    void SetSubjectFields(std::size_t row, const std::string& subjectCode,
                          std::string_view subjectKey, std::string_view courseKey) {
        table_.SetText(row, subjectCode_, subjectCode);
        table_.SetText(row, room_, "");
        table_.SetText(row, shift_, "");
        table_.SetFloat(row, hours_, kWeeklyHours);
        table_.SetText(row, sessions_, kSessions);
        table_.SetText(row, subjectKey_, subjectKey);
        table_.SetText(row, courseKey_, courseKey);
        table_.SetText(row, taskFlag_, kTaskFlag);
    }

    // Sets the fields of `row` that come from the group.
    void SetGroupFields(std::size_t row, const Group& group) {
        table_.SetText(row, groupCode_, group.code);
        table_.SetText(row, level_, group.level);
        table_.SetText(row, course_, group.course);
        table_.SetText(row, group_, group.group);
    }

    DbfTable table_;  // ASIGT.DBF
    // Its fields, in table order.
    DbfTable::FieldHandle subjectCode_, groupCode_, room_, shift_, level_, course_, group_, hours_,
        sessions_, subjectKey_, courseKey_, taskFlag_;
    StoredTextReport stored_;
};

}  // namespace

void RunSubjectAssignmentStep(InboundContext& ctx) {
    AssignmentTable assignments(RebuildWorkTable(ctx.workDir, layouts::ASIGT), ctx.report);
    DbfTable groupTable =
        DbfTable::Open(ctx.workDir / layouts::GRUPOST.fileName, TableAccess::Exclusive);
    DbfTable subjectNameTable =
        DbfTable::Open(ctx.workDir / layouts::ASIGNOMT.fileName, TableAccess::Exclusive);
    const auto groupsByCourse = IndexGroupsByCourse(groupTable);
    const auto codeByName = IndexSubjectCodes(subjectNameTable);

    std::string comparable;  // the record's name as compared, reused from record to record
    for (const SubjectRecordFields& record : ctx.subjectRecords.Of(ctx.document)) {
        const std::string_view comparedName(record.name.data(),
                                            Utf8Offset(record.name, kComparedNameLength));
        MakeComparableName(comparedName, comparable);
        const auto subject = codeByName.find(comparable);
        if (subject == codeByName.end() || subject->second.empty()) continue;
        const auto groups = groupsByCourse.find(record.courseKey);
        if (groups == groupsByCourse.end()) continue;
        assignments.AppendForGroups(record.position, subject->second, record.subjectKey,
                                    record.courseKey, groups->second);
    }

    assignments.Close();
    groupTable.Close();
    subjectNameTable.Close();
}

}  // namespace velmaro
