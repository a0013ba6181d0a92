// Damaged and lying files: read leniently, a clear error naming the file or the rows that can
// be read; read strictly, an error naming the file and what is wrong unless the file holds
// exactly the records its header declares. Never a crash and never a read outside the file.

#include <gtest/gtest.h>

#include <cstdint>
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
            ErrorMessage([&] { DbfTable::Open(path, TableAccess::Shared, TableReading::Lenient); });
        EXPECT_NE(message.find(path.string()), std::string::npos) << message;
        return;
    }
    DbfTable table = DbfTable::Open(path, TableAccess::Shared, TableReading::Lenient);
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

// What a strict reading accepts (the end of the file as writers leave it) and refuses (a file
// that holds fewer or more records than its header declares), with what the message says.
struct StrictCase {
    const char* name;
    std::function<void(std::string&)> change;
    const char* refusal;  // a part of the message; nullptr: the three rows are read
};

class StrictReading : public ::testing::TestWithParam<StrictCase> {};

TEST_P(StrictReading, ReadsExactlyTheDeclaredRecordsOrNamesWhatIsWrong) {
    const StrictCase& c = GetParam();
    ScratchFolder folder;
    std::string bytes = SoundTable(folder);
    c.change(bytes);
    const std::filesystem::path path = folder / "ROTA.DBF";
    WriteBytes(path, bytes);
    if (c.refusal != nullptr) {
        const std::string message =
            ErrorMessage([&] { DbfTable::Open(path, TableAccess::Shared); });
        EXPECT_NE(message.find("'" + path.string() + "'"), std::string::npos) << message;
        EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
        return;
    }
    DbfTable table = DbfTable::Open(path, TableAccess::Shared);
    ASSERT_EQ(table.RecordCount(), 3u);
    EXPECT_EQ(table.Text(2, "NOMBRE"), "FILA3");
}

void SetCount(std::string& b, std::uint32_t count) {
    Patch16(b, 4, count & 0xFFFF);
    Patch16(b, 6, count >> 16);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrictReading,
    ::testing::Values(
        StrictCase{"endMark", [](std::string&) {}, nullptr},
        StrictCase{"noEndMark", [](std::string& b) { b.pop_back(); }, nullptr},
        StrictCase{"endMarkAndNulPadding", [](std::string& b) { b += std::string(3, '\0'); },
                   nullptr},
        StrictCase{"nulPaddingWithoutEndMark", [](std::string& b) { b.back() = '\0'; }, nullptr},
        StrictCase{"twoEndMarks", [](std::string& b) { b += '\x1A'; }, nullptr},
        StrictCase{"cutInHalf",
                   [](std::string& b) { b.resize(kHeaderLength + kRecordLength * 3 / 2); },
                   "la cabecera indica 3 registros de 20 bytes y el archivo solo contiene 1 "
                   "completos y parte de otro"},
        StrictCase{"lastRecordCut", [](std::string& b) { b.resize(b.size() - 6); },
                   "solo contiene 2 completos y parte de otro (el archivo está cortado)"},
        StrictCase{"onlyTheHeader", [](std::string& b) { b.resize(kHeaderLength); },
                   "solo contiene 0 completos"},
        StrictCase{"headerClaims100000", [](std::string& b) { SetCount(b, 100000); },
                   "la cabecera indica 100000 registros de 20 bytes y el archivo solo contiene 3"},
        StrictCase{"headerClaimsFewer", [](std::string& b) { SetCount(b, 1); },
                   "tiene 41 bytes más (al menos 2 registros que la cabecera no cuenta)"},
        StrictCase{"headerClaimsNone", [](std::string& b) { SetCount(b, 0); },
                   "la cabecera indica 0 registros"},
        StrictCase{"strayBytesAfterTheRecords", [](std::string& b) { b.back() = 'x'; },
                   "1 bytes más que no son el final de la tabla"},
        StrictCase{"endMarkInTheMiddle",
                   [](std::string& b) { b[kHeaderLength + 2 * kRecordLength] = '\x1A'; },
                   "la marca de fin de archivo aparece en el registro 3"},
        StrictCase{"headerLengthPastTheFile", [](std::string& b) { Patch16(b, 8, 60000); },
                   "es más larga que el archivo"},
        StrictCase{"empty", [](std::string& b) { b.clear(); }, "demasiado corto"}),
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
            DbfTable table = DbfTable::Open(path, TableAccess::Shared, TableReading::Lenient);
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
