#pragma once
// The program's help: the current help file (RUVED.chm at start) beside the executable, shown
// at a topic or at its contents page by an installed CHM viewer.

#include <filesystem>
#include <optional>
#include <string>

class QWidget;

namespace velmaro {

class DialogRunner;

class HelpSystem {
public:
    HelpSystem(std::filesystem::path folder, std::string fileName, DialogRunner& dialogs);

    // Makes `fileName` (a bare file name in the help folder) the current help file.
    void SetFile(std::string fileName) { fileName_ = std::move(fileName); }
    const std::string& File() const { return fileName_; }

    // Shows the page of help context `context` of the current file.
    void ShowTopic(int context, QWidget* parent);
    // Shows the contents page of the current file.
    void ShowContents(QWidget* parent);

private:
    void Show(std::optional<int> context, QWidget* parent);

    std::filesystem::path folder_;
    std::string fileName_;
    DialogRunner& dialogs_;
};

}  // namespace velmaro
