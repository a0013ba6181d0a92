#include "inbound/SubjectNameStep.h"

#include <optional>
#include <unordered_map>

#include "inbound/StoredTextReport.h"
#include "text/TextHelpers.h"
#include "text/Utf8.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

constexpr long kCodeLength = 10;        // COD holds ten characters
constexpr long kShortCodeLength = 4;    // codes this short take the name's start as long code
constexpr long kLongCodeFromName = 10;  // characters of the name that make such a long code
constexpr long kBareNameCode = 6;       // characters of a one-word name that make its code
constexpr long kStoredLongCode = 10;    // width of CODLARGO
constexpr long kStoredName = 80;        // width of NOMBRE
constexpr std::size_t kStoredKey = 20;  // width of MATERIA and OFERTAMATRI
constexpr std::string_view kSection = "MATERIAS";

bool IsCapitalAtoZ(char32_t c) { return c >= U'A' && c <= U'Z'; }

// True when `value` is stored whole in a character field of `width` characters. A longer
// value is cut when stored, so looking it up uncut never finds the stored row.
bool FitsField(std::string_view value, std::size_t width) {
    return value.size() <= width || CharCount(value) <= width;  // no more characters than bytes
}

// The two tables of the step, open while the records are walked.
class SubjectNameTables {
public:
    SubjectNameTables(const std::filesystem::path& workDir, ConversionReport& report)
        : names_(RebuildWorkTable(workDir, layouts::ASIGNOMT)),
          keys_(RebuildWorkTable(workDir, layouts::ASIGNOMT2)),
          nameFields_(names_),
          keyFields_(keys_),
          storedNames_(report, names_, layouts::ASIGNOMT, kSection),
          storedKeys_(report, keys_, layouts::ASIGNOMT2, kSection) {
        // CODLARGO keeps the first ten characters of a long code by design, and repeats the
        // name's characters.
        storedNames_.Ignore(layouts::asignomt::CODLARGO);
        storedKeys_.Ignore(layouts::asignomt2::CODLARGO);
    }

    // The rows appended from now on come from the MATERIAS record at 0-based `position`.
    void From(std::size_t position) {
        storedNames_.From(position);
        storedKeys_.From(position);
    }

    // True when ASIGNOMT2 already holds the record's pair of subject key and course key.
    bool HasKeyPair(const SubjectRecordFields& record) {
        if (!FitsField(record.subjectKey, kStoredKey) || !FitsField(record.courseKey, kStoredKey)) {
            return false;
        }
        return keys_
            .Locate({{keyFields_.subjectKey, record.subjectKey},
                     {keyFields_.courseKey, record.courseKey}})
            .has_value();
    }

    // The COD of the ASIGNOMT row of a known subject, found by its stored long code and name.
    std::optional<std::string> KnownSubjectCode(const SubjectNameCodes& codes,
                                                std::string_view name) {
        const std::string_view longCode = LeftCharsView(codes.longCode, kStoredLongCode);
        const std::string_view storedName = LeftCharsView(name, kStoredName);
        const auto row =
            names_.Locate({{nameFields_.longCode, longCode}, {nameFields_.name, storedName}});
        if (!row) return std::nullopt;
        return names_.Text(*row, nameFields_.code);
    }

    // Appends the ASIGNOMT row of a new subject.
    void AddSubject(const std::string& code, const SubjectNameCodes& codes,
                    std::string_view name) {
        const std::size_t row = names_.Append();
        names_.SetText(row, nameFields_.code, code);
        names_.SetText(row, nameFields_.longCode, codes.longCode);
        names_.SetText(row, nameFields_.name, name);
        names_.SetLogical(row, nameFields_.isTask, false);
    }

    // Appends the ASIGNOMT2 row that maps the record's Racima keys to `code`.
    void AddKeyPair(const std::string& code, const SubjectNameCodes& codes,
                    const SubjectRecordFields& record) {
        const std::size_t row = keys_.Append();
        keys_.SetText(row, keyFields_.code, code);
        keys_.SetText(row, keyFields_.longCode, codes.longCode);
        keys_.SetText(row, keyFields_.name, record.name);
        keys_.SetText(row, keyFields_.subjectKey, record.subjectKey);
        keys_.SetText(row, keyFields_.courseKey, record.courseKey);
        keys_.SetLogical(row, keyFields_.isTask, false);
    }

