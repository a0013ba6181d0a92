// The framework selection dialog driven like a user does: clicks, Ctrl-clicks, Enter, the close
// box; what it shows, what it leaves for the caller, and the messages it gives.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "ScriptedDialogs.h"
#include "base/Error.h"
#include "gui/qt/Plantihoras.h"

namespace velmaro::testing {
namespace {

const QString kNoneSelected = "Debe al menos seleccionar 1 Marco Horario.";
const QString kTooMany =
    "Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 Marcos Horarios";

QStringList Items(const QListWidget& list) {
    QStringList items;
    for (int row = 0; row < list.count(); ++row) items << list.item(row)->text();
    return items;
}

class PlantihorasTest : public ::testing::Test {
protected:
    void SetUp() override { WriteDocument(ThreeFrameworks()); }

    void WriteDocument(const SchoolXml& school) { WriteBytes(document_, school.Text()); }

    // Shows the dialog and waits until it is active (its lists are built then).
    void Open() {
        dialog_.show();
        ASSERT_TRUE(ActivateAndWait(dialog_));
    }

    QListWidget& Frameworks() { return *dialog_.findChild<QListWidget*>("ListBox2"); }
    QListWidget& Slots() { return *dialog_.findChild<QListWidget*>("ListBox1"); }
    QString Shown(const char* label) { return dialog_.findChild<QLabel*>(label)->text(); }
    void Continue() {
        QTest::mouseClick(dialog_.findChild<QPushButton*>("BitBtnContinuar"), Qt::LeftButton);
    }

