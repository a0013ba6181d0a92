#include "gui/qt/QtSpanishTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmaro {

bool InstallQtSpanishTexts() {
    // Owned by the application, so the translation lasts as long as it does.
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool loaded = translator->load(QLocale(QLocale::Spanish, QLocale::Spain), "qtbase", "_",
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace velmaro
