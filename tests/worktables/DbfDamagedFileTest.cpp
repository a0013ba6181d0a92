// Damaged and lying files: a clear error naming the file, or the rows that can be read;
// never a crash and never a read outside the file.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "base/Error.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

const TableLayout kLayout{"ROTA.DBF",
                          {{"NOMBRE", FieldKind::Character, 8}, {"DIA", FieldKind::Integer, 0}},
                          std::nullopt};
constexpr std::size_t kHeaderLength = 32 + 2 * 32 + 1;  // 97
constexpr std::size_t kRecordLength = 1 + 8 + 11;       // 20

// A sound table of three rows, as bytes.
std::string SoundTable(const ScratchFolder& folder) {
    {
        DbfTable table = DbfTable::Create(folder / "SANA.DBF", kLayout);
        for (int i = 1; i <= 3; ++i) {
            const std::size_t row = table.Append();
            table.SetText(row, "NOMBRE", "FILA" + std::to_string(i));
            table.SetInteger(row, "DIA", i);
        }
    }
    return ReadBytes(folder / "SANA.DBF");
}

void Patch16(std::string& bytes, std::size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

struct DamageCase {
    const char* name;
    std::function<void(std::string&)> damage;
    int rows;  // rows expected to be readable; -1: the open must fail with an Error
    bool reportsDamage;
};

class DamagedFile : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFile, GivesAnErrorOrTheReadableRows) {
    const DamageCase& c = GetParam();
    ScratchFolder folder;
    std::string bytes = SoundTable(folder);
    c.damage(bytes);
    const std::filesystem::path path = folder / "ROTA.DBF";
    WriteBytes(path, bytes);
    if (c.rows < 0) {
        const std::string message =
            ErrorMessage([&] { DbfTable::Open(path, TableAccess::Shared); });
        EXPECT_NE(message.find(path.string()), std::string::npos) << message;
        return;
    }
    DbfTable table = DbfTable::Open(path, TableAccess::Shared);
    ASSERT_EQ(table.RecordCount(), static_cast<std::size_t>(c.rows));
    for (std::size_t row = 0; row < table.RecordCount(); ++row) {
        EXPECT_EQ(table.Text(row, "NOMBRE"), "FILA" + std::to_string(row + 1));
        EXPECT_EQ(table.Integer(row, "DIA"), static_cast<int>(row) + 1);
    }
    EXPECT_EQ(!table.Damage().empty(), c.reportsDamage) << table.Damage();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFile,
    ::testing::Values(
        DamageCase{"sound", [](std::string&) {}, 3, false},
        DamageCase{"countTooBig", [](std::string& b) { b[4] = 100; }, 3, true},
        DamageCase{"countTooSmall", [](std::string& b) { b[4] = 1; }, 3, false},
        DamageCase{"countZero", [](std::string& b) { b[4] = 0; }, 3, false},
        DamageCase{"countHuge", [](std::string& b) { b[7] = '\x7F'; }, 3, true},
        DamageCase{"noEndOfFileMark", [](std::string& b) { b.pop_back(); }, 3, false},
        DamageCase{"lastRecordCut", [](std::string& b) { b.resize(b.size() - 6); }, 2, true},
        DamageCase{"recordsGone", [](std::string& b) { b.resize(kHeaderLength); }, 0, true},
        DamageCase{"endMarkInTheMiddle",
                   [](std::string& b) { b[kHeaderLength + 2 * kRecordLength] = '\x1A'; }, 2, true},
        DamageCase{"recordLengthLongerThanFields",
                   [](std::string& b) {
                       Patch16(b, 10, kRecordLength + 2);  // two unknown bytes per record
                       b = b.substr(0, kHeaderLength) + b.substr(kHeaderLength, kRecordLength) +
                           "xx" + b.substr(kHeaderLength + kRecordLength, kRecordLength) + "xx" +
                           b.substr(kHeaderLength + 2 * kRecordLength, kRecordLength) + "xx\x1A";
                   },
                   3, false},
        DamageCase{"recordLengthShorterThanFields", [](std::string& b) { Patch16(b, 10, 12); }, -1,
                   false},
        DamageCase{"recordLengthZero", [](std::string& b) { Patch16(b, 10, 0); }, -1, false},
        DamageCase{"headerLengthInsideDescriptors", [](std::string& b) { Patch16(b, 8, 40); }, -1,
                   false},
        DamageCase{"headerLengthPastTheFile", [](std::string& b) { Patch16(b, 8, 60000); }, -1,
                   false},
        DamageCase{"noTerminator", [](std::string& b) { b = b.substr(0, 96); }, -1, false},
        DamageCase{"cutInsideDescriptors", [](std::string& b) { b.resize(50); }, -1, false},
        DamageCase{"cutInsideMainHeader", [](std::string& b) { b.resize(20); }, -1, false},
        DamageCase{"empty", [](std::string& b) { b.clear(); }, -1, false},
        DamageCase{"unknownVersion", [](std::string& b) { b[0] = 0x02; }, -1, false},
        DamageCase{"noFields", [](std::string& b) { b = b.substr(0, 32) + "\x0D"; }, -1, false},
        DamageCase{"textFile",
                   [](std::string& b) { b = "NOMBRE;DIA\nFILA1;1\n" + std::string(40, 'x'); }, -1,
                   false}),
    [](const auto& info) { return std::string(info.param.name); });

// Random damage to the header and random cuts: every outcome is an Error or readable rows.
TEST(DamagedFile, RandomDamageNeverCrashes) {
    ScratchFolder folder;
    const std::string sound = SoundTable(folder);
    const std::filesystem::path path = folder / "ROTA.DBF";
    std::mt19937 random(20240917);
    int opened = 0;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = sound;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            bytes[random() % kHeaderLength] = static_cast<char>(random() % 256);
        }
        if (random() % 3 == 0) bytes.resize(random() % (bytes.size() + 1));
        WriteBytes(path, bytes);
        try {
            DbfTable table = DbfTable::Open(path, TableAccess::Shared);
            for (std::size_t row = 0; row < table.RecordCount(); ++row) {
                for (const std::string& field : table.FieldNames()) {
                    (void)table.Text(row, field);
                    try {
                        (void)table.Integer(row, field);
                    } catch (const Error&) {
                    }
                }
            }
            table.Close();
            ++opened;
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find("ROTA.DBF"), std::string::npos)
                << error.what();
            ++refused;
        }
    }
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace velmaro
