#pragma once
// What the converter steps of one inbound conversion share: the document, the folders, the
// user-interaction seam, the subject-name lists, the named MATERIAS records and the report of
// what the conversion changed or dropped.

#include <filesystem>
#include <string>
#include <unordered_set>

#include "base/UserInteraction.h"
#include "exchange/ExchangeDocument.h"
#include "inbound/SubjectRecords.h"
#include "inbound/UniqueCode.h"
#include "worktables/ConversionReport.h"

namespace velmaro {

// The four lists of the subject-name step: case-sensitive, without duplicates.
// Fresh and empty for every inbound conversion.
struct SubjectNameLists {
    // every subject code handed out, as stored (8 + last 2 characters when longer than ten)
    UniqueCodes subjectCodes{CodeCase::Sensitive, CodeLength::ShortenToTen};
    std::unordered_set<std::string> longCodes;      // long code of every new subject
    std::unordered_set<std::string> upperNames;     // name of every new subject, a-z upper-cased
    std::unordered_set<std::string> longCodeNames;  // long code immediately followed by the name
};

struct InboundContext {
    const ExchangeDocument& document;
    std::filesystem::path workDir;      // the work-table folder
    std::filesystem::path programDir;   // the folder of the executable (NIVELLARI.DBF)
    std::filesystem::path filenameXML;  // the chosen exchange document (the dialog rereads it)
    UserInteraction& ui;
    SubjectNameLists lists;
    SubjectRecords subjectRecords{};  // read once, for the steps that walk MATERIAS
    ConversionReport report{};        // what the steps changed or dropped, record by record
};

}  // namespace velmaro
