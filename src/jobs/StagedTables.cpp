#include "jobs/StagedTables.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

#include "base/FileNameCase.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "base/Utf8Path.h"

namespace velmaro {

namespace {

namespace fs = std::filesystem;

// A rename of the commit that failed.
struct MoveFailure {
    fs::path from;
    fs::path to;
    int error;
};

std::string Describe(const MoveFailure& failure) {
    return "no se puede mover " + Quoted(failure.from) + " a " + Quoted(failure.to) + " (" +
           files::SystemReason(failure.error) + ")";
}

// The entry at `path` itself, a link not followed.
fs::file_type EntryType(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type();
}

bool Present(const fs::path& path) {
    const fs::file_type type = EntryType(path);
    return type != fs::file_type::not_found && type != fs::file_type::none;
}

void Move(const fs::path& from, const fs::path& to) {
    if (const int error = files::RenameFile(from, to); error != 0)
        throw MoveFailure{from, to, error};
}

// Removes `folder` and everything in it, never following a link (a link is removed, not what
// it points to). What cannot be removed stays, for the next job's start to remove.
void RemoveTree(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path entry = it->path();
        if (EntryType(entry) == fs::file_type::directory) {
            RemoveTree(entry);
        } else {
            files::RemoveFile(entry);
        }
    }
    files::RemoveFolder(folder);
}

// Removes the entry at `path`: a folder with everything in it, anything else (a link too) alone.
void RemoveEntry(const fs::path& path) {
    if (EntryType(path) == fs::file_type::directory) {
        RemoveTree(path);
    } else {
        files::RemoveFile(path);
    }
}

// Where each file of a commit lies: the work-table folder, the staged files, the retired ones.
struct CommitFolders {
    explicit CommitFolders(const fs::path& workDir)
        : work(workDir),
          staging(workDir / kStagingFolderName),
          retired(staging / kRetiredFolderName),
          journal(staging / kJournalFileName) {}
    fs::path work;
    fs::path staging;
    fs::path retired;
    fs::path journal;
};

// Puts `entry` in place: its retired files aside, its staged file into the work-table folder.
// Done already when its staged file has gone; a retired file already aside stays there.
void PutInPlace(const CommitFolders& folders, const CommitEntry& entry) {
    const fs::path staged = folders.staging / PathFromUtf8(entry.name);
    if (entry.staged && !Present(staged)) return;
    for (const std::string& name : entry.retired) {
        if (Present(folders.work / PathFromUtf8(name)))
            Move(folders.work / PathFromUtf8(name), folders.retired / PathFromUtf8(name));
    }
    if (entry.staged) Move(staged, folders.work / PathFromUtf8(entry.name));
}

// Takes `entry` back: its new file to the staging folder, its retired files to their places.
void TakeBack(const CommitFolders& folders, const CommitEntry& entry) {
    const fs::path staged = folders.staging / PathFromUtf8(entry.name);
    if (entry.staged && !Present(staged) && Present(folders.work / PathFromUtf8(entry.name))) {
        Move(folders.work / PathFromUtf8(entry.name), staged);
    }
    for (const std::string& name : entry.retired) {
        if (Present(folders.retired / PathFromUtf8(name)))
            Move(folders.retired / PathFromUtf8(name), folders.work / PathFromUtf8(name));
    }
}

void PutAllInPlace(const CommitFolders& folders, const std::vector<CommitEntry>& plan) {
    for (const CommitEntry& entry : plan) PutInPlace(folders, entry);
}

void TakeAllBack(const CommitFolders& folders, const std::vector<CommitEntry>& plan) {
    for (auto entry = plan.rbegin(); entry != plan.rend(); ++entry) TakeBack(folders, *entry);
}

std::string TablesFolderText(const fs::path& workDir) {
    return "la carpeta de las tablas de trabajo " + Quoted(workDir);
}

Error DamagedJournal(const CommitFolders& folders, const std::string& reason) {
    return Error(
        "No se puede leer el diario " + Quoted(folders.journal) +
        " de la sustitución de tablas que dejó a medias un trabajo anterior en " +
        TablesFolderText(folders.work) + ": " + reason +
        ". Revise las tablas (hay copias en la carpeta velmaro-copias) y borre la carpeta " +
        Quoted(folders.staging) + " para continuar.");
}

std::vector<CommitEntry> ReadJournal(const CommitFolders& folders) {
    files::OpenedFile opened = files::OpenExistingFile(folders.journal);
    std::string text;
    const int error = opened.error != 0 ? opened.error : opened.file.ReadAll(text);
    if (error != 0) throw DamagedJournal(folders, files::SystemReason(error));
    std::optional<std::vector<CommitEntry>> plan = ParseJournal(text);
    if (!plan) throw DamagedJournal(folders, "está incompleto o dañado");
    return std::move(*plan);
}

// Whether `name` is that of a temporary file of a replacement (FileSystem.h).
bool IsReplacementName(std::string_view name) {
    return name.starts_with('.') && name.ends_with(files::kReplacementSuffix);
}

// Removes the temporary files that a killed job's replacements left in the work-table folder
// itself (the report's, written there after the commit): under the run lock no replacement of
// any job is under way, and nothing but this program names files so.
void RemoveStrayReplacements(const fs::path& workDir) {
    for (const std::string& name : files::EntryNames(workDir)) {
        if (IsReplacementName(name) && EntryType(workDir / name) != fs::file_type::directory) {
            files::RemoveFile(workDir / name);
        }
    }
}

}  // namespace

