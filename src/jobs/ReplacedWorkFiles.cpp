#include "jobs/ReplacedWorkFiles.h"

#include <algorithm>

#include "inbound/InboundSteps.h"

namespace velmaro {

namespace {

// The table deleted by the framework step and not created again.
constexpr const char* kDeletedTable = "JORNADAS.DBF";

// "PROFT.DBF" -> "PROFT.MDX".
std::string IndexFileName(const std::string& tableFileName) {
    return tableFileName.substr(0, tableFileName.rfind('.')) + ".MDX";
}

std::vector<std::string> CollectReplacedWorkFiles() {
    std::vector<std::string> files;
    const auto add = [&](const std::string& name) {
        if (std::find(files.begin(), files.end(), name) == files.end()) files.push_back(name);
    };
    for (const InboundStep& step : InboundSteps()) {
        for (const std::string& table : step.tables) {
            add(table);
            add(IndexFileName(table));
        }
    }
    add(kDeletedTable);
    return files;
}

}  // namespace

const std::vector<std::string>& ReplacedWorkFiles() {
    static const std::vector<std::string> files = CollectReplacedWorkFiles();
    return files;
}

}  // namespace velmaro
