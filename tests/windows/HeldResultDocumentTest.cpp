// A result document that another Windows program has open (a viewer, an editor, Racima's
// importer) cannot be replaced: the save says that it is open in another program, naming it,
// and the earlier result stays whole. A replacement refused for another reason is not taken for
// that.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "base/Error.h"
#include "base/Utf8Path.h"
#include "outbound/ResultDocument.h"
#include "outbound/ResultDocumentFixture.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/WindowsHoldingProcess.h"

namespace velmaro::testing {
namespace {

namespace fs = std::filesystem;

// The message of the Error that saving a result document at `target` throws; "" when it saves.
std::string SaveMessage(const fs::path& target) {
    try {
        ResultDocument(PrologOfDocument("<SERVICIO/>"), target, "2023", 0, "f").Save();
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

std::string Expected(const fs::path& target, const std::string& reason) {
    return "No se puede guardar el documento de resultado '" + Utf8FromPath(target) +
           "': " + reason;
}

constexpr const char* kHeld =
    "la versión anterior está abierta en otro programa; ciérrela y vuelva a intentarlo";

struct HolderCase {
    const char* name;
    const wchar_t* mode;  // how velmaro-hold-file holds the document
};

void PrintTo(const HolderCase& c, std::ostream* os) { *os << c.name; }

class HeldResultDocument : public ::testing::TestWithParam<HolderCase> {};

TEST_P(HeldResultDocument, SaysItIsOpenInAnotherProgramAndKeepsIt) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / u8"ResultadoOrvikAño📅.xml";
    WriteBytes(target, "anterior");
    {
        HoldingProcess holder(GetParam().mode, target);
        ASSERT_TRUE(holder.Holds());
        EXPECT_EQ(SaveMessage(target), Expected(target, kHeld));
    }
    EXPECT_EQ(ReadBytes(target), "anterior");
    EXPECT_EQ(Listing(dir.Path()), Utf8FromPath(target.filename()) + ";");
}

// Opened for itself alone; opened sharing reading and writing, with the whole file locked, as
// an editor keeps a file it shows.
const HolderCase kHolderCases[] = {
    {"ShareModeNothing", L"share"},
    {"SharedOpeningWithALock", L"lock"},
    {"SharedOpeningWithASharedLock", L"shared-lock"},
};

INSTANTIATE_TEST_SUITE_P(Holders, HeldResultDocument, ::testing::ValuesIn(kHolderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder in place of the document refuses the replacement too, and no program holds it: that
// is never taken for an open document.
TEST(HeldResultDocument, FolderInItsPlaceIsNotTakenForAnOpenDocument) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / u8"ResultadoOrvikAño📅.xml";
    fs::create_directory(target);
    EXPECT_EQ(SaveMessage(target), Expected(target, "no hay permiso"));
    EXPECT_TRUE(fs::is_directory(target));
}

TEST(HeldResultDocument, ClosedByTheOtherProgramItIsReplaced) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / u8"ResultadoOrvikAño📅.xml";
    WriteBytes(target, "anterior");
    {
        HoldingProcess holder(L"share", target);
        ASSERT_TRUE(holder.Holds());
    }
    EXPECT_EQ(SaveMessage(target), "");
    EXPECT_TRUE(ReadBytes(target).starts_with("<SERVICIO"));
}

}  // namespace
}  // namespace velmaro::testing
