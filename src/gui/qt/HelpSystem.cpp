// Starting a CHM viewer for the current help file, or saying why there is none.

#include "gui/qt/HelpSystem.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdlib>

#include "gui/qt/DialogRunner.h"
#include "gui/qt/HelpViewer.h"

namespace velmaro {

HelpSystem::HelpSystem(std::filesystem::path folder, std::string fileName, DialogRunner& dialogs)
    : folder_(std::move(folder)), fileName_(std::move(fileName)), dialogs_(dialogs) {}

void HelpSystem::ShowTopic(int context, QWidget* parent) { Show(context, parent); }

void HelpSystem::ShowContents(QWidget* parent) { Show(std::nullopt, parent); }

void HelpSystem::Show(std::optional<int> context, QWidget* parent) {
    const std::filesystem::path file = folder_ / fileName_;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        ShowPlainMessage(dialogs_, parent,
                         QString::fromStdString(HelpUnavailableMessage(file, false)));
        return;
    }
    const char* searchPath = std::getenv("PATH");
    const auto command = HelpViewerCommand(file, context, searchPath != nullptr ? searchPath : "");
    QStringList arguments;
    if (command) {
        for (auto it = command->begin() + 1; it != command->end(); ++it) {
            arguments << QString::fromStdString(*it);
        }
    }
    if (!command || !QProcess::startDetached(QString::fromStdString(command->front()), arguments)) {
        ShowPlainMessage(dialogs_, parent,
                         QString::fromStdString(HelpUnavailableMessage(file, true)));
    }
}

}  // namespace velmaro
