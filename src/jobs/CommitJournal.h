#pragma once
// The commit journal of an inbound conversion or a restore: which files of the work-table folder
// are put in place from the staging folder and which are removed, written and flushed before the
// first of them moves, so that the next job can finish (or undo) a commit that a stopped run left.

#include <optional>
#include <string>
#include <vector>

namespace velmaro {

// One file of the work-table folder that a commit puts in place or removes.
struct CommitEntry {
    std::string name;                  // the file's name as the conversion writes it: PROFT.DBF
    bool staged = false;               // a new file waits under `name` in the staging folder
    std::vector<std::string> retired;  // the entries of the work-table folder it replaces or
                                       // removes: `name` in any letter case (proft.dbf too)
    friend bool operator==(const CommitEntry&, const CommitEntry&) = default;
};

// The journal's text for `entries`: a first line naming the format, one line per entry (its
// action, name and retired names, separated by tabs) and a last line that marks it complete.
std::string JournalText(const std::vector<CommitEntry>& entries);

// The entries of a journal's text; nothing when the text is not a complete journal or names a
// file outside the work-table folder, or a retired file under another name than its entry's.
std::optional<std::vector<CommitEntry>> ParseJournal(const std::string& text);

}  // namespace velmaro
