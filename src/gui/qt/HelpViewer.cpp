// Choosing a CHM viewer and the command line that shows a page of a help file.

#include "gui/qt/HelpViewer.h"

#include <unistd.h>

#include <array>

namespace velmaro {
namespace {

namespace fs = std::filesystem;

// How one viewer is told which file, and which page, to show.
struct Viewer {
    std::string_view program;
    bool takesPage;  // "-showPage PAGE FILE" opens FILE at PAGE
};

constexpr std::array kViewers = {
    Viewer{"kchmviewer", true},
    Viewer{"xchm", false},
    Viewer{"xdg-open", false},
};

std::optional<fs::path> FindProgram(std::string_view program, std::string_view searchPath) {
    while (true) {
        const auto colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        if (!folder.empty()) {
            const fs::path candidate = fs::path(folder) / program;
            std::error_code error;
            if (fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) return std::nullopt;
        searchPath.remove_prefix(colon + 1);
    }
}

}  // namespace

std::optional<std::string> HelpTopicPage(int context) {
    if (context == kMainWindowHelpContext) return "ventana_principal.html";
    return std::nullopt;
}

std::optional<std::vector<std::string>> HelpViewerCommand(const fs::path& helpFile,
                                                          std::optional<int> context,
                                                          std::string_view searchPath) {
    for (const Viewer& viewer : kViewers) {
        const auto program = FindProgram(viewer.program, searchPath);
        if (!program) continue;
        std::vector<std::string> command = {program->string()};
        const auto page = context ? HelpTopicPage(*context) : std::nullopt;
        if (viewer.takesPage && page) {
            command.push_back("-showPage");
            command.push_back(*page);
        }
        command.push_back(helpFile.string());
        return command;
    }
    return std::nullopt;
}

std::string HelpUnavailableMessage(const fs::path& helpFile, bool fileExists) {
    if (!fileExists) {
        return "No se encuentra el archivo de ayuda '" + helpFile.string() +
               "'. Reinstale VELMARO.";
    }
    return "No se puede mostrar la ayuda '" + helpFile.string() +
           "': no hay instalado ningún visor de archivos CHM (por ejemplo xchm o kchmviewer).";
}

}  // namespace velmaro
