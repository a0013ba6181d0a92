// Files whose names are as long as a folder allows are replaced through temporary files that
// the folder allows too: importar writes the result document of an exchange document whose
// name leaves the result a 250-character name, a table of such a name is written and rewritten,
// and both ways of replacing a file replace one; no temporary file stays.

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "base/FileReplacers.h"
#include "jobs/OutboundFixture.h"
#include "jobs/OutboundJob.h"
#include "support/FakeInteraction.h"
#include "support/ScratchFolder.h"
#include "support/TableRows.h"
#include "support/TemporaryFiles.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

// A name of `length` characters (250 unless told) that begins with `start` and ends with
// `extension`.
std::string LongName(const std::string& start, const std::string& extension,
                     std::size_t length = 250) {
    return start + std::string(length - start.size() - extension.size(), 'x') + extension;
}

const char* kExchange =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SERVICIO modulo=\"EXPORTACION\"><BLOQUE_DATOS>\n"
    "  <grupo_datos seq=\"C_ANNO\"><dato>2023/2024</dato></grupo_datos>\n"
    "  <grupo_datos seq=\"EMPLEADOS\"><grupo_datos><dato>E1</dato></grupo_datos></grupo_datos>\n"
    "</BLOQUE_DATOS></SERVICIO>\n";

// The same job on the same tables, for a short and a long document name, writes the same
// result.
TEST(LongFileNames, ImportarWritesAResultWithTheLongestName) {
    testing::OutboundFolder folder;
    testing::MakeSchoolTables(folder.WorkDir());
    // "ResultadoOrvik" and the document's name: 250 characters.
    const fs::path exchange =
        folder.Exchange().parent_path() / LongName("horario-del-curso-", ".xml", 236);
    const fs::path result =
        exchange.parent_path() / ("ResultadoOrvik" + exchange.filename().string());
    ASSERT_EQ(result.filename().string().size(), 250u);
    std::vector<std::vector<std::string>> outlines;
    for (const fs::path& document : {folder.Exchange(), exchange}) {
        SCOPED_TRACE(document.filename().string());
        testing::WriteBytes(document, kExchange);
        Session session = folder.MakeSession(false);
        testing::FakeInteraction ui;
        ui.picks.push_back(document);

        const auto summary = RunOutboundJob(session, ui);

        ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
        ASSERT_TRUE(summary.has_value());
        outlines.push_back(testing::ReadResultOutline(summary->resultFile));
        EXPECT_TRUE(testing::TemporaryFilesBeside(summary->resultFile).empty());
    }
    EXPECT_TRUE(fs::exists(result));
    EXPECT_FALSE(outlines[0].empty());
    EXPECT_EQ(outlines[1], outlines[0]);
}

TEST(LongFileNames, ATableWithTheLongestNameIsWrittenAndRewritten) {
    testing::ScratchFolder folder;
    const fs::path table = folder / LongName("PROFT-", ".DBF");
    testing::WriteRows(table, layouts::PROFT, {{{"ABREV", "GAR"}}});
    testing::WriteRows(table, layouts::PROFT, {{{"ABREV", "LOP"}}, {{"ABREV", "MAR"}}});

    const testing::Rows rows = testing::ReadRows(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("ABREV"), "LOP");
    EXPECT_EQ(rows[1].at("ABREV"), "MAR");
    EXPECT_TRUE(testing::TemporaryFilesBeside(table).empty());
}

TEST(LongFileNames, EachWayOfReplacingReplacesAFileWithTheLongestName) {
    for (const auto& [replacer, replace] : testing::kReplacers) {
        SCOPED_TRACE(replacer);
        testing::ScratchFolder folder;
        const fs::path target = folder.File(LongName("Tavolin-", ".ini"), "anterior");
        ASSERT_EQ(replace(target, "nuevo"), 0);
        EXPECT_EQ(ReadBytes(target), "nuevo");
        EXPECT_TRUE(testing::TemporaryFilesBeside(target).empty());
    }
}

}  // namespace
}  // namespace velmaro
