// velmaro-cli dump, run as a program: exact CSV output, exit statuses and messages.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "worktables/DbfTable.h"

namespace velmaro {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Quoted(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CliDump : public ::testing::Test {
protected:
    CliDump() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmaro-cli-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    ~CliDump() override { std::filesystem::remove_all(folder_); }

    CliRun Dump(const std::vector<std::string>& arguments) const {
        std::string command = Quoted(std::string(VELMARO_RUNTIME_DIR) + "/velmaro-cli") + " dump";
        for (const std::string& argument : arguments) command += " " + Quoted(argument);
        const std::filesystem::path out = folder_ / "out.txt";
        const std::filesystem::path err = folder_ / "err.txt";
        command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
        CliRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    // A table whose values need every kind of CSV quoting, with its second row deleted.
    std::filesystem::path WriteFixture() const {
        const std::filesystem::path path = folder_ / "MUESTRA.DBF";
        const TableLayout layout{"MUESTRA.DBF",
                                 {{"NOMBRE", FieldKind::Character, 20},
                                  {"HORAS", FieldKind::Float, 0},
                                  {"ACTIVO", FieldKind::Logical, 0}},
                                 std::nullopt};
        {
            DbfTable table = DbfTable::Create(path, layout);
            const auto add = [&](const std::string& name, double hours, bool active) {
                const std::size_t row = table.Append();
                table.SetText(row, "NOMBRE", name);
                table.SetFloat(row, "HORAS", hours);
                table.SetLogical(row, "ACTIVO", active);
            };
            add("Ana, López", 2.5, true);
            add("BORRADA", 1, false);
            add("Dice \"sí\"", 4, false);
            add("línea\nnueva", -3.25, true);
            table.Append();  // nothing set
        }
        // Mark the second record deleted, as another dBase program would.
        const std::size_t headerLength = 32 + 3 * 32 + 1;
        const std::size_t recordLength = 1 + 20 + 20 + 1;
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(static_cast<std::streamoff>(headerLength + recordLength));
        file.put('*');
        return path;
    }

    std::filesystem::path folder_;
};

TEST_F(CliDump, PrintsLiveRowsAsCsvWithAHeaderRow) {
    const CliRun run = Dump({WriteFixture().string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "NOMBRE,HORAS,ACTIVO\n"
              "\"Ana, López\",2.5,T\n"
              "\"Dice \"\"sí\"\"\",4,F\n"
              "\"línea\nnueva\",-3.25,T\n"
              ",,\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliDump, ProblemsGiveASpanishMessageNamingTheFile) {
    const std::filesystem::path missing = folder_ / "NOHAY.DBF";
    const std::filesystem::path notATable = folder_ / "TEXTO.DBF";
    std::ofstream(notATable) << "esto no es una tabla dBase, solo texto suficiente para una cabecera";
    const std::filesystem::path cutHeader = folder_ / "CABECERA.DBF";
    const std::string fixture = Slurp(WriteFixture());
    std::ofstream(cutHeader, std::ios::binary) << fixture.substr(0, 50);
    const std::filesystem::path cutRecords = folder_ / "CORTADA.DBF";
    std::ofstream(cutRecords, std::ios::binary) << fixture.substr(0, fixture.size() - 30);

    struct Case {
        const char* name;
        std::filesystem::path file;
        const char* message;
    };
    for (const Case& c : {Case{"missing", missing, "No existe la tabla"},
                          Case{"notATable", notATable, "no es una tabla dBase válida"},
                          Case{"headerCut", cutHeader, "no es una tabla dBase válida"},
                          Case{"recordsCut", cutRecords, "está incompleta"}}) {
        const CliRun run = Dump({c.file.string()});
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find(c.file.string()), std::string::npos) << c.name << ": " << run.err;
    }
}

TEST_F(CliDump, WrongUsageExitsWithTwo) {
    EXPECT_EQ(Dump({}).status, 2);
    EXPECT_EQ(Dump({"A.DBF", "B.DBF"}).status, 2);
}

}  // namespace
}  // namespace velmaro
