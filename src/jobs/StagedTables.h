#pragma once
// The all-or-nothing replacement of the work tables. An inbound conversion (or a restore of a
// backup) writes every table complete into a staging folder inside the work-table folder; only
// when all of them are there are they moved into place, following a commit journal written and
// flushed first. A run that fails or is killed at any moment leaves the tables all as they were
// or, once the next job has settled its journal, all new: never a mix of the two.

#include <filesystem>
#include <string>
#include <vector>

#include "base/Error.h"
#include "jobs/CommitJournal.h"

namespace velmaro {

// The staging folder inside the work-table folder, and what it holds besides the new tables:
// the commit journal and, while a commit runs, the files it replaces.
inline constexpr const char* kStagingFolderName = "velmaro-preparacion";
inline constexpr const char* kJournalFileName = "DIARIO.txt";
inline constexpr const char* kRetiredFolderName = "anteriores";

// A commit that could be neither finished nor undone: the tables may be left partly new, and
// the journal stays for the next job in the folder to settle. The message says so.
class UnfinishedCommit : public Error {
public:
    using Error::Error;
};

// A fresh staging folder for one inbound conversion or restore; removed, with what was written
// in it, when it is destroyed without a commit.
class StagedTables {
public:
    // Makes an empty staging folder in `workDir`. Throws Error naming it when it cannot.
    static StagedTables Prepare(const std::filesystem::path& workDir);
    StagedTables(StagedTables&& other) noexcept;
    StagedTables& operator=(StagedTables&&) = delete;
    StagedTables(const StagedTables&) = delete;
    ~StagedTables();

    // The folder the steps write their tables into.
    const std::filesystem::path& Folder() const { return staging_; }

    // What a commit of `fileNames` does: an entry for each name that is staged or present in
    // the work-table folder in any letter case. Throws Error naming a folder found where a
    // file is to be replaced or removed.
    std::vector<CommitEntry> Plan(const std::vector<std::string>& fileNames) const;

    // Writes the journal of `plan`, moves every retired file aside and every staged file into
    // place, then removes the journal and the staging folder with the retired files. When a
    // move fails, the moves made are undone and Error is thrown (every table as it was); when
    // the undo fails too, UnfinishedCommit.
    void Commit(const std::vector<CommitEntry>& plan);

private:
    StagedTables(std::filesystem::path workDir, std::filesystem::path staging);

    std::filesystem::path workDir_;
    std::filesystem::path staging_;
    bool keep_ = false;  // committed (nothing left to remove) or left for the next job
};

// The files of the work-table folder that `plan` replaces or removes, as they are named there.
std::vector<std::string> RetiredFiles(const std::vector<CommitEntry>& plan);

// Settles what a stopped inbound conversion or restore left in `workDir`: a commit whose
// journal is there is finished, or undone when it cannot be finished; a staging folder without a
// journal (the run stopped before its commit) is removed, and so is a temporary file that a
// replacement of a killed job left in the work-table folder itself. Call it under the run lock,
// before a job reads or changes any table. Throws UnfinishedCommit naming the folder when the
// commit can be neither finished nor undone, and Error naming the journal when it is damaged.
void SettleStoppedCommit(const std::filesystem::path& workDir);

}  // namespace velmaro