    void Close() {
        names_.Close();
        keys_.Close();
    }

private:
    // The fields both tables share, found once.
    struct NameFields {
        explicit NameFields(const DbfTable& table)
            : code(table.Field(layouts::asignomt::COD)),
              longCode(table.Field(layouts::asignomt::CODLARGO)),
              name(table.Field(layouts::asignomt::NOMBRE)),
              isTask(table.Field(layouts::asignomt::ESTAREA)) {}
        DbfTable::FieldHandle code, longCode, name, isTask;
    };
    // The fields of ASIGNOMT2, found once.
    struct KeyFields : NameFields {
        explicit KeyFields(const DbfTable& table)
            : NameFields(table),
              subjectKey(table.Field(layouts::asignomt2::MATERIA)),
              courseKey(table.Field(layouts::asignomt2::OFERTAMATRI)) {}
        DbfTable::FieldHandle subjectKey, courseKey;
    };

    DbfTable names_;  // ASIGNOMT.DBF
    DbfTable keys_;   // ASIGNOMT2.DBF
    NameFields nameFields_;
    KeyFields keyFields_;
    StoredTextReport storedNames_;
    StoredTextReport storedKeys_;
};

// True when the lists hold the name upper-cased, its long code, and the long code followed by
// the name. `probe` is a buffer for the looked-up texts, reused from record to record.
bool IsKnownSubject(const SubjectNameLists& lists, const SubjectNameCodes& codes,
                    std::string_view name, std::string& probe) {
    probe.assign(name);
    UpperCaseAsciiLettersInPlace(probe);
    if (!lists.upperNames.contains(probe) || !lists.longCodes.contains(codes.longCode)) {
        return false;
    }
    probe.assign(codes.longCode);
    probe += name;
    return lists.longCodeNames.contains(probe);
}

// What the step derives once per distinct name: names repeat from course to course.
struct NameFacts {
    SubjectNameCodes codes;
    // The COD of the name's ASIGNOMT row once found: rows are only appended, so the row a
    // lookup finds first stays first.
    std::optional<std::string> knownCode;
    // True once the lists were found to hold the name: they only grow, so it stays known.
    bool listed = false;
};

// A name seen before: record its key pair under the code its first record received.
void AddKnownSubject(SubjectNameTables& tables, NameFacts& facts,
                     const SubjectRecordFields& record) {
    if (tables.HasKeyPair(record)) return;
    if (!facts.knownCode) facts.knownCode = tables.KnownSubjectCode(facts.codes, record.name);
    if (facts.knownCode) tables.AddKeyPair(*facts.knownCode, facts.codes, record);
}

// A name not seen before: remember it, hand out a unique code and write both rows.
void AddNewSubject(SubjectNameTables& tables, InboundContext& context,
                   const SubjectNameCodes& codes, const SubjectRecordFields& record) {
    SubjectNameLists& lists = context.lists;
    lists.upperNames.insert(UpperCaseAsciiLetters(record.name));
    lists.longCodes.insert(codes.longCode);
    lists.longCodeNames.insert(std::string(codes.longCode).append(record.name));
    const ClaimedCode code = lists.subjectCodes.Claim(codes.code);
    if (code.suffixed) {
        context.report.Add(ReportKind::CodeSuffixed, SectionRecord(kSection, record.position),
                           {layouts::ASIGNOMT.fileName, layouts::asignomt::COD, codes.code,
                            code.code});
    }
    tables.AddSubject(code.code, codes, record.name);
    tables.AddKeyPair(code.code, codes, record);
}

// Records without a name give no subject.
void ReportUnnamedRecords(InboundContext& context) {
    for (const SubjectRecordFields& record : context.subjectRecords.Unnamed(context.document)) {
        context.report.Add(ReportKind::SubjectWithoutName, SectionRecord(kSection, record.position),
                           {record.courseKey, record.subjectKey});
    }
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
    ReportUnnamedRecords(context);
    SubjectNameTables tables(context.workDir, context.report);
    std::string probe;
    std::unordered_map<std::string, NameFacts, TextHash, std::equal_to<>> factsByName;
    for (const SubjectRecordFields& record : context.subjectRecords.Of(context.document)) {
        auto found = factsByName.find(record.name);
        if (found == factsByName.end()) {
            found =
                factsByName
                    .emplace(record.name, NameFacts{DeriveSubjectNameCodes(record.name), {}, false})
                    .first;
        }
        NameFacts& facts = found->second;
        tables.From(record.position);
        if (!facts.listed) {
            facts.listed = IsKnownSubject(context.lists, facts.codes, record.name, probe);
        }
        if (facts.listed) {
            AddKnownSubject(tables, facts, record);
        } else {
            AddNewSubject(tables, context, facts.codes, record);
        }
    }
    tables.Close();
}

}  // namespace velmaro
