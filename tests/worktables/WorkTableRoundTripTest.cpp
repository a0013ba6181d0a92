// Every work-table layout written, closed, reopened and read back, and the bytes of the header
// checked against the dBase III layout.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Error.h"
#include "support/ExpectError.h"
#include "support/LittleEndian.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {
namespace {

using testing::Byte;
using testing::ErrorMessage;
using testing::Little16;
using testing::Little32;
using testing::ReadBytes;
using testing::ScratchFolder;

// The value the round trip stores in a field of a row, as text.
std::string SampleText(const FieldLayout& field, std::size_t row) {
    switch (field.kind) {
        case FieldKind::Character:
            return (field.name + std::to_string(row))
                .substr(0, static_cast<std::size_t>(field.width));
        case FieldKind::Integer:
            return std::to_string(static_cast<long long>(row) * 1000 - 7);
        case FieldKind::Float:
            return row == 0 ? "4" : std::to_string(row) + ".25";
        case FieldKind::Logical:
            return row % 2 == 0 ? "T" : "F";
    }
    return {};
}

void StoreSample(DbfTable& table, std::size_t row, const FieldLayout& field) {
    switch (field.kind) {
        case FieldKind::Character:
            table.SetText(row, field.name, field.name + std::to_string(row));
            break;
        case FieldKind::Integer:
            table.SetInteger(row, field.name, static_cast<long long>(row) * 1000 - 7);
            break;
        case FieldKind::Float:
            table.SetFloat(row, field.name, row == 0 ? 4.0 : static_cast<double>(row) + 0.25);
            break;
        case FieldKind::Logical:
            table.SetLogical(row, field.name, row % 2 == 0);
            break;
    }
}

struct StoredType {
    char type;
    int width;
    int decimals;
};

StoredType ExpectedType(const FieldLayout& field) {
    switch (field.kind) {
        case FieldKind::Character:
            return {'C', field.width, 0};
        case FieldKind::Integer:
            return {'N', 11, 0};
        case FieldKind::Float:
            return {'N', 20, 4};
        case FieldKind::Logical:
            return {'L', 1, 0};
    }
    return {};
}

class LayoutRoundTrip : public ::testing::TestWithParam<const TableLayout*> {};

TEST_P(LayoutRoundTrip, RowsComeBackAfterReopening) {
    const TableLayout& layout = *GetParam();
    ScratchFolder folder;
    constexpr std::size_t kRows = 3;
    {
        DbfTable table = RebuildWorkTable(folder.Path(), layout);
        for (std::size_t row = 0; row < kRows; ++row) {
            ASSERT_EQ(table.Append(), row);
            for (const FieldLayout& field : layout.fields) StoreSample(table, row, field);
        }
        table.Close();
    }
    DbfTable table = DbfTable::Open(folder / layout.fileName, TableAccess::Exclusive);
    ASSERT_EQ(table.RecordCount(), kRows);
    std::vector<std::string> names;
    for (const FieldLayout& field : layout.fields) names.push_back(field.name);
    EXPECT_EQ(table.FieldNames(), names);
    for (std::size_t row = 0; row < kRows; ++row) {
        for (const FieldLayout& field : layout.fields) {
            EXPECT_EQ(table.Text(row, field.name), SampleText(field, row))
                << field.name << " row " << row;
            if (field.kind == FieldKind::Integer) {
                EXPECT_EQ(table.Integer(row, field.name), static_cast<int>(row) * 1000 - 7);
            }
        }
    }
}

TEST_P(LayoutRoundTrip, HeaderBytesDescribeTheLayoutExactly) {
    const TableLayout& layout = *GetParam();
    ScratchFolder folder;
    {
        DbfTable table = RebuildWorkTable(folder.Path(), layout);
        table.Append();
        table.Append();
    }  // closed by the destructor
    const std::string bytes = ReadBytes(folder / layout.fileName);
    const std::size_t fieldCount = layout.fields.size();
    const std::size_t headerLength = 32 + 32 * fieldCount + 1;
    std::size_t recordLength = 1;
    for (const FieldLayout& field : layout.fields) {
        recordLength += static_cast<std::size_t>(ExpectedType(field).width);
    }
    EXPECT_EQ(Byte(bytes, 0), 0x03u) << "version";
    EXPECT_GE(Byte(bytes, 1), 124u) << "year of last update (2024 or later)";
    EXPECT_EQ(Little32(bytes, 4), 2u) << "record count";
    EXPECT_EQ(Little16(bytes, 8), headerLength);
    EXPECT_EQ(Little16(bytes, 10), recordLength);
    EXPECT_EQ(Byte(bytes, 28), layout.indexTag ? 1u : 0u) << "production index flag";
    EXPECT_EQ(Byte(bytes, 29), 0x57u) << "language driver";
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const std::size_t at = 32 + 32 * i;
        const FieldLayout& field = layout.fields[i];
        const StoredType expected = ExpectedType(field);
        std::string name = field.name;
        name.resize(11, '\0');
        EXPECT_EQ(bytes.substr(at, 11), name);
        EXPECT_EQ(bytes[at + 11], expected.type) << field.name;
        EXPECT_EQ(static_cast<int>(Byte(bytes, at + 16)), expected.width) << field.name;
        EXPECT_EQ(static_cast<int>(Byte(bytes, at + 17)), expected.decimals) << field.name;
    }
    EXPECT_EQ(Byte(bytes, headerLength - 1), 0x0Du) << "descriptor terminator";
    ASSERT_EQ(bytes.size(), headerLength + 2 * recordLength + 1);
    EXPECT_EQ(bytes.substr(headerLength, recordLength), std::string(recordLength, ' '))
        << "an appended row with nothing set is all blanks, deletion flag included";
    EXPECT_EQ(Byte(bytes, bytes.size() - 1), 0x1Au) << "end-of-file mark";
}

