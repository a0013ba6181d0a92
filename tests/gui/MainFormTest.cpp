// The main window driven like a user (or Tavolin) does: its layout, both jobs through the
// buttons, the batch runs, the result code in Tavolin.ini, and help.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "GuiTestSupport.h"
#include "ScriptedDialogs.h"
#include "base/Error.h"
#include "gui/qt/GradientPanel.h"
#include "gui/qt/HelpSystem.h"
#include "gui/qt/MainForm.h"
#include "support/FileBytes.h"

namespace velmaro::testing {
namespace {

namespace fs = std::filesystem;

const QString kFinished = "Proceso finalizado";
const QString kNoFile = "No existe archivo";
const QString kNoReferenceTable = "ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale VELMARO";
const fs::path kSampleSchool =
    fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(WorkDir());
        fs::create_directories(ProgramDir());
        fs::copy_file(kSampleSchool, Document());
    }

    fs::path WorkDir() const { return root_.Path() / "ttemp"; }
    fs::path ProgramDir() const { return root_.Path() / "programa"; }
    fs::path Document() const { return root_.Path() / "centro.xml"; }
    fs::path Ini() const { return ProgramDir() / "Tavolin.ini"; }

    void InstallReferenceTable() {
        fs::copy_file(fs::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF",
                      ProgramDir() / "NIVELLARI.DBF");
    }

    // Creates the window for `arguments`, shows it and lets a batch job run to its end.
    TMForm& Start(std::vector<std::string> arguments) {
        form_ = std::make_unique<TMForm>(std::move(arguments),
                                         PlatformPaths{WorkDir(), ProgramDir()}, dialogs_, help_);
        form_->show();
        // A batch job that ends by closing the window may do so before the window is exposed.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !form_->isVisible() || form_->windowHandle()->isExposed(); }));
        QTest::qWait(20);
        return *form_;
    }

    QPushButton& Button(const char* name) { return *form_->findChild<QPushButton*>(name); }
    void Click(const char* name) { QTest::mouseClick(&Button(name), Qt::LeftButton); }

    ScratchFolder root_;
    ScriptedDialogs dialogs_;
    HelpSystem help_{VELMARO_RUNTIME_DIR, "RUVED.chm", dialogs_};
    std::unique_ptr<TMForm> form_;
};

