#pragma once
// Qt's own texts in Spanish: the buttons and labels of the file dialog and of the standard
// message-box buttons come from Qt's translations, which are installed with Qt.

namespace velmaro {

// Loads Qt's Spanish translations into the running application. Returns false, leaving Qt's
// English texts, when the translation files are not installed.
bool InstallQtSpanishTexts();

}  // namespace velmaro