std::string LayoutName(const ::testing::TestParamInfo<const TableLayout*>& info) {
    return info.param->fileName.substr(0, info.param->fileName.find('.'));
}

INSTANTIATE_TEST_SUITE_P(AllWorkTables, LayoutRoundTrip,
                         ::testing::ValuesIn(layouts::AllWorkTables()), LayoutName);

TEST(WorkTableLayouts, ListsTheTenTablesInCreationOrder) {
    std::vector<std::string> files;
    for (const TableLayout* layout : layouts::AllWorkTables()) files.push_back(layout->fileName);
    EXPECT_EQ(files,
              (std::vector<std::string>{"ASIGNOMT.DBF", "ASIGNOMT2.DBF", "PROFT.DBF", "AULAT.DBF",
                                        "CURSOST.DBF", "GRUPOST.DBF", "ASIGT.DBF", "DIASHORAST.DBF",
                                        "DIASHORAST2.DBF", "PERIODOS.DBF"}));
    EXPECT_EQ(layouts::DIASHORAST2.fields.size(), layouts::DIASHORAST.fields.size() + 1);
    EXPECT_EQ(layouts::DIASHORAST2.fields.back().name, "ORDEN");
    EXPECT_EQ(layouts::DIASHORAST2.indexTag, std::optional<std::string>("ORDEN"));
}

// --- Character values ---------------------------------------------------------------------

struct TextCase {
    const char* name;
    std::string stored;    // what the program sets
    int width;             // the field width
    std::string readBack;  // what comes back
};

class CharacterValue : public ::testing::TestWithParam<TextCase> {};

