#include "worktables/WorkTableRebuild.h"

#include "base/FileSystem.h"
#include "worktables/MdxIndex.h"
#include "worktables/TableFile.h"

namespace velmaro {

DbfTable RebuildWorkTable(const std::filesystem::path& workDir, const TableLayout& layout) {
    const std::filesystem::path tablePath = workDir / layout.fileName;
    // A table another program holds open is left whole: nothing is deleted.
    dbf::TableFile::CheckNotHeld(tablePath);
    RemoveWorkFile(workDir, layout.fileName);
    RemoveWorkFile(workDir, dbf::IndexFileName(layout.fileName));
    DbfTable table = DbfTable::Create(tablePath, layout);
    if (layout.indexTag) {
        dbf::WriteEmptyProductionIndex(workDir / dbf::IndexFileName(layout.fileName), layout);
    }
    return table;
}

void RemoveWorkFile(const std::filesystem::path& workDir, const std::string& fileName) {
    files::RemoveFile(workDir / fileName);  // a missing file, or one that stays, is not an error
}

}  // namespace velmaro
