// The framework selection dialog over the framework-choice rules of the core.

#include "gui/qt/Plantihoras.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <vector>

#include "gui/qt/ClassicFonts.h"
#include "gui/qt/DialogRunner.h"
#include "base/Error.h"
#include "gui/qt/GradientPanel.h"
#include "gui/qt/HelpSystem.h"
#include "gui/qt/HelpViewer.h"

namespace velmaro {
namespace {

constexpr QSize kClientSize(370, 282);
constexpr int kItemHeight = 13;
const QColor kMaroon(0x80, 0x00, 0x00);
// Sky blue, white, and the inactive-caption colour of the classic Windows scheme.
const GradientColors kPanelColors{QColor(0xA6, 0xCA, 0xF0), Qt::white, QColor(0xBF, 0xCD, 0xDB)};

// Rows of a fixed height, as the lists of the dialog have.
class FixedRowHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }
};

template <typename Widget>
Widget* Place(Widget* widget, const char* name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QLabel* DialogLabel(const char* name, const char* text, QRect geometry, QFont font, QColor color,
                    QWidget* parent) {
    auto* label = Place(new QLabel(QString::fromUtf8(text), parent), name, geometry);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QListWidget* DialogList(const char* name, QRect geometry, QWidget* parent) {
    auto* list = Place(new QListWidget(parent), name, geometry);
    list->setItemDelegate(new FixedRowHeightDelegate(list));
    list->setUniformItemSizes(true);
    return list;
}

QFont DetailFont(FontStyle style = {.bold = true}) {
    return ClassicFont(FontFace::Arial, 16, style);
}

}  // namespace

TPlantillas::TPlantillas(std::filesystem::path filenameXML, DialogRunner& dialogs, HelpSystem* help,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      filenameXML_(std::move(filenameXML)),
      dialogs_(dialogs) {
    setObjectName("Plantillas");
    setWindowTitle("Planillas, Marcos o Jornadas Horarias");
    setFont(ClassicFont(FontFace::MsSansSerif, 11));
    setFixedSize(kClientSize);
    BuildLayout();
    if (help != nullptr) {
        auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
        connect(f1, &QShortcut::activated, this,
                [this, help] { help->ShowTopic(kMainWindowHelpContext, this); });
    }
}

void TPlantillas::BuildLayout() {
    Draw3D4 = Place(new GradientPanel(kPanelColors, this), "Draw3D4", {0, 0, 369, 281});
    LabelPlantillas = DialogLabel(
        "LabelPlantillas",
        "Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su Horario en Tavolin.",
        {16, 2, 321, 33}, ClassicFont(FontFace::Arial, 13, {.bold = true}),
        palette().color(QPalette::WindowText), Draw3D4);
    LabelPlantillas->setWordWrap(true);
    LabelSelec = DialogLabel("LabelSelec",
                             "Para seleccionar mas de un Marco Horario, mantenga (Ctrl) pulsado y "
                             "seleccione cada marco con 1 click del botón izquierdo del ratón.",
                             {16, 36, 321, 50},
                             ClassicFont(FontFace::Arial, 13, {.bold = true, .italic = true}),
                             Qt::red, Draw3D4);
    LabelSelec->setWordWrap(true);
    LabelMarcos =
        DialogLabel("LabelMarcos", "MARCOS", {40, 86, 74, 16}, DetailFont(), kMaroon, Draw3D4);
    Label1 = DialogLabel("Label1", "HORAS", {215, 86, 67, 18}, DetailFont(), kMaroon, Draw3D4);

    ListBox2 = DialogList("ListBox2", {16, 103, 127, 45}, Draw3D4);
    ListBox2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1 = DialogList("ListBox1", {152, 103, 193, 146}, Draw3D4);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    LabelNombre = DialogLabel("LabelNombre", "-", {9, 151, 120, 41},
                              DetailFont({.bold = true, .underline = true}), kMaroon, Draw3D4);
    LabelNombre->setWordWrap(true);
    LabelPlanFec1 =
        DialogLabel("LabelPlanFec1", "-", {9, 196, 120, 23}, DetailFont(), kMaroon, Draw3D4);
    LabelPlanFec2 =
        DialogLabel("LabelPlanFec2", "-", {9, 226, 120, 23}, DetailFont(), kMaroon, Draw3D4);

    ComboBoxPlantilla = Place(new QComboBox(Draw3D4), "ComboBoxPlantilla", {150, 254, 81, 21});
    ComboBoxPlantilla->setEditable(false);
    QFont comboFont = font();
    comboFont.setBold(true);
    ComboBoxPlantilla->setFont(comboFont);
    QPalette yellow = ComboBoxPlantilla->palette();
    yellow.setColor(QPalette::Button, Qt::yellow);
    yellow.setColor(QPalette::Base, Qt::yellow);
    ComboBoxPlantilla->setPalette(yellow);
    ComboBoxPlantilla->hide();

    BitBtnContinuar =
        Place(new QPushButton("Continuar", Draw3D4), "BitBtnContinuar", {255, 253, 89, 25});
    BitBtnContinuar->setIcon(BitBtnContinuar->style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtnContinuar->setFont(ClassicFont(FontFace::MsSansSerif, 11, {.bold = true}));
    BitBtnContinuar->setDefault(true);

    setTabOrder(BitBtnContinuar, ComboBoxPlantilla);
    setTabOrder(ComboBoxPlantilla, ListBox1);
    setTabOrder(ListBox1, ListBox2);
    BitBtnContinuar->setFocus();

    connect(ListBox2, &QListWidget::currentRowChanged, this, &TPlantillas::ListBox2Click);
    connect(ListBox2, &QListWidget::clicked, this, &TPlantillas::ListBox2Click);
    connect(BitBtnContinuar, &QPushButton::clicked, this, &TPlantillas::BitBtnContinuarClick);
}

bool TPlantillas::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !closing_ && !loadFailure_) FormActivate();
    return QDialog::event(event);
}

void TPlantillas::FormActivate() {
    try {
        catalog_ = FrameworkCatalog::Load(filenameXML_);
    } catch (const Error& failure) {
        // The lists could never offer a valid choice: close and let the caller end the job.
        catalog_.reset();
        loadFailure_ = failure.what();
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    const QSignalBlocker blockList(ListBox2);
    const auto& codes = catalog_->Codes();
    if (!codes.empty()) {
        ComboBoxPlantilla->clear();
        ListBox2->clear();
        for (const std::string& code : codes) {
            ComboBoxPlantilla->addItem(QString::fromStdString(code));
            ListBox2->addItem(QString::fromStdString(code));
        }
    }
    ListBox2->clearSelection();
    ComboBoxPlantilla->setCurrentIndex(ComboBoxPlantilla->count() > 0 ? 0 : -1);
    ComboBoxPlantillaChange();
}

void TPlantillas::ComboBoxPlantillaChange() {
    const FrameworkDetails details =
        catalog_ ? catalog_->Details(ComboBoxPlantilla->currentText().toStdString())
                 : FrameworkDetails{};
    LabelNombre->setText(QString::fromStdString(details.name));
    LabelPlanFec1->setText(QString::fromStdString(details.startDate));
    LabelPlanFec2->setText(QString::fromStdString(details.endDate));
    if (details.slotLabels) {
        ListBox1->clear();
        for (const std::string& label : *details.slotLabels)
            ListBox1->addItem(QString::fromStdString(label));
    }
}

void TPlantillas::ListBox2Click() {
    ComboBoxPlantilla->setCurrentIndex(ListBox2->currentRow());
    ComboBoxPlantillaChange();
}

void TPlantillas::BitBtnContinuarClick() { close(); }

void TPlantillas::done(int result) {
    if (!closing_) {
        closing_ = true;
        if (!loadFailure_) FormClose();
    }
    QDialog::done(result);
}

void TPlantillas::FormClose() {
    std::vector<bool> selected;
    for (int row = 0; row < ListBox2->count(); ++row) {
        selected.push_back(ListBox2->item(row)->isSelected());
    }
    // The list holds the catalog's entries, row for row.
    SelectionOutcome outcome =
        CloseFrameworkSelection(catalog_ ? *catalog_ : FrameworkCatalog(), selected);
    selection_ = outcome.selection;
    if (outcome.message) ShowPlainMessage(dialogs_, this, QString::fromStdString(*outcome.message));
}

}  // namespace velmaro
