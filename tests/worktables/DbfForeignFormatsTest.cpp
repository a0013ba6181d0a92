// Tables written by other dBase programs, as small hand-made byte arrays: dBase III, dBase IV,
// dBase 7, FoxPro and Visual FoxPro, with their own numeric types and a deleted record.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Error.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {
namespace {

using testing::ScratchFolder;
using testing::WriteBytes;

// --- Byte helpers: each returns the bytes of one piece of a file ----------------------------

std::string Little16(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}
std::string Little32(std::uint32_t value) {
    return Little16(value & 0xFFFF) + Little16(value >> 16);
}
std::string Little64(std::uint64_t value) {
    return Little32(static_cast<std::uint32_t>(value)) +
           Little32(static_cast<std::uint32_t>(value >> 32));
}
std::string Big32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>((value >> 16) & 0xFF),
            static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}
std::string Big64(std::uint64_t value) {
    return Big32(static_cast<std::uint32_t>(value >> 32)) +
           Big32(static_cast<std::uint32_t>(value));
}
std::string Zeros(std::size_t count) { return std::string(count, '\0'); }

// The 32-byte main header of dBase III/IV and FoxPro tables: version, date 2024-05-17, record
// count, header length, record length, then reserved bytes (language driver 0x57 at 29).
std::string MainHeader(unsigned char version, std::uint32_t records, unsigned headerLength,
                       unsigned recordLength) {
    return std::string(1, static_cast<char>(version)) + "\x7C\x05\x11" + Little32(records) +
           Little16(headerLength) + Little16(recordLength) + Zeros(17) + "\x57" + Zeros(2);
}
// A 32-byte field descriptor: name (11 bytes, NUL-padded), type, 4 reserved bytes, width,
// decimals, 14 reserved bytes.
std::string Descriptor(const std::string& name, char type, int width, int decimals = 0) {
    return name + Zeros(11 - name.size()) + std::string(1, type) + Zeros(4) +
           std::string(1, static_cast<char>(width)) + std::string(1, static_cast<char>(decimals)) +
           Zeros(14);
}
// The dBase 7 header: the same 32 bytes, then the language driver name (32 bytes) and four
// reserved bytes; field descriptors follow at 68.
std::string DBase7Header(std::uint32_t records, unsigned headerLength, unsigned recordLength) {
    std::string name = "DBWINUS0";
    return MainHeader(0x04, records, headerLength, recordLength) + name + Zeros(32 - name.size()) +
           Zeros(4);
}
// A 48-byte dBase 7 field descriptor: name (32 bytes), type, width, decimals, 2 reserved, MDX
// flag, 2 reserved, next autoincrement value (4), 4 reserved.
std::string Descriptor7(const std::string& name, char type, int width, int decimals = 0) {
    return name + Zeros(32 - name.size()) + std::string(1, type) +
           std::string(1, static_cast<char>(width)) + std::string(1, static_cast<char>(decimals)) +
           Zeros(13);
}
// dBase 7 integer: big-endian with the sign bit flipped.
std::string DBase7Int(std::int32_t value) {
    return Big32(static_cast<std::uint32_t>(value) ^ 0x80000000u);
}
// dBase 7 double: big-endian; positive numbers with the sign bit set, negative ones inverted.
std::string DBase7Double(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return Big64(value >= 0 ? bits | 0x8000000000000000ull : ~bits);
}
std::string LittleDouble(double value) { return Little64(std::bit_cast<std::uint64_t>(value)); }

DbfTable OpenFixture(const ScratchFolder& folder, const std::string& bytes,
                     TableReading reading = TableReading::Strict) {
    WriteBytes(folder / "FIXTURE.DBF", bytes);
    return DbfTable::Open(folder / "FIXTURE.DBF", TableAccess::Shared, reading);
}

std::vector<std::string> Column(const DbfTable& table, const std::string& field) {
    std::vector<std::string> values;
    for (std::size_t row = 0; row < table.RecordCount(); ++row)
        values.push_back(table.Text(row, field));
    return values;
}

using Values = std::vector<std::string>;