    ScratchFolder folder_;
    std::filesystem::path document_ = folder_.Path() / "centro.xml";
    ScriptedDialogs dialogs_;
    TPlantillas dialog_{document_, dialogs_, nullptr, nullptr};
};

TEST_F(PlantihorasTest, OpensWithNothingSelectedShowingTheFirstFramework) {
    Open();
    EXPECT_EQ(Items(Frameworks()), (QStringList{"A", "B", "CODIGOLARGO12"}));
    EXPECT_TRUE(Frameworks().selectedItems().isEmpty());
    EXPECT_EQ(Shown("LabelNombre"), "Jornada de mañana");
    EXPECT_EQ(Shown("LabelPlanFec1"), "01/09/2024");
    EXPECT_EQ(Shown("LabelPlanFec2"), "30/06/2025");
    EXPECT_EQ(Items(Slots()), (QStringList{"1ª hora", "2ª hora"}));
    EXPECT_EQ(dialog_.findChild<QComboBox*>("ComboBoxPlantilla")->currentText(), "A");
    EXPECT_TRUE(dialog_.isVisible());
}

TEST_F(PlantihorasTest, NothingSelectedAsksForOne) {
    Open();
    Continue();
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialogs_.Texts(), std::vector<QString>{kNoneSelected});
    EXPECT_FALSE(dialog_.Selection().resultMH);
    EXPECT_EQ(dialog_.Selection().resultado, "");
}

TEST_F(PlantihorasTest, ThreeSelectedIsTooManyButAllAreLeft) {
    Open();
    ClickRow(Frameworks(), 0);
    ClickRow(Frameworks(), 1, Qt::ControlModifier);
    ClickRow(Frameworks(), 2, Qt::ControlModifier);
    Continue();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, kTooMany);
    EXPECT_EQ(dialogs_.messages[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(dialogs_.messages[0].buttons, QMessageBox::Ok);
    EXPECT_FALSE(dialog_.Selection().resultMH);
    EXPECT_EQ(dialog_.Selection().resultado, "A         B         CODIGOLARG");
}

TEST_F(PlantihorasTest, SelectionIsLeftInListOrderWhateverTheClickOrder) {
    Open();
    ClickRow(Frameworks(), 2);
    EXPECT_EQ(Shown("LabelNombre"), "Sin tramos");
    ClickRow(Frameworks(), 0, Qt::ControlModifier);
    EXPECT_EQ(Shown("LabelNombre"), "Jornada de mañana");
    Continue();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_TRUE(dialog_.Selection().resultMH);
    EXPECT_EQ(dialog_.Selection().resultado, "A         CODIGOLARG");
}

TEST_F(PlantihorasTest, CtrlClickTakesAFrameworkOutButStillShowsIt) {
    Open();
    ClickRow(Frameworks(), 0);
    ClickRow(Frameworks(), 1, Qt::ControlModifier);
    ClickRow(Frameworks(), 0, Qt::ControlModifier);
    EXPECT_FALSE(Frameworks().item(0)->isSelected());
    EXPECT_TRUE(Frameworks().item(1)->isSelected());
    EXPECT_EQ(Shown("LabelNombre"), "Jornada de mañana");
    EXPECT_EQ(Items(Slots()), (QStringList{"1ª hora", "2ª hora"}));
    Continue();
    EXPECT_EQ(dialog_.Selection().resultado, "B         ");
    EXPECT_TRUE(dialog_.Selection().resultMH);
}

TEST_F(PlantihorasTest, FrameworkWithoutSlotsShowsAnEmptySlotList) {
    Open();
    ClickRow(Frameworks(), 2);
    EXPECT_EQ(Shown("LabelPlanFec1"), "03/09/2024");
    EXPECT_EQ(Slots().count(), 0);
}

TEST_F(PlantihorasTest, CloseBoxChecksTheSelectionLikeContinuar) {
    Open();
    dialog_.close();
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialogs_.Texts(), std::vector<QString>{kNoneSelected});
    EXPECT_FALSE(dialog_.Selection().resultMH);
}

TEST_F(PlantihorasTest, EnterPressesContinuar) {
    Open();
    ClickRow(Frameworks(), 1);
    QTest::keyClick(&dialog_, Qt::Key_Return);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(dialog_.Selection().resultado, "B         ");
}

TEST_F(PlantihorasTest, EveryActivationRereadsTheDocumentAndClearsTheSelection) {
    Open();
    ClickRow(Frameworks(), 1);
    WriteDocument({XmlSection{"JORNADAS_ESCOLARES", {{"X", "Nueva"}, {"Y", "Otra"}}}});
    QWidget other;
    other.show();
    ASSERT_TRUE(ActivateAndWait(other));
    ASSERT_TRUE(ActivateAndWait(dialog_));
    EXPECT_EQ(Items(Frameworks()), (QStringList{"X", "Y"}));
    EXPECT_TRUE(Frameworks().selectedItems().isEmpty());
    EXPECT_EQ(Shown("LabelNombre"), "Nueva");
}

TEST_F(PlantihorasTest, UnreadableDocumentEndsTheDialogWithoutAsking) {
    std::filesystem::remove(document_);
    dialog_.show();
    QTRY_VERIFY(!dialog_.isVisible());
    ASSERT_TRUE(dialog_.LoadFailure().has_value());
    EXPECT_NE(dialog_.LoadFailure()->find("centro.xml"), std::string::npos)
        << *dialog_.LoadFailure();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_FALSE(dialog_.Selection().resultMH);
}

// Frameworks that the tables cannot tell apart: codes equal in their first ten characters, and
// equal codes. The rows clicked (the first a plain click, the others with Ctrl) and what closing
// with Continuar leaves and says.
struct AlikeSelectionCase {
    const char* name;
    std::vector<int> rows;
    bool resultMH;
    std::string resultado;
    std::vector<std::size_t> chosen;
    std::vector<QString> messages;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const AlikeSelectionCase& c, std::ostream* out) { *out << c.name; }

class PlantihorasAlikeTest : public PlantihorasTest,
                             public ::testing::WithParamInterface<AlikeSelectionCase> {
protected:
    void SetUp() override {
        WriteDocument({XmlSection{"JORNADAS_ESCOLARES",
                                  {{"ABCDEFGHIJ1", "Mañana"},
                                   {"ABCDEFGHIJ2", "Tarde"},
                                   {"4401", "Jornada de mañana"},
                                   {"4401", "Jornada de tarde"}}}});
    }
};

TEST_P(PlantihorasAlikeTest, RefusesTwoTheTablesCannotTellApart) {
    const AlikeSelectionCase& c = GetParam();
    Open();
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
        ClickRow(Frameworks(), c.rows[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
    }
    Continue();
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialogs_.Texts(), c.messages);
    EXPECT_EQ(dialog_.Selection().resultMH, c.resultMH);
    EXPECT_EQ(dialog_.Selection().resultado, c.resultado);
    EXPECT_EQ(dialog_.Selection().chosen, c.chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlantihorasAlikeTest,
    ::testing::Values(
        AlikeSelectionCase{
            "CodesEqualInTenCharactersBothChosen",
            {0, 1},
            false,
            "ABCDEFGHIJABCDEFGHIJ",
            {0, 1},
            {QString::fromUtf8(
                "No se pueden aplicar juntos los Marcos Horarios «ABCDEFGHIJ1» (Mañana) y "
                "«ABCDEFGHIJ2» (Tarde): sus códigos coinciden en los 10 primeros caracteres, los "
                "únicos que guardan las tablas de Tavolin, que no los distinguirían.\r\n"
                "Seleccione solo uno de los dos.")}},
        AlikeSelectionCase{"CodesEqualInTenCharactersOneChosen", {1}, true, "ABCDEFGHIJ", {1}, {}},
        AlikeSelectionCase{
            "EqualCodesBothChosen",
            {2, 3},
            false,
            "4401      4401      ",
            {2, 3},
            {QString::fromUtf8("No se pueden aplicar juntos los Marcos Horarios «4401» (Jornada "
                               "de mañana) y «4401» (Jornada de tarde): tienen el mismo código y "
                               "las tablas de Tavolin no los distinguirían.\r\nSeleccione solo "
                               "uno de los dos.")}},
        AlikeSelectionCase{"EqualCodesOneChosen", {3}, true, "4401      ", {3}, {}},
        AlikeSelectionCase{"OneOfEachPair", {3, 0}, true, "ABCDEFGHIJ4401      ", {0, 3}, {}}),
    [](const ::testing::TestParamInfo<AlikeSelectionCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(PlantihorasTest, LayoutAndScreenshot) {
    Open();
    EXPECT_EQ(dialog_.windowTitle(), "Planillas, Marcos o Jornadas Horarias");
    EXPECT_EQ(dialog_.size(), QSize(370, 282));
    EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize());
    EXPECT_FALSE(dialog_.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(dialog_.windowFlags() & Qt::WindowCloseButtonHint);
    ExpectGeometry(dialog_, {{"Draw3D4", {0, 0, 369, 281}},
                             {"LabelPlantillas", {16, 2, 321, 33}},
                             {"LabelSelec", {16, 36, 321, 50}},
                             {"LabelMarcos", {40, 86, 74, 16}},
                             {"Label1", {215, 86, 67, 18}},
                             {"ListBox2", {16, 103, 127, 45}},
                             {"ListBox1", {152, 103, 193, 146}},
                             {"LabelNombre", {9, 151, 120, 41}},
                             {"LabelPlanFec1", {9, 196, 120, 23}},
                             {"LabelPlanFec2", {9, 226, 120, 23}},
                             {"ComboBoxPlantilla", {150, 254, 81, 21}},
                             {"BitBtnContinuar", {255, 253, 89, 25}}});
    EXPECT_FALSE(dialog_.findChild<QComboBox*>("ComboBoxPlantilla")->isVisible());
    auto* continuar = dialog_.findChild<QPushButton*>("BitBtnContinuar");
    EXPECT_EQ(continuar->text(), "Continuar");
    EXPECT_TRUE(continuar->isDefault());
    EXPECT_FALSE(continuar->icon().isNull());
    EXPECT_EQ(Frameworks().selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Frameworks().visualItemRect(Frameworks().item(1)).height(), 13);
    EXPECT_EQ(Shown("LabelMarcos"), "MARCOS");
    EXPECT_EQ(Shown("Label1"), "HORAS");
    const QFont name = dialog_.findChild<QLabel*>("LabelNombre")->font();
    EXPECT_EQ(name.pixelSize(), 16);
    EXPECT_TRUE(name.bold() && name.underline());

    const QImage image = SaveScreenshot(dialog_, "TPlantillas");
    EXPECT_EQ(image.size(), QSize(370, 282));
    // The gradient runs from sky blue at the top to the inactive-caption colour at the bottom.
    ExpectNearColor(image.pixelColor(360, 0), QColor(0xA6, 0xCA, 0xF0));
    ExpectNearColor(image.pixelColor(360, 280), QColor(0xBF, 0xCD, 0xDB));
}

}  // namespace
}  // namespace velmaro::testing
