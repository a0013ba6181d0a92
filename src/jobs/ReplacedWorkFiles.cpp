#include "jobs/ReplacedWorkFiles.h"

#include <algorithm>

#include "inbound/InboundSteps.h"
#include "worktables/MdxIndex.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {

namespace {

std::vector<std::string> CollectReplacedWorkFiles() {
    std::vector<std::string> files;
    const auto add = [&](const std::string& name) {
        if (std::find(files.begin(), files.end(), name) == files.end()) files.push_back(name);
    };
    for (const InboundStep& step : InboundSteps()) {
        for (const std::string& table : step.tables) {
            add(table);
            add(dbf::IndexFileName(table));
        }
    }
    add(std::string(layouts::JORNADAS_FILE_NAME));
    return files;
}

}  // namespace

const std::vector<std::string>& ReplacedWorkFiles() {
    static const std::vector<std::string> files = CollectReplacedWorkFiles();
    return files;
}

}  // namespace velmaro