TEST(ForeignFormats, DBase3WithNumbersDatesLogicalsAndADeletedRecord) {
    ScratchFolder folder;
    // 4 fields: NOMBRE C(10), HORAS N(5,1), FECHA D(8), ACTIVO L(1); record = 1+10+5+8+1 = 25.
    const std::string file =
        MainHeader(0x03, 3, 32 + 4 * 32 + 1, 25) + Descriptor("NOMBRE", 'C', 10) +
        Descriptor("HORAS", 'N', 5, 1) + Descriptor("FECHA", 'D', 8) +
        Descriptor("ACTIVO", 'L', 1) + "\x0D" + " Ana         2.520240915T" +  // live
        "*Borrado     1.020240101F" +                                          // deleted: left out
        " Luis \xC1ngel -3.0        ?" +  // Windows-1252 "Á"; blank date; '?' logical
        "\x1A";
    DbfTable table = OpenFixture(folder, file);
    ASSERT_EQ(table.RecordCount(), 2u);
    EXPECT_EQ(Column(table, "NOMBRE"), (Values{"Ana", "Luis Ángel"}));
    EXPECT_EQ(Column(table, "HORAS"), (Values{"2.5", "-3"}));
    EXPECT_EQ(Column(table, "FECHA"), (Values{"20240915", ""}));
    EXPECT_EQ(Column(table, "ACTIVO"), (Values{"T", ""}));
    EXPECT_EQ(table.Integer(0, "HORAS"), 2) << "2.5 rounds to even";
    EXPECT_EQ(table.Damage(), "");
}

TEST(ForeignFormats, DBase4WithFloatAndMemoReference) {
    ScratchFolder folder;
    // Version 0x8B (dBase IV with memo): PESO F(10,3), NOTA M(10) holding a block number,
    // CLAVE C(4); record = 1+10+10+4 = 25.
    const std::string file = MainHeader(0x8B, 2, 32 + 3 * 32 + 1, 25) +
                             Descriptor("PESO", 'F', 10, 3) + Descriptor("NOTA", 'M', 10) +
                             Descriptor("CLAVE", 'C', 4) + "\x0D" + " " + "     1.250" +
                             "        12" + "AB12" +                       // memo in block 12
                             " " + "   -42.000" + "          " + "CD34" +  // no memo
                             "\x1A";
    DbfTable table = OpenFixture(folder, file);
    EXPECT_EQ(Column(table, "PESO"), (Values{"1.25", "-42"}));
    EXPECT_EQ(Column(table, "NOTA"), (Values{"", ""})) << "memo text lives in another file";
    EXPECT_EQ(Column(table, "CLAVE"), (Values{"AB12", "CD34"}));
    EXPECT_EQ(table.Locate({{"PESO", "-42"}}), std::optional<std::size_t>(1));
}

TEST(ForeignFormats, DBase7ReferenceTableWithIntegerKeyAndDouble) {
    ScratchFolder folder;
    // NIVELLARI.DBF as another dBase 7 tool writes it: X_OFERTAMATRIG I(4), NIVEL_ABREV C(5),
    // ESTUDIO C(12), PESO O(8); record = 1+4+5+12+8 = 30. The header's record count (9) lies:
    // the file size tells there are 3 records.
    const std::string file =
        DBase7Header(9, 68 + 4 * 48 + 1, 30) + Descriptor7("X_OFERTAMATRIG", 'I', 4) +
        Descriptor7("NIVEL_ABREV", 'C', 5) + Descriptor7("ESTUDIO", 'C', 12) +
        Descriptor7("PESO", 'O', 8) + "\x0D" + " " + DBase7Int(60101) + "ESO  " + "Secundaria  " +
        DBase7Double(1.5) + " " + DBase7Int(-7) + "     " + "Negativo    " + DBase7Double(-2.25) +
        " " + Zeros(4) + "X    " + "Vac\xEDo       " + Zeros(8) +  // null integer and double
        "\x1A";
    DbfTable table = OpenFixture(folder, file, TableReading::Lenient);
    ASSERT_EQ(table.RecordCount(), 3u);
    EXPECT_EQ(table.FieldNames(), (Values{"X_OFERTAMATRIG", "NIVEL_ABREV", "ESTUDIO", "PESO"}));
    EXPECT_EQ(Column(table, "X_OFERTAMATRIG"), (Values{"60101", "-7", ""}));
    EXPECT_EQ(Column(table, "PESO"), (Values{"1.5", "-2.25", ""}));
    EXPECT_EQ(Column(table, "ESTUDIO"), (Values{"Secundaria", "Negativo", "Vacío"}));
    const std::optional<std::size_t> found = table.Locate({{"X_OFERTAMATRIG", "60101"}});
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(table.Text(*found, "NIVEL_ABREV"), "ESO");
    EXPECT_EQ(table.Integer(1, "X_OFERTAMATRIG"), -7);
    EXPECT_NE(table.Damage().find("indica 9"), std::string::npos) << table.Damage();
}