TEST_P(CharacterValue, IsEncodedThenCutToTheWidth) {
    const TextCase& c = GetParam();
    ScratchFolder folder;
    const TableLayout layout{"T.DBF", {{"VALOR", FieldKind::Character, c.width}}, std::nullopt};
    {
        DbfTable table = DbfTable::Create(folder / "T.DBF", layout);
        table.SetText(table.Append(), "VALOR", c.stored);
    }
    DbfTable table = DbfTable::Open(folder / "T.DBF", TableAccess::Shared);
    EXPECT_EQ(table.Text(0, "valor"), c.readBack);
    const std::string bytes = ReadBytes(folder / "T.DBF");
    EXPECT_EQ(bytes.size(), 32 + 32 + 1 + 1 + static_cast<std::size_t>(c.width) + 1)
        << "the record keeps its width";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CharacterValue,
    ::testing::Values(TextCase{"name85To80", std::string(85, 'N'), 80, std::string(80, 'N')},
                      TextCase{"accentedCountOneByteEach", "ñññññññññññ", 10, "ññññññññññ"},
                      TextCase{"unmappableBecomeQuestionMarks", "Ωmega ñandú €", 10, "?mega ñand"},
                      TextCase{"euroAndQuotesAreWindows1252", "€ “x” …", 20, "€ “x” …"},
                      TextCase{"trailingBlanksAreNotKept", "ab   ", 10, "ab"},
                      TextCase{"leadingBlanksAreKept", "  ab", 10, "  ab"},
                      TextCase{"emptyIsBlank", "", 5, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CharacterValue, ElevenCharacterFieldNameFillsTheNameArea) {
    ScratchFolder folder;
    RebuildWorkTable(folder.Path(), layouts::ASIGNOMT2).Close();
    const std::string bytes = ReadBytes(folder / "ASIGNOMT2.DBF");
    const std::size_t descriptor = 32 + 32 * 4;               // fifth field
    EXPECT_EQ(bytes.substr(descriptor, 12), "OFERTAMATRIC");  // name, then the type letter
    DbfTable table = DbfTable::Open(folder / "ASIGNOMT2.DBF", TableAccess::Shared);
    EXPECT_TRUE(table.HasField("OFERTAMATRI"));
    EXPECT_EQ(table.FieldNames().at(4), "OFERTAMATRI");
}

// --- Numbers and logicals ------------------------------------------------------------------

TEST(NumericValue, ReadsAsCanonicalTextAndRoundsToIntegers) {
    ScratchFolder folder;
    const TableLayout layout{"N.DBF",
                             {{"ENTERO", FieldKind::Integer, 0},
                              {"REAL", FieldKind::Float, 0},
                              {"SINO", FieldKind::Logical, 0},
                              {"TEXTO", FieldKind::Character, 12}},
                             std::nullopt};
    struct Row {
        long long integer;
        double real;
        std::string realText;
        int realRounded;
    };
    const std::vector<Row> rows = {
        {4, 4.0, "4", 4},
        {-45, 2.5, "2.5", 2},
        {0, 3.5, "3.5", 4},
        {2147483647, -0.0001, "-0.0001", 0},
        {-2147483648LL, 1234567.125, "1234567.125", 1234567},
    };
    {
        DbfTable table = DbfTable::Create(folder / "N.DBF", layout);
        for (const Row& row : rows) {
            const std::size_t at = table.Append();
            table.SetInteger(at, "ENTERO", row.integer);
            table.SetFloat(at, "REAL", row.real);
        }
        table.Append();  // nothing set
    }
    DbfTable table = DbfTable::Open(folder / "N.DBF", TableAccess::Shared);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(table.Text(i, "ENTERO"), std::to_string(rows[i].integer));
        EXPECT_EQ(table.Integer(i, "ENTERO"), rows[i].integer);
        EXPECT_EQ(table.Text(i, "REAL"), rows[i].realText);
        EXPECT_EQ(table.Integer(i, "REAL"), rows[i].realRounded) << "a half goes to even";
    }
    const std::size_t blank = rows.size();
    EXPECT_EQ(table.Text(blank, "ENTERO"), "");
    EXPECT_EQ(table.Integer(blank, "ENTERO"), 0);
    EXPECT_EQ(table.Text(blank, "SINO"), "");
    EXPECT_EQ(table.Integer(blank, "TEXTO"), 0);
}

TEST(NumericValue, TooWideForTheFieldIsAnErrorNamingIt) {
    ScratchFolder folder;
    const TableLayout layout{"N.DBF", {{"ENTERO", FieldKind::Integer, 0}}, std::nullopt};
    DbfTable table = DbfTable::Create(folder / "N.DBF", layout);
    const std::size_t row = table.Append();
    const std::string message =
        ErrorMessage([&] { table.SetInteger(row, "ENTERO", 123456789012LL); });
    EXPECT_NE(message.find("ENTERO"), std::string::npos) << message;
}

TEST(DbfTableErrors, UnknownFieldAndRowNameTheTable) {
    ScratchFolder folder;
    DbfTable table = RebuildWorkTable(folder.Path(), layouts::PERIODOS);
    EXPECT_THROW(table.Text(0, "JORNADA"), Error) << "no row 0 yet";
    table.Append();
    const std::string message = ErrorMessage([&] { table.Text(0, "NOEXISTE"); });
    EXPECT_NE(message.find("PERIODOS.DBF"), std::string::npos) << message;
    EXPECT_NE(message.find("NOEXISTE"), std::string::npos) << message;
}

TEST(DbfTableLifetime, RowsPostedBeforeAFailureAreOnDisk) {
    ScratchFolder folder;
    try {
        DbfTable table = RebuildWorkTable(folder.Path(), layouts::AULAT);
        table.SetText(table.Append(), "ABREV", "A1");
        table.SetText(table.Append(), "ABREV", "A2");
        table.SetText(table.Append(), "NOSUCHFIELD", "x");  // a later step fails
    } catch (const Error&) {
    }
    DbfTable table = DbfTable::Open(folder / "AULAT.DBF", TableAccess::Exclusive);
    ASSERT_EQ(table.RecordCount(), 3u);
    EXPECT_EQ(table.Text(1, "ABREV"), "A2");
}

TEST(DbfTableLifetime, CloseTwiceAndEditingAfterOpenRewritesInPlace) {
    ScratchFolder folder;
    {
        DbfTable table = RebuildWorkTable(folder.Path(), layouts::PERIODOS);
        table.SetText(table.Append(), "CJORNADA", "J1");
        table.Close();
        table.Close();
        EXPECT_THROW(table.Append(), Error) << "closed";
    }
    {
        DbfTable table = DbfTable::Open(folder / "PERIODOS.DBF", TableAccess::Exclusive);
        table.SetText(0, "FECINI", "01/09/2024");
        table.SetText(table.Append(), "CJORNADA", "J2");
    }
    DbfTable table = DbfTable::Open(folder / "PERIODOS.DBF", TableAccess::Shared);
    ASSERT_EQ(table.RecordCount(), 2u);
    EXPECT_EQ(table.Text(0, "FECINI"), "01/09/2024");
    EXPECT_EQ(table.Text(1, "CJORNADA"), "J2");
}

}  // namespace
}  // namespace velmaro
