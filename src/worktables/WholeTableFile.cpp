#include "worktables/WholeTableFile.h"

#include <string>

#include "base/Error.h"
#include "base/QuotedPath.h"
#include "worktables/DbfFormat.h"
#include "worktables/DbfHeader.h"

namespace velmaro::dbf {

void CheckWholeTableFile(std::string_view file, const std::filesystem::path& path) {
    const DbfHeader header = ParseHeader(file, path);
    const std::size_t expected =
        header.headerLength + header.declaredRecordCount * header.recordLength;
    const bool endMarker =
        file.size() == expected + 1 && static_cast<unsigned char>(file.back()) == kEndOfFile;
    if (file.size() == expected || endMarker) return;
    throw Error(Quoted(path) + " no es una tabla completa: su cabecera dice " +
                std::to_string(header.declaredRecordCount) + " registros de " +
                std::to_string(header.recordLength) + " bytes (" + std::to_string(expected) +
                " bytes con la cabecera) y el archivo tiene " + std::to_string(file.size()) +
                " bytes");
}

}  // namespace velmaro::dbf
