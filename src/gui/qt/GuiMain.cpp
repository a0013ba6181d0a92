// velmaro: the desktop program. Two command-line arguments start a batch run for Tavolin.

#include <QApplication>
#include <string>
#include <vector>

#include "gui/qt/DialogRunner.h"
#include "gui/qt/HelpSystem.h"
#include "gui/qt/MainForm.h"
#include "gui/qt/QtSpanishTexts.h"
#include "base/MemoryReuse.h"
#include "base/PlatformPaths.h"

int main(int argc, char** argv) {
    velmaro::KeepFreedMemoryForReuse();
    // Batch mode depends on how many arguments the program was given, so they are taken before
    // Qt removes the options it understands (-reverse, -style...) from argv.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    QApplication application(argc, argv);
    QApplication::setApplicationName("Velmaro");
    velmaro::InstallQtSpanishTexts();

    const velmaro::PlatformPaths paths{velmaro::DefaultWorkDir(), velmaro::DefaultProgramDir()};

    velmaro::ModalDialogRunner dialogs;
    velmaro::HelpSystem help(paths.programDir, "RUVED.chm", dialogs);
    velmaro::TMForm form(arguments, paths, dialogs, help);
    form.show();
    return QApplication::exec();
}
