#pragma once
// The framework selection dialog TPlantillas: the frameworks of the exchange document, the
// details of the one clicked last, and one or two chosen with the mouse (Ctrl and click).

#include <QDialog>
#include <filesystem>
#include <optional>
#include <string>

#include "base/UserInteraction.h"
#include "inbound/FrameworkChoice.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace velmaro {

class DialogRunner;
class GradientPanel;
class HelpSystem;

class TPlantillas : public QDialog {
    Q_OBJECT

public:
    // The dialog for the exchange document `filenameXML`, which it reads itself at every
    // activation. `help` may be null (no F1 help).
    TPlantillas(std::filesystem::path filenameXML, DialogRunner& dialogs, HelpSystem* help,
                QWidget* parent);

    // resultMH and resultado as the dialog left them when it closed.
    const FrameworkSelection& Selection() const { return selection_; }
    // Why the document could not be read at an activation; the dialog then closed without
    // checking the selection, and the caller must end the job instead of asking again.
    const std::optional<std::string>& LoadFailure() const { return loadFailure_; }

    // Reloads the document and rebuilds the lists: nothing selected, first framework shown.
    void FormActivate();
    // Shows the details of the framework named by the hidden combo box.
    void ComboBoxPlantillaChange();
    // Shows the details of the framework list's current (focused) item.
    void ListBox2Click();
    // "Continuar": closes the dialog, which checks the selection.
    void BitBtnContinuarClick();

    // Every way of closing (Continuar, Enter, the close box, Escape) passes here: FormClose.
    void done(int result) override;

protected:
    bool event(QEvent* event) override;

private:
    void BuildLayout();
    void FormClose();

    std::filesystem::path filenameXML_;
    DialogRunner& dialogs_;
    std::optional<FrameworkCatalog> catalog_;
    FrameworkSelection selection_;
    std::optional<std::string> loadFailure_;
    bool closing_ = false;

    GradientPanel* Draw3D4 = nullptr;
    QLabel* LabelPlantillas = nullptr;
    QLabel* LabelSelec = nullptr;
    QLabel* LabelMarcos = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* LabelNombre = nullptr;
    QLabel* LabelPlanFec1 = nullptr;
    QLabel* LabelPlanFec2 = nullptr;
    QComboBox* ComboBoxPlantilla = nullptr;
    QPushButton* BitBtnContinuar = nullptr;
};

}  // namespace velmaro
