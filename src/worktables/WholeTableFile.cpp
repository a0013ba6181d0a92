#include "worktables/WholeTableFile.h"

#include <string>

#include "base/Error.h"
#include "base/QuotedPath.h"
#include "worktables/DbfHeader.h"

namespace velmaro::dbf {

void CheckWholeTableFile(std::string_view file, const std::filesystem::path& path) {
    const DbfHeader header = ParseHeader(file, path);
    if (const std::string mismatch = SizeMismatch(header, file); !mismatch.empty()) {
        throw Error("La tabla " + Quoted(path) + " está incompleta o dañada: " + mismatch);
    }
}

}  // namespace velmaro::dbf
