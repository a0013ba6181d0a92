#include "inbound/CoursesAndGroupsStep.h"

#include <cstddef>
#include <string>
#include <unordered_map>

#include "base/FileNameCase.h"
#include "inbound/RecordValueInteger.h"
#include "inbound/ShortRecords.h"
#include "inbound/StoredTextReport.h"
#include "inbound/UniqueCode.h"
#include "text/TextHelpers.h"
#include "text/Utf8.h"
#include "worktables/DbfTable.h"
#include "worktables/MdxIndex.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr const char* kUnknownLevel = "Niv";
constexpr std::string_view kCourses = "CURSOS_DEL_CENTRO";
constexpr std::string_view kUnits = "UNIDADES";
constexpr std::size_t kMinimumFields = 2;
constexpr std::size_t kGroupCodeLength = 10;
constexpr std::string_view kCourseKey = "clave del curso";

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
    DbfTable reference = DbfTable::Open(
        files::FindIgnoringCase(programDir, layouts::NIVELLARI.fileName), TableAccess::Shared);
    const DbfTable::FieldHandle key = reference.Field(layouts::nivellari::X_OFERTAMATRIG);
    const DbfTable::FieldHandle level = reference.Field(layouts::nivellari::NIVEL_ABREV);
    const DbfTable::FieldHandle study = reference.Field(layouts::nivellari::ESTUDIO);
    std::unordered_map<int, LevelAndStudy> byKey;
    for (std::size_t row = 0; row < reference.RecordCount(); ++row) {
        // A row without a key can equal no course key.
        if (reference.Text(row, key).empty()) continue;
        byKey.try_emplace(reference.Integer(row, key),
                          LevelAndStudy{reference.Text(row, level), reference.Text(row, study)});
    }
    reference.Close();
    return byKey;
}

// The fields of CURSOST.DBF the step sets and reads, found once.
struct CourseFields {
    explicit CourseFields(const DbfTable& courses)
        : clave(courses.Field(layouts::cursost::CLAVE)),
          nivel(courses.Field(layouts::cursost::NIVEL)),
          curso(courses.Field(layouts::cursost::CURSO)),
          estud(courses.Field(layouts::cursost::ESTUD)) {}
    DbfTable::FieldHandle clave, nivel, curso, estud;
};

// The fields of GRUPOST.DBF the step sets, found once.
struct GroupFields {
    explicit GroupFields(const DbfTable& groups)
        : abrev(groups.Field(layouts::grupost::ABREV)),
          turno(groups.Field(layouts::grupost::TURNO)),
          nivel(groups.Field(layouts::grupost::NIVEL)),
          curso(groups.Field(layouts::grupost::CURSO)),
          grupo(groups.Field(layouts::grupost::GRUPO)),
          marco(groups.Field(layouts::grupost::MARCO)),
          clave(groups.Field(layouts::grupost::CLAVE)),
          claveCurso(groups.Field(layouts::grupost::CLAVECURSO)),
          descrip(groups.Field(layouts::grupost::DESCRIP)) {}
    DbfTable::FieldHandle abrev, turno, nivel, curso, grupo, marco, clave, claveCurso, descrip;
};

void WriteCourses(InboundContext& ctx, DbfTable& courses) {
    const std::unordered_map<int, LevelAndStudy> reference = ReadReferenceTable(ctx.programDir);
    const CourseFields fields(courses);
    StoredTextReport stored(ctx.report, courses, layouts::CURSOST, kCourses);
    const std::vector<ExchangeRecord> records = ctx.document.Records(kCourses);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ExchangeRecord& record = records[i];
        if (record.FieldCount() < kMinimumFields) {
            ReportShortRecord(ctx.report, kCourses, i, record.FieldCount());
            continue;
        }
        stored.From(i);
        const std::string key = TrimBlanks(record.Field(0));
        const auto found =
            reference.find(RecordValueInteger(ctx.document, record, kCourses, kCourseKey, key));
        std::string level = found != reference.end() ? found->second.level : std::string();
        const std::string study = found != reference.end() ? found->second.study : std::string();
        if (level.empty()) {
            level = kUnknownLevel;
            ctx.report.Add(ReportKind::UnknownLevel, SectionRecord(kCourses, i),
                           {key, found == reference.end()
                                     ? "no está en NIVELLARI.DBF"
                                     : "tiene en NIVELLARI.DBF un NIVEL_ABREV vacío"});
        }
        const std::string courseLetter = LeftChars(TrimBlanks(record.Field(1)), 1);

        const std::size_t row = courses.Append();
        courses.SetText(row, fields.clave, key);
        courses.SetText(row, fields.nivel, level);
        courses.SetText(row, fields.curso, courseLetter);
        courses.SetText(row, fields.estud, study);
    }
}

