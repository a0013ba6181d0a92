#pragma once
// Showing a compiled HTML help file (.chm) with a viewer installed on this system.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro {

// The help context of the main window, its panels and buttons, and the framework dialog.
constexpr int kMainWindowHelpContext = 3;

// The page that help context `context` maps to in Velmaro's help files, or nothing when the
// files have no such context.
std::optional<std::string> HelpTopicPage(int context);

// The command line (program first) that shows `helpFile` at the page of `context`, or at its
// contents page when `context` is nothing, with the first viewer found in `searchPath` (a
// colon-separated list of folders, as $PATH): kchmviewer, xchm, then xdg-open. Viewers that
// cannot be told a page open the file at its contents page. Nothing when no viewer is installed.
std::optional<std::vector<std::string>> HelpViewerCommand(const std::filesystem::path& helpFile,
                                                          std::optional<int> context,
                                                          std::string_view searchPath);

// The message shown when the help file is missing or no viewer is installed.
std::string HelpUnavailableMessage(const std::filesystem::path& helpFile, bool fileExists);

}  // namespace velmaro
