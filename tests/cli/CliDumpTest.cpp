// velmaro-cli dump, run as a program: exact CSV output, exit statuses and messages.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"

namespace velmaro {
namespace {

using testing::ProgramRun;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchFolder;
using testing::WriteBytes;

class CliDump : public ::testing::Test {
protected:
    ProgramRun Dump(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "dump");
        return RunProgram(std::filesystem::path(VELMARO_RUNTIME_DIR) / "velmaro-cli", arguments,
                          folder_);
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

    ScratchFolder folder_;
};

TEST_F(CliDump, PrintsLiveRowsAsCsvWithAHeaderRow) {
    const ProgramRun run = Dump({WriteFixture().string()});
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
    WriteBytes(notATable, "esto no es una tabla dBase, solo texto suficiente para una cabecera");
    const std::filesystem::path cutHeader = folder_ / "CABECERA.DBF";
    const std::string fixture = ReadBytes(WriteFixture());
    WriteBytes(cutHeader, fixture.substr(0, 50));
    const std::filesystem::path cutRecords = folder_ / "CORTADA.DBF";
    WriteBytes(cutRecords, fixture.substr(0, fixture.size() - 30));

    struct Case {
        const char* name;
        std::filesystem::path file;
        const char* message;
    };
    for (const Case& c : {Case{"missing", missing, "No existe la tabla"},
                          Case{"notATable", notATable, "no es una tabla dBase válida"},
                          Case{"headerCut", cutHeader, "no es una tabla dBase válida"},
                          Case{"recordsCut", cutRecords, "está incompleta"}}) {
        const ProgramRun run = Dump({c.file.string()});
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
