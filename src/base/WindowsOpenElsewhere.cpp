#include "base/OpenElsewhere.h"

namespace velmaro::files {

// Windows tells of a program that has a file open only through the share mode it chose: one
// that keeps others out makes OpenExistingFile fail with EBUSY, which callers see already; one
// that lets them in shares the file by its own choice. No file is reported here.
std::vector<bool> OpenInOtherProcesses(const std::vector<std::filesystem::path>& paths) {
    return std::vector<bool>(paths.size(), false);
}

}  // namespace velmaro::files
