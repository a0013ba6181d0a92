// velmaro-cli exportar on a school's document that is not well-formed in one value of a teacher:
// the run stops with status 1, naming the file, the line and the column, and leaves the work
// tables of an earlier run as they were. The same cases on every platform (under Wine on
// Windows, whose XmlLite lets these documents through).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchFolder;
using testing::WriteBytes;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSample = fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";
// The given name of the sample's first teacher, alone on line 1470.
const std::string kFirstTeacherName = "<dato nombre_dato=\"NOMBRE\">Ana</dato>";

// Every file under `folder` (the run lock's file aside) with its bytes.
std::map<std::string, std::string> FilesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != "velmaro-bloqueo") {
            files[fs::relative(entry.path(), folder).generic_string()] = ReadBytes(entry.path());
        }
    }
    return files;
}

// The names of the files that differ between `before` and `after`, or that only one has.
std::vector<std::string> ChangedFiles(const std::map<std::string, std::string>& before,
                                      const std::map<std::string, std::string>& after) {
    std::vector<std::string> changed;
    for (const auto& [name, bytes] : after) {
        const auto earlier = before.find(name);
        if (earlier == before.end() || earlier->second != bytes) changed.push_back(name);
    }
    for (const auto& [name, bytes] : before) {
        if (!after.contains(name)) changed.push_back(name);
    }
    return changed;
}

struct BrokenName {
    const char* name;
    std::string line;  // in place of the first teacher's given name
};

TEST(CliMalformedDocument, ExportarStopsNamingLineAndColumnAndLeavesTheTables) {
    const std::vector<BrokenName> cases = {
        {"undefined entity", "<dato nombre_dato=\"NOMBRE\">Ana &foo; Mar</dato>"},
        {"bare ampersand", "<dato nombre_dato=\"NOMBRE\">Ana & Mar</dato>"},
        {"reference to U+0000", "<dato nombre_dato=\"NOMBRE\">Ana &#0; Mar</dato>"},
        {"reference to a surrogate", "<dato nombre_dato=\"NOMBRE\">Ana &#xD800; Mar</dato>"},
        {"raw U+0001", "<dato nombre_dato=\"NOMBRE\">Ana \x01 Mar</dato>"},
        {"duplicate attribute",
         "<dato nombre_dato=\"NOMBRE\" nombre_dato=\"APELLIDO1\">Ana</dato>"},
        {"element name starting with a digit", "<dato nombre_dato=\"NOMBRE\"><1x>Ana</1x></dato>"},
    };
    ScratchFolder scratch;
    const fs::path work = scratch.Folder("TTEMP");
    const auto exportar = [&](const fs::path& xml) {
        return RunProgram(kCli,
                          {"exportar", "--xml", xml.string(), "--work-dir", work.string(),
                           "--program-dir", VELMARO_RUNTIME_DIR, "--marcos", "4401"},
                          scratch);
    };
    const ProgramRun first = exportar(kSample);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::map<std::string, std::string> tables = FilesUnder(work);
    ASSERT_TRUE(tables.contains("PROFT.DBF"));

    const std::string sample = ReadBytes(kSample);
    const std::size_t at = sample.find(kFirstTeacherName);
    ASSERT_NE(at, std::string::npos);
    for (const BrokenName& c : cases) {
        SCOPED_TRACE(c.name);
        std::string broken = sample;
        broken.replace(at, kFirstTeacherName.size(), c.line);
        const fs::path document = scratch / "roto.xml";
        WriteBytes(document, broken);
        const ProgramRun run = exportar(document);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("roto.xml"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("el XML no está bien formado (línea 1470, columna "),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(ChangedFiles(tables, FilesUnder(work)), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace velmaro