TEST_F(MainFormTest, LayoutAndScreenshot) {
    TMForm& form = Start({});
    EXPECT_EQ(form.windowTitle(), "Exportar e importar datos entre Tavolin y Racima");
    EXPECT_EQ(form.size(), QSize(632, 266));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    // Centred before the window manager adds its frame, so within a few pixels.
    EXPECT_LE((form.geometry().center() - screenCentre).manhattanLength(), 8);
    ExpectGeometry(form, {{"Draw3D2", {0, 0, 315, 169}},
                          {"Label3", {24, 24, 265, 57}},
                          {"BExportar", {96, 120, 89, 25}},
                          {"Draw3D3", {316, 0, 317, 169}},
                          {"Label4", {8, 24, 305, 57}},
                          {"BImportar", {96, 120, 89, 25}},
                          {"Draw3D1", {0, 168, 633, 97}},
                          {"Label1", {8, 72, 226, 13}},
                          {"BClose", {256, 32, 89, 25}},
                          {"Button1", {263, 64, 75, 25}}});
    EXPECT_EQ(form.findChild<QWidget*>("BExportar")->parentWidget()->objectName(), "Draw3D2");
    EXPECT_EQ(form.findChild<QWidget*>("BImportar")->parentWidget()->objectName(), "Draw3D3");

    struct LabelText {
        const char* name;
        const char* text;
        int pixelSize;
    };
    for (const LabelText& label :
         {LabelText{"Label3", "Transformar datos desde Racima hacia Tavolin ", 16},
          LabelText{"Label4", "Transformar datos desde Tavolin hacia Racima", 16},
          LabelText{"Label1", "Velmaro para QV30 V-1.0", 11}}) {
        const auto* widget = form.findChild<QLabel*>(label.name);
        EXPECT_EQ(widget->text(), label.text) << label.name;
        EXPECT_EQ(widget->font().pixelSize(), label.pixelSize) << label.name;
        EXPECT_TRUE(widget->font().bold()) << label.name;
    }
    EXPECT_EQ(form.findChild<QLabel*>("Label1")->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    for (const char* name : {"BExportar", "BImportar"}) {
        EXPECT_EQ(Button(name).text(), "OK") << name;
        EXPECT_FALSE(Button(name).icon().isNull()) << name;
    }
    EXPECT_EQ(Button("BClose").text(), "&Salir");
    EXPECT_EQ(Button("Button1").text(), "F1 Ayuda");
    const auto* upper = form.findChild<GradientPanel*>("Draw3D2");
    EXPECT_EQ(upper->Colors().start, QColor(0xF9, 0xD3, 0x7D));
    EXPECT_EQ(upper->Colors().end, QColor(0xFF, 0xEE, 0xDD));
    const auto* bottom = form.findChild<GradientPanel*>("Draw3D1");
    EXPECT_EQ(bottom->Colors().middle, QColor(0xCF, 0xF2, 0xFE));

    const QImage image = SaveScreenshot(form, "TMForm");
    EXPECT_EQ(image.size(), QSize(632, 266));
    // Top of the job panels and bottom of the strip (the strip ends one pixel above the client
    // area's last row, where it was laid out to end).
    ExpectNearColor(image.pixelColor(5, 0), QColor(0xF9, 0xD3, 0x7D));
    ExpectNearColor(image.pixelColor(320, 84), Qt::white);
    ExpectNearColor(image.pixelColor(5, 264), QColor(0xCC, 0xD8, 0xE6));
}

TEST_F(MainFormTest, InboundJobThroughTheButton) {
    InstallReferenceTable();
    TMForm& form = Start({});
    dialogs_.picks.push_back(Document());
    Qt::CursorShape cursorDuringChoice = Qt::ArrowCursor;
    dialogs_.frameworkScript = [&](TPlantillas& dialog) {
        if (QApplication::overrideCursor())
            cursorDuringChoice = QApplication::overrideCursor()->shape();
        ClickRow(*dialog.findChild<QListWidget*>("ListBox2"), 0);
    };

    Click("BExportar");

    ASSERT_EQ(dialogs_.fileDialogs.size(), 1u);
    EXPECT_EQ(dialogs_.fileDialogs[0].title, "Seleccione Archivo XML obtenido de RACIMA");
    EXPECT_EQ(dialogs_.fileDialogs[0].nameFilters, QStringList{"*.xml"});
    EXPECT_EQ(dialogs_.fileDialogs[0].defaultSuffix, "xml");
    EXPECT_EQ(dialogs_.fileDialogs[0].acceptMode, QFileDialog::AcceptOpen);
    // Qt's own texts of the dialog read in Spanish, as every text of ours does.
    EXPECT_EQ(dialogs_.fileDialogs[0].buttonTexts, (QStringList{"&Abrir", "Cancelar"}));
    EXPECT_EQ(dialogs_.fileDialogs[0].labelTexts,
              (QStringList{"Ver en:", "&Nombre de fichero:", "Ficheros de tipo:"}));
    EXPECT_EQ(dialogs_.frameworkDialogs, 1);
    EXPECT_EQ(cursorDuringChoice, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(dialogs_.Texts(), std::vector<QString>{kFinished});
    EXPECT_EQ(dialogs_.messages[0].caption, "Velmaro");
    EXPECT_EQ(dialogs_.messages[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(dialogs_.messages[0].buttons, QMessageBox::Ok);
    for (const char* table :
         {"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF", "GRUPOST.DBF", "PERIODOS.DBF"}) {
        EXPECT_TRUE(fs::exists(WorkDir() / table)) << table;
    }
    EXPECT_EQ(form.CurrentSession().resultCode, 1);
    EXPECT_EQ(form.CurrentSession().filenameXML, Document());

    // After a completed job both job buttons stay off; help and Salir still work.
    EXPECT_FALSE(Button("BExportar").isEnabled());
    EXPECT_FALSE(Button("BImportar").isEnabled());
    EXPECT_TRUE(form.isVisible());
    Click("Button1");
    EXPECT_EQ(help_.File(), "RACIMA.chm");
    Click("BClose");
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(MainFormTest, RoundTripOutboundJobThroughTheButton) {
    InstallReferenceTable();
    Start({});
    dialogs_.picks.push_back(Document());
    Click("BExportar");
    ASSERT_EQ(dialogs_.Texts(), std::vector<QString>{kFinished});
    form_->close();

    const std::string planner = (fs::path(VELMARO_RUNTIME_DIR) / "tavolin-sim").string() +
                                " --work-dir '" + WorkDir().string() + "' > /dev/null";
    ASSERT_EQ(std::system(planner.c_str()), 0);
    ASSERT_TRUE(fs::exists(WorkDir() / "SOLUC.DBF"));

    dialogs_.messages.clear();
    TMForm& form = Start({});
    dialogs_.picks.push_back(Document());
    Click("BImportar");
    EXPECT_EQ(dialogs_.Texts(), std::vector<QString>{kFinished});
    EXPECT_EQ(form.CurrentSession().resultCode, 1);
    EXPECT_FALSE(Button("BExportar").isEnabled());
    EXPECT_FALSE(Button("BImportar").isEnabled());
    const std::string result = ReadBytes(root_.Path() / "ResultadoOrvikcentro.xml");
    EXPECT_NE(result.find("SERVICIO"), std::string::npos);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainFormTest, BatchExportarInCapitalsRunsTheInboundJobAndCloses) {
    InstallReferenceTable();
    dialogs_.picks.push_back(Document());
    TMForm& form = Start({"EXPORTAR", "lo que sea"});
    EXPECT_EQ(dialogs_.Texts(), std::vector<QString>{kFinished});
    EXPECT_EQ(dialogs_.frameworkDialogs, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadBytes(Ini()), "[Transformadores]\r\nTransformado=1\r\n");
    EXPECT_TRUE(fs::exists(WorkDir() / "DIASHORAST.DBF"));
}

class BatchCancelledTest : public MainFormTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(BatchCancelledTest, NoFileWritesMinusOneAndClosesTheWindow) {
    InstallReferenceTable();
    TMForm& form = Start({GetParam(), "x"});
    EXPECT_EQ(dialogs_.fileDialogs.size(), 1u);
    EXPECT_EQ(dialogs_.Texts(), std::vector<QString>{kNoFile});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadBytes(Ini()), "[Transformadores]\r\nTransformado=-1\r\n");
}

INSTANTIATE_TEST_SUITE_P(Commands, BatchCancelledTest, ::testing::Values("exportar", "Importar"));

TEST_F(MainFormTest, BatchWithoutReferenceTableStaysOpenAndClosingWritesZero) {
    dialogs_.picks.push_back(Document());
    TMForm& form = Start({"exportar", "x"});
    EXPECT_EQ(dialogs_.Texts(), std::vector<QString>{kNoReferenceTable});
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(Button("BExportar").isEnabled());
    EXPECT_FALSE(fs::exists(Ini()));
    form.close();
    EXPECT_EQ(ReadBytes(Ini()), "[Transformadores]\r\nTransformado=0\r\n");
}

struct IdleStartCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<std::string> iniAfterClose;
};

void PrintTo(const IdleStartCase& c, std::ostream* os) { *os << c.name; }

class IdleStartTest : public MainFormTest, public ::testing::WithParamInterface<IdleStartCase> {};

TEST_P(IdleStartTest, NoJobStartsAndClosingWritesOnlyInBatchMode) {
    TMForm& form = Start(GetParam().arguments);
    EXPECT_TRUE(dialogs_.fileDialogs.empty());
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_TRUE(form.isVisible());
    Click("BClose");
    EXPECT_FALSE(form.isVisible());
    if (GetParam().iniAfterClose) {
        EXPECT_EQ(ReadBytes(Ini()), *GetParam().iniAfterClose);
    } else {
        EXPECT_FALSE(fs::exists(Ini()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, IdleStartTest,
    ::testing::Values(IdleStartCase{"NoCommandWord",
                                    {"convertir", "exportar"},
                                    "[Transformadores]\r\nTransformado=0\r\n"},
                      IdleStartCase{"NoArguments", {}, std::nullopt},
                      IdleStartCase{"OneArgument", {"exportar"}, std::nullopt},
                      IdleStartCase{"ThreeArguments", {"exportar", "x", "y"}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, ClosingKeepsTheOtherSectionsAndKeysOfTavolinIni) {
    const std::string before =
        "[Tavolin]\r\nRuta=C:\\TTEMP\r\n\r\n[Transformadores]\r\nTransformado=1\r\n"
        "Version=3\r\n";
    WriteBytes(Ini(), before);
    TMForm& form = Start({"convertir", "x"});
    form.close();
    EXPECT_EQ(ReadBytes(Ini()),
              "[Tavolin]\r\nRuta=C:\\TTEMP\r\n\r\n[Transformadores]\r\nTransformado=0\r\n"
              "Version=3\r\n");
}

TEST_F(MainFormTest, UnwritableTavolinIniIsReportedAndTheWindowStillCloses) {
    fs::create_directory(Ini());
    TMForm& form = Start({"convertir", "x"});
    form.close();
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.contains("Tavolin.ini"))
        << dialogs_.messages[0].text.toStdString();
}

TEST_F(MainFormTest, FrameworkDialogThatCannotReadTheDocumentEndsTheJob) {
    TMForm& form = Start({});
    EXPECT_THROW(form.ChooseFrameworks(root_.Path() / "borrado.xml"), Error);
    EXPECT_TRUE(dialogs_.messages.empty());
}

// A stand-in CHM viewer on $PATH that writes the arguments it was started with.
class HelpTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        fs::create_directories(Bin());
        savedPath_ = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(Bin().string()));
    }
    void TearDown() override { qputenv("PATH", savedPath_); }

    fs::path Bin() const { return root_.Path() / "bin"; }
    fs::path ViewerLog() const { return root_.Path() / "visor.txt"; }

    void InstallViewer() {
        const fs::path viewer = Bin() / "kchmviewer";
        std::ofstream(viewer) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << ViewerLog().string()
                              << ".tmp'\n"
                              << "/bin/mv '" << ViewerLog().string() << ".tmp' '"
                              << ViewerLog().string() << "'\n";
        fs::permissions(viewer, fs::perms::owner_all);
    }

    // What the viewer was started with, once it has run; then forgets it.
    std::string ViewerArguments() {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(fs::exists(ViewerLog()), 10000); }();
        const std::string arguments = ReadBytes(ViewerLog());
        fs::remove(ViewerLog());
        return arguments;
    }

    QByteArray savedPath_;
};

TEST_F(HelpTest, F1ShowsTopic3OfRuvedThenOfRacimaAfterF1Ayuda) {
    InstallViewer();
    TMForm& form = Start({});
    const std::string runtime = fs::path(VELMARO_RUNTIME_DIR).string();

    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_EQ(ViewerArguments(), "-showPage\nventana_principal.html\n" + runtime + "/RUVED.chm\n");

    Click("Button1");
    EXPECT_EQ(ViewerArguments(), runtime + "/RACIMA.chm\n");

    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_EQ(ViewerArguments(), "-showPage\nventana_principal.html\n" + runtime + "/RACIMA.chm\n");
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(HelpTest, F1InTheFrameworkDialogShowsTopic3OfTheCurrentFile) {
    InstallViewer();
    WriteBytes(Document(), ThreeFrameworks().Text());
    Start({});
    TPlantillas dialog(Document(), dialogs_, &help_, form_.get());
    dialog.show();
    ASSERT_TRUE(ActivateAndWait(dialog));
    QTest::keyClick(&dialog, Qt::Key_F1);
    const std::string runtime = fs::path(VELMARO_RUNTIME_DIR).string();
    EXPECT_EQ(ViewerArguments(), "-showPage\nventana_principal.html\n" + runtime + "/RUVED.chm\n");
}

TEST_F(HelpTest, WithoutViewerAMessageNamesTheHelpFile) {
    TMForm& form = Start({});
    QTest::keyClick(&form, Qt::Key_F1);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.contains("RUVED.chm"));
    EXPECT_EQ(dialogs_.messages[0].icon, QMessageBox::NoIcon);
}

}  // namespace
}  // namespace velmaro::testing
