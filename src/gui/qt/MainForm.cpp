// The main window: layout, run modes and the user-interaction seam over Qt dialogs.

#include "gui/qt/MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <exception>

#include "gui/qt/ClassicFonts.h"
#include "gui/qt/DialogRunner.h"
#include "base/Error.h"
#include "gui/qt/GradientPanel.h"
#include "gui/qt/HelpSystem.h"
#include "gui/qt/HelpViewer.h"
#include "jobs/InboundJob.h"
#include "jobs/RunModes.h"
#include "gui/qt/Plantihoras.h"
#include "jobs/OutboundJob.h"

namespace velmaro {
namespace {

constexpr QSize kClientSize(632, 266);
const char* const kCaption = "Exportar e importar datos entre Tavolin y Racima";
const char* const kOpenDialogTitle = "Seleccione Archivo XML obtenido de RACIMA";

const GradientColors kJobPanelColors{QColor(0xF9, 0xD3, 0x7D), Qt::white, QColor(0xFF, 0xEE, 0xDD)};
const GradientColors kBottomStripColors{QColor(0xC2, 0xCD, 0xFE), QColor(0xCF, 0xF2, 0xFE),
                                        QColor(0xCC, 0xD8, 0xE6)};

template <typename Widget>
Widget* Place(Widget* widget, const char* name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QLabel* JobLabel(const char* name, const char* text, QRect geometry, QWidget* parent) {
    auto* label = Place(new QLabel(text, parent), name, geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(ClassicFont(FontFace::Arial, 16, {.bold = true}));
    return label;
}

QPushButton* OkButton(const char* name, QRect geometry, QWidget* parent) {
    auto* button = Place(new QPushButton("OK", parent), name, geometry);
    button->setIcon(button->style()->standardIcon(QStyle::SP_DialogOkButton));
    return button;
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame(QPoint(0, 0), window.size());
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace

TMForm::TMForm(std::vector<std::string> arguments, PlatformPaths paths, DialogRunner& dialogs,
               HelpSystem& help, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      arguments_(std::move(arguments)),
      session_(CreateSession(arguments_, std::move(paths))),
      dialogs_(dialogs),
      help_(help) {
    setObjectName("MForm");
    setWindowTitle(kCaption);
    setFont(ClassicFont(FontFace::MsSansSerif, 11));
    setFixedSize(kClientSize);
    BuildLayout();
    CentreOnScreen(*this);

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [this] { help_.ShowTopic(kMainWindowHelpContext, this); });
}

void TMForm::BuildLayout() {
    Draw3D2 = Place(new GradientPanel(kJobPanelColors, this), "Draw3D2", {0, 0, 315, 169});
    Label3 = JobLabel("Label3", "Transformar datos desde Racima hacia Tavolin ", {24, 24, 265, 57},
                      Draw3D2);
    BExportar = OkButton("BExportar", {96, 120, 89, 25}, Draw3D2);

    Draw3D3 = Place(new GradientPanel(kJobPanelColors, this), "Draw3D3", {316, 0, 317, 169});
    Label4 = JobLabel("Label4", "Transformar datos desde Tavolin hacia Racima", {8, 24, 305, 57},
                      Draw3D3);
    BImportar = OkButton("BImportar", {96, 120, 89, 25}, Draw3D3);

    Draw3D1 = Place(new GradientPanel(kBottomStripColors, this), "Draw3D1", {0, 168, 633, 97});
    Label1 = Place(new QLabel("Velmaro para QV30 V-1.0", Draw3D1), "Label1", {8, 72, 226, 13});
    Label1->setFont(ClassicFont(FontFace::MsSansSerif, 11, {.bold = true}));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);

    BClose = Place(new QPushButton("&Salir", Draw3D1), "BClose", {256, 32, 89, 25});
    BClose->setIcon(BClose->style()->standardIcon(QStyle::SP_DialogCloseButton));
    Button1 = Place(new QPushButton("F1 Ayuda", Draw3D1), "Button1", {263, 64, 75, 25});

    connect(BExportar, &QPushButton::clicked, this, &TMForm::BExportarClick);
    connect(BImportar, &QPushButton::clicked, this, &TMForm::BImportarClick);
    connect(BClose, &QPushButton::clicked, this, &QWidget::close);
    connect(Button1, &QPushButton::clicked, this, &TMForm::Button1Click);
}

void TMForm::BExportarClick() {
    RunJob([this] { RunInboundJob(session_, *this); });
}

void TMForm::BImportarClick() {
    RunJob([this] { RunOutboundJob(session_, *this); });
}

void TMForm::Button1Click() {
    help_.SetFile("RACIMA.chm");
    help_.ShowContents(this);
}

void TMForm::FormShow() {
    RunJob([this] { ShowSession(session_, arguments_, *this); });
}

template <typename Job>
void TMForm::RunJob(Job job) {
    try {
        job();
    } catch (const std::exception& failure) {
        // The jobs report their own errors; this catches what escaped them (a library failure),
        // so that the window stays usable as after any other failed job.
        SetWaitCursor(false);
        ShowError(failure.what());
    }
    BExportar->setEnabled(session_.jobButtonsEnabled);
    BImportar->setEnabled(session_.jobButtonsEnabled);
    if (session_.closeRequested) close();
}

std::optional<std::filesystem::path> TMForm::PickExchangeDocument() {
    QFileDialog dialog(this, kOpenDialogTitle);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("*.xml");
    dialog.setDefaultSuffix("xml");
    if (!session_.filenameXML.empty()) {
        dialog.selectFile(QFile::decodeName(session_.filenameXML.c_str()));
    }
    if (dialogs_.Run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

void TMForm::ShowMessage(const std::string& text) {
    ShowPlainMessage(dialogs_, this, QString::fromStdString(text));
}

void TMForm::ShowError(const std::string& text) {
    ShowErrorMessage(dialogs_, this, QString::fromStdString(text));
}

void TMForm::SetWaitCursor(bool waiting) {
    if (waiting == waiting_) return;
    waiting_ = waiting;
    if (waiting) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

FrameworkSelection TMForm::ChooseFrameworks(const std::filesystem::path& exchangeDocument) {
    TPlantillas dialog(exchangeDocument, dialogs_, &help_, this);
    dialogs_.Run(dialog);
    if (const auto& failure = dialog.LoadFailure()) throw Error(*failure);
    return dialog.Selection();
}

void TMForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    QTimer::singleShot(0, this, &TMForm::FormShow);
}

void TMForm::closeEvent(QCloseEvent* event) {
    try {
        CloseSession(session_);
    } catch (const std::exception& failure) {
        // The window still closes: a batch run must end even when the result cannot be written.
        ShowError(failure.what());
    }
    event->accept();
}

}  // namespace velmaro
