#pragma once
// The exchange documents, activities and results that the result-document tests build.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange/ExchangeDocument.h"
#include "outbound/ResultDocument.h"
#include "support/ScratchFolder.h"

namespace velmaro::testing {

// The prolog of the exchange document `bytes`, loaded from a file as the jobs load it.
inline ExchangeProlog PrologOfDocument(const std::string& bytes) {
    ScratchFolder dir;
    return ExchangeDocument::Load(dir.File("exchange.xml", bytes)).Prolog();
}

// The ASCII text `ascii` in UTF-16 little-endian after its byte-order mark.
inline std::string Utf16WithByteOrderMark(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// Names of the entries in `folder`, sorted, each followed by ";".
inline std::string Listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string text;
    for (const auto& name : names) text += name + ";";
    return text;
}

// An exchange document with nodes on both sides of the root, an academic year and a teacher.
inline const char* kExchange =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!--antes--><?racima origen?>\n"
    "<SERVICIO modulo=\"EXPORTACION\" fecha=\"ayer\">\n"
    "  <BLOQUE_DATOS><grupo_datos seq=\"C_ANNO\"><dato>2023/2024</dato></grupo_datos>\n"
    "    <grupo_datos seq=\"EMPLEADOS\"><grupo_datos><dato>1</dato></grupo_datos></grupo_datos>\n"
    "  </BLOQUE_DATOS>\n"
    "</SERVICIO>\n"
    "<!--despues--><?fin?>\n";

// An activity with every value set, some of them needing escapes.
inline ActivityValues FullActivity() {
    ActivityValues values;
    values.dayNumber = "2";
    values.slotCode = "T&1";
    values.roomCode = "A<1>";
    values.unitKey = "U1";
    values.courseKey = "C1";
    values.subjectKey = "M \"1\"";
    values.startDate = "01/09/2023";
    values.endDate = "30/06/2024";
    values.startTime = "08:30";
    values.endTime = "9:25";
    values.activityKey = "1";
    return values;
}

// Writes a result of several megabytes to `target`: `teachers` teachers of 25 activities each.
inline void WriteLargeResult(const ExchangeProlog& prolog, const std::filesystem::path& target,
                             int teachers) {
    constexpr int kActivities = 25;
    ResultDocument result(prolog, target, "2023", static_cast<std::size_t>(teachers), "f");
    for (int teacher = 1; teacher <= teachers; ++teacher) {
        TeacherGroup group = result.AddTeacher(static_cast<std::size_t>(teacher),
                                               "E" + std::to_string(teacher), "x", kActivities);
        ActivityValues values = FullActivity();
        values.subjectKey = "MATERIA-DE-NOMBRE-LARGO-" + std::to_string(teacher);
        for (int activity = 1; activity <= kActivities; ++activity) {
            result.AddActivity(group, static_cast<std::size_t>(activity), values);
        }
    }
    result.Save();
}

}  // namespace velmaro::testing
