// velmaro: the desktop program. Two command-line arguments start a batch run for Tavolin.

#include <QApplication>
#include <string>
#include <vector>

#include "gui/qt/DialogRunner.h"
#include "gui/qt/HelpSystem.h"
#include "gui/qt/MainForm.h"
#include "base/MemoryReuse.h"
#include "base/PlatformPaths.h"

int main(int argc, char** argv) {
    velmaro::KeepFreedMemoryForReuse();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Velmaro");

    // Qt has taken out the options it understands; what is left are the program's arguments.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const velmaro::PlatformPaths paths{velmaro::DefaultWorkDir(), velmaro::DefaultProgramDir()};

    velmaro::ModalDialogRunner dialogs;
    velmaro::HelpSystem help(paths.programDir, "RUVED.chm", dialogs);
    velmaro::TMForm form(arguments, paths, dialogs, help);
    form.show();
    return QApplication::exec();
}
