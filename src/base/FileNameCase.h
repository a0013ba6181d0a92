#pragma once
// Finding a file by name regardless of letter case, as Windows does: Tavolin and programs
// under Wine may write "soluc.dbf" or "TAVOLIN.INI" where this program names "SOLUC.DBF" and
// "Tavolin.ini".

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro::files {

// Whether two file names are equal when ASCII letters are compared without regard to case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The names of the entries of `folder` (UTF-8), sorted; empty when it cannot be read. Links are
// listed by their own names, never followed.
std::vector<std::string> EntryNames(const std::filesystem::path& folder);

// The entry of `folder` called `name` in any letter case: `folder / name` itself when an
// entry has exactly that name, else the first entry in name order whose name differs only in
// the case of ASCII letters, else `folder / name` (which does not exist then).
std::filesystem::path FindIgnoringCase(const std::filesystem::path& folder, std::string_view name);

}  // namespace velmaro::files