StagedTables::StagedTables(fs::path workDir, fs::path staging)
    : workDir_(std::move(workDir)), staging_(std::move(staging)) {}

StagedTables::StagedTables(StagedTables&& other) noexcept
    : workDir_(std::move(other.workDir_)),
      staging_(std::move(other.staging_)),
      keep_(std::exchange(other.keep_, true)) {}

StagedTables::~StagedTables() {
    if (!keep_) RemoveTree(staging_);
}

StagedTables StagedTables::Prepare(const fs::path& workDir) {
    const CommitFolders folders(workDir);
    if (Present(folders.staging)) RemoveEntry(folders.staging);
    const auto make = [](const fs::path& folder) {
        if (const int error = files::MakeFolder(folder); error != 0) {
            throw Error("No se puede crear la carpeta " + Quoted(folder) +
                        " para preparar las tablas nuevas: " + files::SystemReason(error) + ".");
        }
    };
    make(folders.staging);
    StagedTables staged(workDir, folders.staging);  // removes the folder again on a failure
    make(folders.retired);
    return staged;
}

std::vector<CommitEntry> StagedTables::Plan(const std::vector<std::string>& fileNames) const {
    const std::vector<std::string> present = files::EntryNames(workDir_);
    std::vector<CommitEntry> plan;
    for (const std::string& name : fileNames) {
        CommitEntry entry{
            name, EntryType(staging_ / PathFromUtf8(name)) == fs::file_type::regular, {}};
        for (const std::string& found : present) {
            if (!files::SameNameIgnoringCase(found, name)) continue;
            if (EntryType(workDir_ / PathFromUtf8(found)) == fs::file_type::directory) {
                throw Error("En " + TablesFolderText(workDir_) + " hay una carpeta llamada '" +
                            found + "' donde va un archivo de tabla: no se puede sustituir.");
            }
            entry.retired.push_back(found);
        }
        if (entry.staged || !entry.retired.empty()) plan.push_back(std::move(entry));
    }
    return plan;
}

void StagedTables::Commit(const std::vector<CommitEntry>& plan) {
    const CommitFolders folders(workDir_);
    const std::string failed =
        "No se pueden poner las tablas nuevas en " + TablesFolderText(workDir_);
    const std::string journalText = JournalText(plan);
    if (const files::Replacement journal = files::ReplaceFile(folders.journal, {journalText});
        journal.error != 0) {
        throw Error(failed + ": no se puede escribir el diario " + Quoted(folders.journal) + " (" +
                    files::SystemReason(journal.error) + ").");
    }
    // From here on the journal decides what happens to the staging folder, which now holds
    // the replaced files too: it goes only once every file is settled.
    keep_ = true;
    try {
        PutAllInPlace(folders, plan);
    } catch (const MoveFailure& move) {
        try {
            TakeAllBack(folders, plan);
        } catch (const MoveFailure& back) {
            throw UnfinishedCommit(
                failed + ": " + Describe(move) +
                "; y no se pueden devolver las tablas anteriores a su sitio: " + Describe(back) +
                ". Algunas tablas ya son las nuevas: el próximo trabajo de "
                "Velmaro en esta carpeta terminará de poner las demás.");
        }
        if (const int error = files::RemoveFile(folders.journal); error != 0) {
            throw UnfinishedCommit(failed + ": " + Describe(move) +
                                   ". Las tablas anteriores siguen en su sitio, pero no se puede "
                                   "borrar el diario " +
                                   Quoted(folders.journal) + " (" + files::SystemReason(error) +
                                   "): el próximo trabajo de Velmaro en esta carpeta pondrá las "
                                   "tablas nuevas.");
        }
        RemoveTree(folders.staging);
        throw Error(failed + ": " + Describe(move) + ".");
    }
    // Every file is in place; a journal that stays is settled by the next job, with nothing
    // left to move, so the staging folder waits for it then.
    if (files::RemoveFile(folders.journal) == 0) RemoveTree(folders.staging);
}

std::vector<std::string> RetiredFiles(const std::vector<CommitEntry>& plan) {
    std::vector<std::string> names;
    for (const CommitEntry& entry : plan) {
        names.insert(names.end(), entry.retired.begin(), entry.retired.end());
    }
    return names;
}

void SettleStoppedCommit(const fs::path& workDir) {
    const CommitFolders folders(workDir);
    RemoveStrayReplacements(workDir);
    if (!Present(folders.staging)) return;
    if (EntryType(folders.staging) == fs::file_type::directory && Present(folders.journal)) {
        const std::vector<CommitEntry> plan = ReadJournal(folders);
        try {
            PutAllInPlace(folders, plan);
        } catch (const MoveFailure& move) {
            try {
                TakeAllBack(folders, plan);
            } catch (const MoveFailure& back) {
                throw UnfinishedCommit(
                    "No se puede terminar ni deshacer la sustitución de tablas que dejó a medias "
                    "un trabajo anterior en " +
                    TablesFolderText(workDir) + ": " + Describe(move) + "; " + Describe(back) +
                    ". Resuelva el problema y vuelva a intentarlo.");
            }
        }
        if (const int error = files::RemoveFile(folders.journal); error != 0) {
            throw UnfinishedCommit("No se puede borrar el diario " + Quoted(folders.journal) +
                                   " de la sustitución de tablas que dejó un trabajo anterior en " +
                                   TablesFolderText(workDir) + ": " + files::SystemReason(error) +
                                   ".");
        }
    }
    RemoveEntry(folders.staging);
}

}  // namespace velmaro
