// Modal dialogs and the program's message boxes.

#include "gui/qt/DialogRunner.h"

#include <QCoreApplication>
#include <QDialog>
#include <QMessageBox>

namespace velmaro {
namespace {

void ShowMessageBox(DialogRunner& dialogs, QWidget* parent, QMessageBox::Icon icon,
                    const QString& text) {
    QMessageBox box(icon, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    dialogs.Run(box);
}

}  // namespace

int ModalDialogRunner::Run(QDialog& dialog) { return dialog.exec(); }

void ShowPlainMessage(DialogRunner& dialogs, QWidget* parent, const QString& text) {
    ShowMessageBox(dialogs, parent, QMessageBox::NoIcon, text);
}

void ShowErrorMessage(DialogRunner& dialogs, QWidget* parent, const QString& text) {
    ShowMessageBox(dialogs, parent, QMessageBox::Critical, text);
}

}  // namespace velmaro
