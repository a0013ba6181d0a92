#include "inbound/CoursesAndGroupsStep.h"

#include <cstddef>
#include <string>
#include <unordered_map>

#include "inbound/UniqueCode.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"
#include "text/Utf8.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr const char* kReferenceTableFile = "NIVELLARI.DBF";
constexpr const char* kUnknownLevel = "Niv";
constexpr std::size_t kMinimumFields = 2;
constexpr std::size_t kGroupCodeLength = 10;

// Level and study of one reference row.
struct LevelAndStudy {
    std::string level;
    std::string study;
};

// What a unit takes from its course row.
struct CourseData {
    std::string level;
    std::string course;
    std::string study;
};

// The reference table, read once: X_OFERTAMATRIG -> its first row's level and study.
std::unordered_map<int, LevelAndStudy> ReadReferenceTable(const std::filesystem::path& programDir) {
    DbfTable reference = DbfTable::Open(programDir / kReferenceTableFile, TableAccess::Shared);
    std::unordered_map<int, LevelAndStudy> byKey;
    for (std::size_t row = 0; row < reference.RecordCount(); ++row) {
        // A row without a key can equal no course key.
        if (reference.Text(row, "X_OFERTAMATRIG").empty()) continue;
        byKey.try_emplace(reference.Integer(row, "X_OFERTAMATRIG"),
                          LevelAndStudy{reference.Text(row, "NIVEL_ABREV"),
                                        reference.Text(row, "ESTUDIO")});
    }
    reference.Close();
    return byKey;
}

void WriteCourses(InboundContext& ctx, DbfTable& courses) {
    const std::unordered_map<int, LevelAndStudy> reference = ReadReferenceTable(ctx.programDir);
    for (const ExchangeRecord& record : ctx.document.Records("CURSOS_DEL_CENTRO")) {
        if (record.FieldCount() < kMinimumFields) continue;
        const std::string key = TrimBlanks(record.Field(0));
        const auto found = reference.find(ParseInteger(key));
        std::string level = found != reference.end() ? found->second.level : std::string();
        const std::string study = found != reference.end() ? found->second.study : std::string();
        if (level.empty()) level = kUnknownLevel;
        const std::string courseLetter = LeftChars(TrimBlanks(record.Field(1)), 1);

        const std::size_t row = courses.Append();
        courses.SetText(row, "CLAVE", key);
        courses.SetText(row, "NIVEL", level);
        courses.SetText(row, "CURSO", courseLetter);
        courses.SetText(row, "ESTUD", study);
    }
}

// The course rows as stored, by CLAVE; the first row of a key wins.
std::unordered_map<std::string, CourseData> IndexCourses(const DbfTable& courses) {
    std::unordered_map<std::string, CourseData> byKey;
    for (std::size_t row = 0; row < courses.RecordCount(); ++row) {
        byKey.try_emplace(courses.Text(row, "CLAVE"),
                          CourseData{courses.Text(row, "NIVEL"), courses.Text(row, "CURSO"),
                                     courses.Text(row, "ESTUD")});
    }
    return byKey;
}

// The first ten non-blank characters of the unit name, the tenth replaced by the name's last
// character; fewer than ten: all of them.
std::string CodeFromUnitName(const std::string& unitName) {
    std::string code;
    std::size_t collected = 0;
    for (std::size_t pos = 0; pos < unitName.size() && collected < kGroupCodeLength;) {
        const std::size_t length = Utf8CharLength(unitName, pos);
        if (unitName[pos] != ' ') {
            code.append(unitName, pos, length);
            ++collected;
        }
        pos += length;
    }
    if (collected == kGroupCodeLength) {
        code = LeftChars(code, kGroupCodeLength - 1) + RightChars(unitName, 1);
    }
    return code;
}

std::string GroupDescription(const std::string& unitName, const CourseData& course,
                             const std::string& group) {
    if (course.study.empty()) return " " + course.level + " " + course.course + " " + group;
    return "(" + unitName + ") " + course.study;
}

void WriteGroups(InboundContext& ctx, const DbfTable& courses, DbfTable& groups) {
    const std::unordered_map<std::string, CourseData> courseByKey = IndexCourses(courses);
    UniqueCodes groupCodes(CodeCase::Ignored, CodeLength::ShortenToTen);
    for (const ExchangeRecord& record : ctx.document.Records("UNIDADES")) {
        if (record.FieldCount() < kMinimumFields) continue;
        const std::string unitKey = TrimBlanks(record.Field(0));
        const std::string unitName = TrimBlanks(record.Field(1));
        // A record with two fields has no course key: it reads as empty and finds no course.
        const std::string courseKey = TrimBlanks(record.Field(2));

        const auto found = courseByKey.find(courseKey);
        const CourseData course = found != courseByKey.end() ? found->second : CourseData{};
        const std::string group = RightChars(unitName, 1);

        const std::size_t row = groups.Append();
        groups.SetText(row, "ABREV", groupCodes.Claim(CodeFromUnitName(unitName)));
        groups.SetText(row, "TURNO", "");
        groups.SetText(row, "NIVEL", course.level);
        groups.SetText(row, "CURSO", course.course);
        groups.SetText(row, "GRUPO", group);
        groups.SetText(row, "MARCO", "0");
        groups.SetText(row, "CLAVE", unitKey);
        groups.SetText(row, "CLAVECURSO", courseKey);
        groups.SetText(row, "DESCRIP", GroupDescription(unitName, course, group));
    }
}

}  // namespace

void RunCoursesAndGroupsStep(InboundContext& ctx) {
    for (const char* file : {"GRUPOST.DBF", "GRUPOST.MDX", "CURSOST.DBF", "CURSOST.MDX"}) {
        RemoveWorkFile(ctx.workDir, file);
    }
    DbfTable courses = RebuildWorkTable(ctx.workDir, layouts::CURSOST);
    DbfTable groups = RebuildWorkTable(ctx.workDir, layouts::GRUPOST);

    WriteCourses(ctx, courses);
    WriteGroups(ctx, courses, groups);

    groups.Close();
    courses.Close();
}

}  // namespace velmaro
