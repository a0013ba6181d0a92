#include "inbound/SubjectNameStep.h"

#include "text/TextHelpers.h"
#include "text/Utf8.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr std::string_view kSection = "MATERIAS";
constexpr std::size_t kMinimumFields = 2;
constexpr std::size_t kCourseKeyField = 0;
constexpr std::size_t kSubjectKeyField = 1;
constexpr std::size_t kNameField = 2;

constexpr long kCodeLength = 10;         // COD holds ten characters
constexpr long kShortCodeLength = 4;     // codes this short take the name's start as long code
constexpr long kLongCodeFromName = 10;   // characters of the name that make such a long code
constexpr long kBareNameCode = 6;        // characters of a one-word name that make its code
constexpr long kStoredLongCode = 10;     // width of CODLARGO
constexpr long kStoredName = 80;         // width of NOMBRE
constexpr std::size_t kStoredKey = 20;   // width of MATERIA and OFERTAMATRI

// One usable MATERIAS record, trimmed.
struct SubjectRecord {
    std::string courseKey;
    std::string subjectKey;
    std::string name;
};

bool IsCapitalAtoZ(char32_t c) { return c >= U'A' && c <= U'Z'; }

// True when `value` is stored whole in a character field of `width` characters. A longer
// value is cut when stored, so looking it up uncut never finds the stored row.
bool FitsField(std::string_view value, std::size_t width) { return CharCount(value) <= width; }

// The two tables of the step, open while the records are walked.
class SubjectNameTables {
public:
    explicit SubjectNameTables(const std::filesystem::path& workDir)
        : names_(RebuildWorkTable(workDir, layouts::ASIGNOMT)),
          keys_(RebuildWorkTable(workDir, layouts::ASIGNOMT2)) {}

    // True when ASIGNOMT2 already holds the record's pair of subject key and course key.
    bool HasKeyPair(const SubjectRecord& record) {
        if (!FitsField(record.subjectKey, kStoredKey) || !FitsField(record.courseKey, kStoredKey)) {
            return false;
        }
        return keys_
            .Locate({{"MATERIA", record.subjectKey}, {"OFERTAMATRI", record.courseKey}})
            .has_value();
    }

    // The COD of the ASIGNOMT row of a known subject, found by its stored long code and name.
    std::optional<std::string> KnownSubjectCode(const SubjectNameCodes& codes,
                                                const std::string& name) {
        const std::string longCode = LeftChars(codes.longCode, kStoredLongCode);
        const std::string storedName = LeftChars(name, kStoredName);
        const auto row = names_.Locate({{"CODLARGO", longCode}, {"NOMBRE", storedName}});
        if (!row) return std::nullopt;
        return names_.Text(*row, "COD");
    }

    // Appends the ASIGNOMT row of a new subject.
    void AddSubject(const std::string& code, const SubjectNameCodes& codes,
                    const std::string& name) {
        const std::size_t row = names_.Append();
        names_.SetText(row, "COD", code);
        names_.SetText(row, "CODLARGO", codes.longCode);
        names_.SetText(row, "NOMBRE", name);
        names_.SetLogical(row, "ESTAREA", false);
    }

    // Appends the ASIGNOMT2 row that maps the record's Racima keys to `code`.
    void AddKeyPair(const std::string& code, const SubjectNameCodes& codes,
                    const SubjectRecord& record) {
        const std::size_t row = keys_.Append();
        keys_.SetText(row, "COD", code);
        keys_.SetText(row, "CODLARGO", codes.longCode);
        keys_.SetText(row, "NOMBRE", record.name);
        keys_.SetText(row, "MATERIA", record.subjectKey);
        keys_.SetText(row, "OFERTAMATRI", record.courseKey);
        keys_.SetLogical(row, "ESTAREA", false);
    }

    void Close() {
        names_.Close();
        keys_.Close();
    }

private:
    DbfTable names_;  // ASIGNOMT.DBF
    DbfTable keys_;   // ASIGNOMT2.DBF
};

// The record's values, or nothing when it is too short or has no name to derive a code from.
std::optional<SubjectRecord> ReadSubjectRecord(const ExchangeRecord& record) {
    if (record.FieldCount() < kMinimumFields) return std::nullopt;
    SubjectRecord subject{TrimBlanks(record.Field(kCourseKeyField)),
                          TrimBlanks(record.Field(kSubjectKeyField)),
                          TrimBlanks(record.Field(kNameField))};
    if (subject.name.empty()) return std::nullopt;
    return subject;
}

bool IsKnownSubject(const SubjectNameLists& lists, const SubjectNameCodes& codes,
                    const std::string& name) {
    return lists.upperNames.contains(UpperCaseAsciiLetters(name)) &&
           lists.longCodes.contains(codes.longCode) &&
           lists.longCodeNames.contains(codes.longCode + name);
}

// A name seen before: record its key pair under the code its first record received.
void AddKnownSubject(SubjectNameTables& tables, const SubjectNameCodes& codes,
                     const SubjectRecord& record) {
    if (tables.HasKeyPair(record)) return;
    if (const auto code = tables.KnownSubjectCode(codes, record.name)) {
        tables.AddKeyPair(*code, codes, record);
    }
}

// A name not seen before: remember it, hand out a unique code and write both rows.
void AddNewSubject(SubjectNameTables& tables, SubjectNameLists& lists,
                   const SubjectNameCodes& codes, const SubjectRecord& record) {
    lists.upperNames.insert(UpperCaseAsciiLetters(record.name));
    lists.longCodes.insert(codes.longCode);
    lists.longCodeNames.insert(codes.longCode + record.name);
    const std::string code = lists.subjectCodes.Claim(codes.code);
    tables.AddSubject(code, codes, record.name);
    tables.AddKeyPair(code, codes, record);
}

}  // namespace

SubjectNameCodes DeriveSubjectNameCodes(std::string_view name) {
    if (name.empty()) return {};
    const std::string first = LeftChars(name, 1);
    std::string code;
    if (!IsCapitalAtoZ(Utf8Decode(name, 0))) code = first;
    code += CapitalLetters(name);
    if (CharCount(code) == 1) {
        code = name.find(' ') != std::string_view::npos ? first + WordInitials(name)
                                                        : LeftChars(name, kBareNameCode);
    }
    std::string longCode = CharCount(code) <= static_cast<std::size_t>(kShortCodeLength)
                               ? LeftChars(name, kLongCodeFromName)
                               : code;
    return {LeftChars(code, kCodeLength), std::move(longCode)};
}

void RunSubjectNameStep(InboundContext& context) {
    SubjectNameTables tables(context.workDir);
    for (const ExchangeRecord& record : context.document.Records(kSection)) {
        const auto subject = ReadSubjectRecord(record);
        if (!subject) continue;
        const SubjectNameCodes codes = DeriveSubjectNameCodes(subject->name);
        if (IsKnownSubject(context.lists, codes, subject->name)) {
            AddKnownSubject(tables, codes, *subject);
        } else {
            AddNewSubject(tables, context.lists, codes, *subject);
        }
    }
    tables.Close();
}

}  // namespace velmaro
