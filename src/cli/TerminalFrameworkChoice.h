#pragma once
// The framework choice of velmaro-cli: by the --marcos codes, or from a numbered list on the
// terminal; checked before the job touches any table.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "base/UserInteraction.h"
#include "inbound/FrameworkChoice.h"

namespace velmaro {

// The document's frameworks, one numbered line each: "  1) CODE  name  start - end".
std::string NumberedFrameworkList(const FrameworkCatalog& catalog);

// Which list entries the comma-separated `marcos` codes choose, compared without the blanks
// around the codes (a code that several entries show chooses all of them), and the given codes
// that name no entry.
struct CodeMatch {
    std::vector<bool> selected;
    std::vector<std::string> unknown;
};
CodeMatch MatchFrameworkCodes(const std::vector<std::string>& codes, const std::string& marcos);

// The selection that `marcos` makes from `catalog`. Throws Error (listing the frameworks) when
// a code names none or the selection is not valid: asking again would get the same answer.
FrameworkSelection SelectFrameworksByCode(const FrameworkCatalog& catalog,
                                          const std::string& marcos,
                                          const std::filesystem::path& document);

// Shows the numbered list on `out`, reads the numbers of the chosen entries ("1,3") from `in`,
// asking again for a line that is not a list of entry numbers, and returns what closing the
// dialog with that selection yields (its message shown on `out`). Throws Error when `in` ends.
FrameworkSelection AskFrameworksOnTerminal(const FrameworkCatalog& catalog, std::istream& in,
                                           std::ostream& out);

// Why the command line cannot give the framework step a valid choice for `document`: a code of
// `marcos` that names no framework, a selection that is not valid, or no --marcos when the
// standard input is not a terminal (`interactive` false). Nothing when the step can get its
// choice, or when the document does not need one (fewer than two frameworks). `catalog` holds
// the frameworks of `document`.
std::optional<std::string> FrameworkChoiceProblem(const std::filesystem::path& document,
                                                  const FrameworkCatalog& catalog,
                                                  const std::optional<std::string>& marcos,
                                                  bool interactive);

// `document` loaded, or nothing when it is missing or cannot be read as an exchange document
// (the job reports that itself when it reads the file).
std::optional<ExchangeDocument> LoadIfReadable(const std::filesystem::path& document);

}  // namespace velmaro