// The same reference table with an honest record count, as a job reads it: strictly, with or
// without the end-of-file mark after the last record.
TEST(ForeignFormats, DBase7ReferenceTableWithAnHonestCountReadsStrictly) {
    const std::string records = " " + DBase7Int(60101) + "ESO  " + "Secundaria  " +
                                DBase7Double(1.5) + " " + DBase7Int(-7) + "     " + "Negativo    " +
                                DBase7Double(-2.25);
    const std::string file = DBase7Header(2, 68 + 4 * 48 + 1, 30) +
                             Descriptor7("X_OFERTAMATRIG", 'I', 4) +
                             Descriptor7("NIVEL_ABREV", 'C', 5) + Descriptor7("ESTUDIO", 'C', 12) +
                             Descriptor7("PESO", 'O', 8) + "\x0D" + records;
    for (const std::string& ending : {std::string(), std::string("\x1A")}) {
        ScratchFolder folder;
        DbfTable table = OpenFixture(folder, file + ending);
        EXPECT_EQ(Column(table, "X_OFERTAMATRIG"), (Values{"60101", "-7"}));
    }
}

TEST(ForeignFormats, FoxPro2WithNumericAndFloat) {
    ScratchFolder folder;
    // Version 0xF5 (FoxPro 2 with memo): DIA N(2,0), HORA F(4,1), PROF C(6); record = 13.
    const std::string file = MainHeader(0xF5, 2, 32 + 3 * 32 + 1, 13) + Descriptor("DIA", 'N', 2) +
                             Descriptor("HORA", 'F', 4, 1) + Descriptor("PROF", 'C', 6) + "\x0D" +
                             " " + " 1" + " 3.0" + "ANA   " + " " + " 5" + " 0.5" + "LUIS  " +
                             "\x1A";
    DbfTable table = OpenFixture(folder, file);
    EXPECT_EQ(Column(table, "DIA"), (Values{"1", "5"}));
    EXPECT_EQ(Column(table, "HORA"), (Values{"3", "0.5"}));
    EXPECT_EQ(table.Integer(1, "DIA"), 5);
}

TEST(ForeignFormats, VisualFoxProWithBacklinkAndBinaryNumbers) {
    ScratchFolder folder;
    // Version 0x30: DIA I(4) little-endian, HORAS B(8) little-endian double, PAGO Y(8)
    // currency in ten-thousandths, PROF C(5); record = 1+4+8+8+5 = 26. After the terminator
    // comes the 263-byte backlink, which the header length counts.
    const unsigned headerLength = 32 + 4 * 32 + 1 + 263;
    const std::string file = MainHeader(0x30, 2, headerLength, 26) + Descriptor("DIA", 'I', 4) +
                             Descriptor("HORAS", 'B', 8, 2) + Descriptor("PAGO", 'Y', 8, 4) +
                             Descriptor("PROF", 'C', 5) + "\x0D" + Zeros(263) + " " + Little32(3) +
                             LittleDouble(1.75) + Little64(125000) + "ANA  " + " " +
                             Little32(static_cast<std::uint32_t>(-2)) + LittleDouble(-0.5) +
                             Little64(0) + "LUIS " + "\x1A";
    DbfTable table = OpenFixture(folder, file);
    ASSERT_EQ(table.RecordCount(), 2u);
    EXPECT_EQ(Column(table, "DIA"), (Values{"3", "-2"}));
    EXPECT_EQ(Column(table, "HORAS"), (Values{"1.75", "-0.5"}));
    EXPECT_EQ(Column(table, "PAGO"), (Values{"12.5", "0"}));
    EXPECT_EQ(Column(table, "PROF"), (Values{"ANA", "LUIS"}));
    EXPECT_EQ(table.FilterRows("PROF= 'LUIS'"), (std::vector<std::size_t>{1}));
    EXPECT_EQ(table.Integer(0, "HORAS"), 2);
}

