// velmaro-cli exportar on the sample school: the framework choice by --marcos, on a terminal,
// and the runs that must stop before any table is touched.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"
#include "support/TableRows.h"

namespace velmaro::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSampleSchool = fs::path(VELMARO_SOURCE_DIR) / "data/sample/RacimaEjemplo.xml";

const std::vector<std::string> kTables = {
    "ASIGNOMT.DBF", "ASIGNOMT2.DBF", "PROFT.DBF",      "AULAT.DBF",       "CURSOST.DBF",
    "GRUPOST.DBF",  "ASIGT.DBF",     "DIASHORAST.DBF", "DIASHORAST2.DBF", "PERIODOS.DBF"};

// A work-table folder for one run of the CLI, with the reference table built beside it.
class ExportarRun {
public:
    ExportarRun() { fs::create_directories(WorkDir()); }
    // Converts `school` instead of the sample school.
    explicit ExportarRun(const SchoolXml& school) : ExportarRun() {
        document_ = root_.Path() / "centro.xml";
        WriteBytes(document_, school.Text());
    }
    fs::path WorkDir() const { return root_.Path() / "ttemp"; }
    fs::path ProgramDir() const { return VELMARO_RUNTIME_DIR; }

    // velmaro-cli exportar on the sample school with `extra` options, stdin from /dev/null.
    ProgramRun Exportar(const std::string& extra) const {
        return RunShell(Command(extra) + " < /dev/null", root_.Path());
    }
    std::string Command(const std::string& extra) const {
        return ShellQuoted(kCli.string()) + " exportar --xml " +
               ShellQuoted(document_.string()) + " --work-dir " +
               ShellQuoted(WorkDir().string()) + " --program-dir " +
               ShellQuoted(ProgramDir().string()) + " " + extra;
    }
    const fs::path& Root() const { return root_.Path(); }

private:
    ScratchFolder root_;
    fs::path document_ = kSampleSchool;
};

TEST(ExportarFrameworkChoice, MarcosChooseInListOrderAndAllTablesAreWritten) {
    ExportarRun run;
    WriteBytes(run.WorkDir() / "JORNADAS.DBF", "old");
    const ProgramRun result = run.Exportar("--marcos ' 4402 ,4401'");
    ASSERT_EQ(result.status, 0) << result.err;

    for (const std::string& table : kTables) {
        EXPECT_TRUE(fs::exists(run.WorkDir() / table)) << table;
        EXPECT_NE(result.out.find(table), std::string::npos) << result.out;
    }
    EXPECT_TRUE(fs::exists(run.WorkDir() / "DIASHORAST2.MDX"));
    EXPECT_FALSE(fs::exists(run.WorkDir() / "JORNADAS.DBF"));

    // The frameworks in list order, whatever order --marcos gave.
    const Rows periods = ReadRows(run.WorkDir() / "PERIODOS.DBF");
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(periods[0].at("CJORNADA"), "4401");
    EXPECT_EQ(periods[1].at("CJORNADA"), "4402");
    // The morning framework starts earlier and gets MARCO 0.
    for (const auto& row : ReadRows(run.WorkDir() / "DIASHORAST.DBF")) {
        EXPECT_EQ(row.at("MARCO"), row.at("MARCOXML") == "4401" ? "0" : "1") << row.at("DIHO");
    }
    EXPECT_FALSE(ReadRows(run.WorkDir() / "ASIGT.DBF").empty());
    // The sample's course keys are in the reference table that ships with the program.
    for (const auto& row : ReadRows(run.WorkDir() / "CURSOST.DBF")) {
        EXPECT_NE(row.at("NIVEL"), "Niv") << row.at("CLAVE");
    }
}

TEST(ExportarFrameworkChoice, AnIndependentReaderReadsEveryTableWithOurRowCounts) {
    ExportarRun run;
    ASSERT_EQ(run.Exportar("--marcos 4401,4402").status, 0);
    std::string script =
        "import sys\nfrom dbfread import DBF\nfor name in sys.argv[1:]:\n"
        "    rows = list(DBF(name, encoding='cp1252', char_decode_errors='strict'))\n"
        "    print(name.rsplit('/', 1)[-1], len(rows))\n";
    WriteBytes(run.Root() / "count.py", script);
    std::string command = "/usr/bin/python3 " + ShellQuoted((run.Root() / "count.py").string());
    std::string expected;
    for (const std::string& table : kTables) {
        command += " " + ShellQuoted((run.WorkDir() / table).string());
        expected += table + " " + std::to_string(ReadRows(run.WorkDir() / table).size()) + "\n";
    }
    const ProgramRun counted = RunShell(command, run.Root());
    ASSERT_EQ(counted.status, 0) << counted.err;
    EXPECT_EQ(counted.out, expected);
}

