#pragma once
// Running the desktop program's modal dialogs through one hook, so that a test can answer a
// dialog (file choice, message box, framework choice) instead of a person.

class QDialog;
class QString;
class QWidget;

namespace velmaro {

class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Shows `dialog` modally and returns its result code once it has closed.
    virtual int Run(QDialog& dialog) = 0;
};

// Shows every dialog to the user and waits for it (QDialog::exec).
class ModalDialogRunner final : public DialogRunner {
public:
    int Run(QDialog& dialog) override;
};

// A plain message box: no icon, one OK button, the application name as its caption, centred
// over `parent`.
void ShowPlainMessage(DialogRunner& dialogs, QWidget* parent, const QString& text);
// The error box for a failure that ended a job: the same box with the critical icon.
void ShowErrorMessage(DialogRunner& dialogs, QWidget* parent, const QString& text);

}  // namespace velmaro
