#pragma once
// The main window TMForm: the two jobs side by side, help, and the run modes of the program.
// It holds no conversion logic: the jobs run in the core and talk to the user through this
// window, which implements the user-interaction seam with real dialogs.

#include <QWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "jobs/Session.h"
#include "base/UserInteraction.h"

class QLabel;
class QPushButton;

namespace velmaro {

class DialogRunner;
class GradientPanel;
class HelpSystem;

class TMForm : public QWidget, public UserInteraction {
    Q_OBJECT

public:
    // FormCreate: the session for `arguments` (the command line without the program name).
    TMForm(std::vector<std::string> arguments, PlatformPaths paths, DialogRunner& dialogs,
           HelpSystem& help, QWidget* parent = nullptr);

    const Session& CurrentSession() const { return session_; }

    // The inbound conversion (button BExportar).
    void BExportarClick();
    // The outbound conversion (button BImportar).
    void BImportarClick();
    // "F1 Ayuda": switches to RACIMA.chm and shows its contents page.
    void Button1Click();

    std::optional<std::filesystem::path> PickExchangeDocument() override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void SetWaitCursor(bool waiting) override;
    FrameworkSelection ChooseFrameworks(const std::filesystem::path& exchangeDocument) override;

protected:
    // The first show queues FormShow, so that a batch job starts once the window is on screen.
    void showEvent(QShowEvent* event) override;
    // FormClose: in batch mode the result code goes to Tavolin.ini.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void FormShow();
    // Runs one job (or the batch start), then shows its effect on the buttons and the window.
    template <typename Job>
    void RunJob(Job job);

    std::vector<std::string> arguments_;
    Session session_;
    DialogRunner& dialogs_;
    HelpSystem& help_;
    bool shown_ = false;
    bool waiting_ = false;

    GradientPanel* Draw3D1 = nullptr;
    GradientPanel* Draw3D2 = nullptr;
    GradientPanel* Draw3D3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* BExportar = nullptr;
    QPushButton* BImportar = nullptr;
    QPushButton* BClose = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace velmaro