// A run that the command line cannot give a framework choice: usage error, codes listed,
// nothing in the work-table folder touched.
struct RefusedCase {
    const char* name;
    const char* options;
    const char* reason;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class ExportarRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ExportarRefused, StopsBeforeAnyTableListingTheFrameworks) {
    const RefusedCase& c = GetParam();
    ExportarRun run;
    WriteBytes(run.WorkDir() / "PROFT.DBF", "tabla anterior");
    const ProgramRun result = run.Exportar(c.options);

    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    for (const char* listed :
         {"1) 4401", "2) 4402", "Jornada de tarde", "09/09/2026 - 22/06/2027"}) {
        EXPECT_NE(result.err.find(listed), std::string::npos) << listed << "\n" << result.err;
    }
    EXPECT_EQ(ReadBytes(run.WorkDir() / "PROFT.DBF"), "tabla anterior");
    EXPECT_EQ(std::distance(fs::directory_iterator(run.WorkDir()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportarRefused,
    ::testing::Values(RefusedCase{"UnknownCode", "--marcos 4401,9999", "9999"},
                      RefusedCase{"CodeCaseMatters", "--marcos 4401,X4402", "X4402"},
                      RefusedCase{"NoCodeGiven", "--marcos ''",
                                  "Debe al menos seleccionar 1 Marco Horario."},
                      RefusedCase{"NoMarcosAndNoTerminal", "", "--marcos CÓDIGO[,CÓDIGO]"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(ExportarFrameworkChoice, TerminalListAsksAgainUntilTheSelectionIsValid) {
    ExportarRun run;
    // script(1) gives the program a terminal; the answers: a number outside the list, an empty
    // line (nothing selected) and then both frameworks.
    const ProgramRun result = RunShell(
        "printf '7\\n\\n2,1\\n' | script -qec " + ShellQuoted(run.Command("")) + " /dev/null",
        run.Root());
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("'7' no es un número de la lista"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Debe al menos seleccionar 1 Marco Horario."), std::string::npos);
    EXPECT_NE(result.out.find("1) 4401"), std::string::npos);
    EXPECT_EQ(ReadRows(run.WorkDir() / "PERIODOS.DBF").size(), 2u);
}

// Two pairs of frameworks that the tables cannot tell apart: codes equal in their first ten
// characters, and equal codes; each framework with its own slots.
const SchoolXml kAlikeSchool{
    XmlSection{"JORNADAS_ESCOLARES",
               {{"ABCDEFGHIJ1", "Mañana", "01/09/2026", "30/06/2027"},
                {"ABCDEFGHIJ2", "Tarde", "01/09/2026", "30/06/2027"},
                {"4401", "Jornada de mañana", "01/09/2026", "30/06/2027"},
                {"4401", "Jornada de tarde", "02/09/2026", "29/06/2027"}}},
    XmlSection{"TRAMOS_HORARIOS",
               {{"a1", "1ª", "480", "535", "ABCDEFGHIJ1"},
                {"b1", "1ª tarde", "900", "955", "ABCDEFGHIJ2"},
                {"s1", "1ª", "470", "525", "4401"},
                {"a2", "2ª", "535", "590", "ABCDEFGHIJ1"}}}};

const char* const kTenAlike =
    "«ABCDEFGHIJ2» (Tarde) coincide con el registro 1, «ABCDEFGHIJ1» (Mañana) en los 10 "
    "primeros caracteres del código";
const char* const kSameAlike =
    "«4401» (Jornada de tarde) tiene el mismo código que el registro 3, «4401» (Jornada de "
    "mañana)";

// A choice among frameworks the tables cannot tell apart, by --marcos or on a terminal (script
// gives the program one; `answers` are the lines typed).
struct AlikeCase {
    const char* name;
    const char* marcos;   // nullptr: chosen on the terminal
    const char* answers;  // the lines typed on the terminal
    int status;
    std::vector<std::string> dayOneSlots;  // CODDIHO of day 1's rows (a completed run)
    std::vector<std::string> periods;      // JORNADA of the PERIODOS.DBF rows (a completed run)
    std::vector<std::string> said;         // what the run prints (either stream)
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const AlikeCase& c, std::ostream* out) { *out << c.name; }

class ExportarAlikeFrameworks : public ::testing::TestWithParam<AlikeCase> {};

TEST_P(ExportarAlikeFrameworks, AppliesOnlyTheChosenOneAndRefusesBoth) {
    const AlikeCase& c = GetParam();
    ExportarRun run(kAlikeSchool);
    WriteBytes(run.WorkDir() / "PROFT.DBF", "tabla anterior");
    const ProgramRun result =
        c.marcos ? run.Exportar(std::string("--informe --marcos ") + c.marcos)
                 : RunShell("printf '" + std::string(c.answers) + "' | script -qec " +
                                ShellQuoted(run.Command("--informe")) + " /dev/null",
                            run.Root());
    ASSERT_EQ(result.status, c.status) << result.out << result.err;
    for (const std::string& said : c.said) {
        EXPECT_NE((result.out + result.err).find(said), std::string::npos)
            << said << "\n" << result.out << result.err;
    }
    if (c.status != 0) {
        EXPECT_EQ(ReadBytes(run.WorkDir() / "PROFT.DBF"), "tabla anterior");
        EXPECT_EQ(std::distance(fs::directory_iterator(run.WorkDir()), fs::directory_iterator()),
                  1);
        return;
    }
    const Rows grid = ReadRows(run.WorkDir() / "DIASHORAST.DBF");
    ASSERT_EQ(grid.size(), 7 * c.dayOneSlots.size());
    std::vector<std::string> dayOne, periods;
    for (std::size_t i = 0; i < c.dayOneSlots.size(); ++i) dayOne.push_back(grid[i].at("CODDIHO"));
    for (const auto& row : ReadRows(run.WorkDir() / "PERIODOS.DBF")) {
        periods.push_back(row.at("JORNADA"));
    }
    EXPECT_EQ(dayOne, c.dayOneSlots);
    EXPECT_EQ(periods, c.periods);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportarAlikeFrameworks,
    ::testing::Values(
        AlikeCase{"CodesEqualInTenCharactersOneChosen",
                  "ABCDEFGHIJ1",
                  nullptr,
                  0,
                  {"a1", "a2"},
                  {"Mañana"},
                  {"  Marcos Horarios que las tablas no distinguen de otro: 2\n", kTenAlike,
                   kSameAlike, "«ABCDEFGHIJ2» (Tarde) no se ha aplicado al horario"}},
        AlikeCase{"CodesEqualInTenCharactersBothChosen",
                  "ABCDEFGHIJ1,ABCDEFGHIJ2",
                  nullptr,
                  2,
                  {},
                  {},
                  {"No se pueden aplicar juntos los Marcos Horarios «ABCDEFGHIJ1» (Mañana) y "
                   "«ABCDEFGHIJ2» (Tarde): sus códigos coinciden en los 10 primeros caracteres",
                   "1) ABCDEFGHIJ1  Mañana", "2) ABCDEFGHIJ2  Tarde"}},
        // The code names both, so --marcos chooses both: refused, with the way to choose one.
        AlikeCase{"EqualCodesBothChosenByTheirCode",
                  "4401",
                  nullptr,
                  2,
                  {},
                  {},
                  {"No se pueden aplicar juntos los Marcos Horarios «4401» (Jornada de mañana) y "
                   "«4401» (Jornada de tarde): tienen el mismo código",
                   "elíjalo por su número de la lista",
                   "3) 4401  Jornada de mañana  01/09/2026 - 30/06/2027",
                   "4) 4401  Jornada de tarde  02/09/2026 - 29/06/2027"}},
        // On the terminal, both are refused and asked again; then one, by its number.
        AlikeCase{"EqualCodesBothRefusedThenOneChosenOnTheTerminal",
                  nullptr,
                  "3,4\\n4\\n",
                  0,
                  {"s1"},
                  {"Jornada de tarde"},
                  {"Seleccione solo uno de los dos.", kSameAlike,
                   "«4401» (Jornada de mañana) no se ha aplicado al horario"}}),
    [](const ::testing::TestParamInfo<AlikeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro::testing