// The course rows as stored, by CLAVE; the first row of a key wins.
std::unordered_map<std::string, CourseData> IndexCourses(const DbfTable& courses) {
    const CourseFields fields(courses);
    std::unordered_map<std::string, CourseData> byKey;
    for (std::size_t row = 0; row < courses.RecordCount(); ++row) {
        byKey.try_emplace(courses.Text(row, fields.clave),
                          CourseData{courses.Text(row, fields.nivel),
                                     courses.Text(row, fields.curso),
                                     courses.Text(row, fields.estud)});
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
    const GroupFields fields(groups);
    StoredTextReport stored(ctx.report, groups, layouts::GRUPOST, kUnits);
    UniqueCodes groupCodes(CodeCase::Ignored, CodeLength::ShortenToTen);
    const std::vector<ExchangeRecord> records = ctx.document.Records(kUnits);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ExchangeRecord& record = records[i];
        if (record.FieldCount() < kMinimumFields) {
            ReportShortRecord(ctx.report, kUnits, i, record.FieldCount());
            continue;
        }
        stored.From(i);
        const std::string unitKey = TrimBlanks(record.Field(0));
        const std::string unitName = TrimBlanks(record.Field(1));
        // A record with two fields has no course key: it reads as empty and finds no course.
        const std::string courseKey = TrimBlanks(record.Field(2));

        const auto found = courseByKey.find(courseKey);
        const CourseData course = found != courseByKey.end() ? found->second : CourseData{};
        const std::string group = RightChars(unitName, 1);

        const std::string wanted = CodeFromUnitName(unitName);
        const ClaimedCode code = groupCodes.Claim(wanted);
        if (code.suffixed) {
            ctx.report.Add(ReportKind::CodeSuffixed, SectionRecord(kUnits, i),
                           {layouts::GRUPOST.fileName, layouts::grupost::ABREV, wanted, code.code});
        }

        const std::size_t row = groups.Append();
        groups.SetText(row, fields.abrev, code.code);
        groups.SetText(row, fields.turno, "");
        groups.SetText(row, fields.nivel, course.level);
        groups.SetText(row, fields.curso, course.course);
        groups.SetText(row, fields.grupo, group);
        groups.SetText(row, fields.marco, "0");
        groups.SetText(row, fields.clave, unitKey);
        groups.SetText(row, fields.claveCurso, courseKey);
        groups.SetText(row, fields.descrip, GroupDescription(unitName, course, group));
    }
}

}  // namespace

void RunCoursesAndGroupsStep(InboundContext& ctx) {
    for (const TableLayout* layout : {&layouts::GRUPOST, &layouts::CURSOST}) {
        RemoveWorkFile(ctx.workDir, layout->fileName);
        RemoveWorkFile(ctx.workDir, dbf::IndexFileName(layout->fileName));
    }
    DbfTable courses = RebuildWorkTable(ctx.workDir, layouts::CURSOST);
    DbfTable groups = RebuildWorkTable(ctx.workDir, layouts::GRUPOST);

    WriteCourses(ctx, courses);
    WriteGroups(ctx, courses, groups);

    groups.Close();
    courses.Close();
}

}  // namespace velmaro