TEST(ForeignFormats, OurDBase7ReferenceTableReadsBack) {
    const std::filesystem::path shipped =
        std::filesystem::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF";
    const std::string bytes = testing::ReadBytes(shipped);
    ASSERT_GT(bytes.size(), 68u) << "built beside the executables";
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x04) << "dBase 7";
    EXPECT_EQ(bytes.substr(32, 9), std::string("DBWINUS0\0", 9)) << "language driver name";
    EXPECT_EQ(bytes.substr(68, 15), std::string("X_OFERTAMATRIG\0", 15));
    EXPECT_EQ(bytes[68 + 32], 'N');

    DbfTable table = DbfTable::Open(shipped, TableAccess::Shared);
    struct Case {
        const char* key;
        const char* level;
        const char* study;
    };
    for (const Case& c :
         {Case{"60101", "ESO", "Educación Secundaria Obligatoria"},
          Case{"60204", "BACH", "Bachillerato de Humanidades y Ciencias Sociales"},
          Case{"60402", "CFGM", "Ciclo Formativo de Grado Medio en Gestión Administrativa"},
          Case{"60501", "", "Programa de Diversificación Curricular"}}) {
        const std::optional<std::size_t> row = table.Locate({{"X_OFERTAMATRIG", c.key}});
        ASSERT_TRUE(row.has_value()) << c.key;
        EXPECT_EQ(table.Text(*row, "NIVEL_ABREV"), c.level);
        EXPECT_EQ(table.Text(*row, "ESTUDIO"), c.study);
    }
    EXPECT_EQ(table.Locate({{"X_OFERTAMATRIG", "60999"}}), std::nullopt);
    EXPECT_EQ(table.RecordCount(), 13u);
}

TEST(ForeignFormats, DBase7WrittenByUsKeepsLongNamesAndValues) {
    ScratchFolder folder;
    const TableLayout layout{"LARGO.DBF",
                             {{"UN_NOMBRE_DE_CAMPO_MUY_LARGO_32C", FieldKind::Character, 10},
                              {"CANTIDAD", FieldKind::Float, 0},
                              {"VALE", FieldKind::Logical, 0}},
                             std::nullopt};
    {
        DbfTable table = DbfTable::Create(folder / "LARGO.DBF", layout, DbfLevel::DBase7);
        const std::size_t row = table.Append();
        table.SetText(row, "UN_NOMBRE_DE_CAMPO_MUY_LARGO_32C", "ñu");
        table.SetFloat(row, "CANTIDAD", -12.5);
        table.SetLogical(row, "VALE", false);
    }
    DbfTable table = DbfTable::Open(folder / "LARGO.DBF", TableAccess::Shared);
    EXPECT_EQ(table.FieldNames().front(), "UN_NOMBRE_DE_CAMPO_MUY_LARGO_32C");
    EXPECT_EQ(table.Text(0, "UN_NOMBRE_DE_CAMPO_MUY_LARGO_32C"), "ñu");
    EXPECT_EQ(table.Text(0, "CANTIDAD"), "-12.5");
    EXPECT_EQ(table.Text(0, "VALE"), "F");
    const std::string bytes = testing::ReadBytes(folder / "LARGO.DBF");
    EXPECT_EQ(bytes.size(), 68u + 3 * 48 + 1 + (1 + 10 + 20 + 1) + 1);
}

TEST(ForeignFormats, NamesTooLongForTheLevelAreRefused) {
    ScratchFolder folder;
    const TableLayout layout{"T.DBF", {{"X_OFERTAMATRIG", FieldKind::Integer, 0}}, std::nullopt};
    EXPECT_THROW(DbfTable::Create(folder / "T.DBF", layout), Error) << "dBase III holds 11";
}

}  // namespace
}  // namespace velmaro
