#include <gtest/gtest.h>

#include "base/Error.h"
#include "inbound/FrameworkChoice.h"
#include "support/StepFixture.h"

namespace velmaro::testing {
namespace {

const char* const kNoneSelected = "Debe al menos seleccionar 1 Marco Horario.";
const char* const kTooMany =
    "Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 Marcos Horarios";

const char* const kTenCharactersAlike =
    "No se pueden aplicar juntos los Marcos Horarios «ABCDEFGHIJ1» (Marco 1) y «ABCDEFGHIJ2» "
    "(Marco 2): sus códigos coinciden en los 10 primeros caracteres, los únicos que guardan las "
    "tablas de Tavolin, que no los distinguirían.\r\nSeleccione solo uno de los dos.";
const char* const kSameCode =
    "No se pueden aplicar juntos los Marcos Horarios «4401» (Marco 1) y « 4401 » (Marco 3): "
    "tienen el mismo código y las tablas de Tavolin no los distinguirían.\r\nSeleccione solo uno "
    "de los dos.";

// The catalog of a document whose frameworks have `codes`, named "Marco 1", "Marco 2"...
FrameworkCatalog CatalogOfCodes(const std::vector<std::string>& codes) {
    std::vector<XmlRecord> records;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        records.push_back({codes[i], "Marco " + std::to_string(i + 1), "01/09/2024"});
    }
    StepFixture run({XmlSection{"JORNADAS_ESCOLARES", records}});
    return FrameworkCatalog::Load(run.DocumentPath());
}

struct SelectionCase {
    const char* name;
    std::vector<std::string> codes;
    std::vector<bool> selected;
    bool resultMH;
    std::string resultado;
    std::vector<std::size_t> chosen;
    std::optional<std::string> message;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const SelectionCase& c, std::ostream* out) { *out << c.name; }

class ClosingTheDialog : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ClosingTheDialog, ChecksTheSelectionAndBuildsResultado) {
    const SelectionCase& c = GetParam();
    const SelectionOutcome outcome = CloseFrameworkSelection(CatalogOfCodes(c.codes), c.selected);
    EXPECT_EQ(outcome.selection.resultMH, c.resultMH);
    EXPECT_EQ(outcome.selection.resultado, c.resultado);
    EXPECT_EQ(outcome.selection.chosen, c.chosen);
    EXPECT_EQ(outcome.message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClosingTheDialog,
    ::testing::Values(
        SelectionCase{"NothingSelected", {"A", "B"}, {false, false}, false, "", {}, kNoneSelected},
        SelectionCase{"ThreeSelectedStillFillResultado",
                      {"A", "B", "C"},
                      {true, true, true},
                      false,
                      "A         B         C         ",
                      {0, 1, 2},
                      kTooMany},
        SelectionCase{"ListOrderNotSelectionOrder",
                      {"A", "B", "C"},
                      {true, false, true},
                      true,
                      "A         C         ",
                      {0, 2},
                      std::nullopt},
        SelectionCase{"ShortCodePadded",
                      {"1234", "X"},
                      {true, false},
                      true,
                      "1234      ",
                      {0},
                      std::nullopt},
        SelectionCase{"LongCodeCut",
                      {"X", "123456789012"},
                      {false, true},
                      true,
                      "1234567890",
                      {1},
                      std::nullopt},
        SelectionCase{"WidthCountsCharactersNotBytes",
                      {"Mañana", "Tardeñoñoñoño"},
                      {true, true},
                      true,
                      "Mañana    Tardeñoñoñ",
                      {0, 1},
                      std::nullopt},
        SelectionCase{"BlanksAroundACodeKept",
                      {" A ", "B"},
                      {true, false},
                      true,
                      " A        ",
                      {0},
                      std::nullopt},
        // Two frameworks the tables cannot tell apart are refused together, never alone.
        SelectionCase{"CodesEqualInTenCharactersTogether",
                      {"ABCDEFGHIJ1", "ABCDEFGHIJ2"},
                      {true, true},
                      false,
                      "ABCDEFGHIJABCDEFGHIJ",
                      {0, 1},
                      kTenCharactersAlike},
        SelectionCase{"CodesEqualInTenCharactersOneOfThem",
                      {"ABCDEFGHIJ1", "ABCDEFGHIJ2"},
                      {false, true},
                      true,
                      "ABCDEFGHIJ",
                      {1},
                      std::nullopt},
        SelectionCase{"EqualCodesTogetherBlanksAside",
                      {"4401", "4402", " 4401 "},
                      {true, false, true},
                      false,
                      "4401       4401     ",
                      {0, 2},
                      kSameCode},
        SelectionCase{"EqualCodesOneOfThem",
                      {"4401", "4402", " 4401 "},
                      {false, true, true},
                      true,
                      "4402       4401     ",
                      {1, 2},
                      std::nullopt},
        SelectionCase{"CodesDifferingWithinTenCharactersTogether",
                      {"ABCDEFGHI1", "ABCDEFGHI2"},
                      {true, true},
                      true,
                      "ABCDEFGHI1ABCDEFGHI2",
                      {0, 1},
                      std::nullopt}),
    [](const ::testing::TestParamInfo<SelectionCase>& info) {
        return std::string(info.param.name);
    });

TEST(FrameworkCatalog, EarlierEntryAlikeByTheTenCharactersTheTablesKeep) {
    const std::vector<std::string> codes = {"ABCDEFGHIJ1", "4401",        " ABCDEFGHIJ2 ",
                                            "4401",        "ABCDEFGHI",   "abcdefghij3",
                                            "",            " "};
    const std::vector<std::optional<std::size_t>> expected = {
        std::nullopt, std::nullopt, 0, 1, std::nullopt, std::nullopt, std::nullopt, 6};
    EXPECT_EQ(EarlierEntryAlike(codes), expected);
}

const XmlSection kFrameworks{"JORNADAS_ESCOLARES",
                             {
                                 {" M ", "Mañana", "01/09/2024", "30/06/2025"},
                                 {"T", "Tarde", "02/09/2024", "27/06/2025"},
                                 {"T", "Tarde (revisada)", "03/09/2024", "26/06/2025"},
                                 {"SIN"},
                             }};
const XmlSection kSlots{"TRAMOS_HORARIOS",
                        {
                            {"1", " 1ª hora", "480", "535", " M "},
                            {"2", "1ª tarde", "900", "955", "T"},
                            {"3", "2ª hora", "535", "590", " M "},
                            {"4", "corto", "590", "645"},
                            {"5", "2ª tarde", "955", "1010", "T"},
                        }};

FrameworkCatalog CatalogOf(const SchoolXml& school) {
    StepFixture run(school);
    return FrameworkCatalog::Load(run.DocumentPath());
}

TEST(FrameworkCatalog, ListsCodesAsTheDocumentGivesThem) {
    const FrameworkCatalog catalog = CatalogOf({kFrameworks, kSlots});
    EXPECT_EQ(catalog.Codes(), (std::vector<std::string>{" M ", "T", "T", "SIN"}));
    // Each entry keeps its own record's texts, also where codes repeat.
    ASSERT_EQ(catalog.Entries().size(), 4u);
    EXPECT_EQ(catalog.Entries()[1].name, "Tarde");
    EXPECT_EQ(catalog.Entries()[2].name, "Tarde (revisada)");
    EXPECT_EQ(catalog.Entries()[2].startDate, "03/09/2024");
    EXPECT_EQ(catalog.Entries()[2].endDate, "26/06/2025");
}

TEST(FrameworkCatalog, DetailsFollowTheLastMatchingRecordAndItsSlots) {
    const FrameworkCatalog catalog = CatalogOf({kFrameworks, kSlots});

    const FrameworkDetails morning = catalog.Details(" M ");
    EXPECT_EQ(morning.name, "Mañana");
    EXPECT_EQ(morning.startDate, "01/09/2024");
    EXPECT_EQ(morning.endDate, "30/06/2025");
    EXPECT_EQ(morning.slotLabels, (std::vector<std::string>{" 1ª hora", "2ª hora"}));

    // Two frameworks with the same code: the later record's texts, the slots of the code.
    const FrameworkDetails afternoon = catalog.Details("T");
    EXPECT_EQ(afternoon.name, "Tarde (revisada)");
    EXPECT_EQ(afternoon.startDate, "03/09/2024");
    EXPECT_EQ(afternoon.slotLabels, (std::vector<std::string>{"1ª tarde", "2ª tarde"}));

    // A short record: missing texts read as empty; no slots gives an empty list.
    const FrameworkDetails withoutSlots = catalog.Details("SIN");
    EXPECT_EQ(withoutSlots.name, "");
    EXPECT_EQ(withoutSlots.slotLabels, std::vector<std::string>{});

    // Codes compare exactly: the trimmed code is another framework, with the "-" defaults.
    const FrameworkDetails unknown = catalog.Details("M");
    EXPECT_EQ(unknown.name, "-");
    EXPECT_EQ(unknown.startDate, "-");
    EXPECT_EQ(unknown.endDate, "-");
    EXPECT_EQ(unknown.slotLabels, std::vector<std::string>{});
}

TEST(FrameworkCatalog, SingleSlotRecordLeavesTheSlotListAsItWas) {
    const FrameworkCatalog catalog =
        CatalogOf({kFrameworks, XmlSection{"TRAMOS_HORARIOS", {{"1", "1ª", "480", "535", " M "}}}});
    EXPECT_EQ(catalog.Details(" M ").name, "Mañana");
    EXPECT_FALSE(catalog.Details(" M ").slotLabels.has_value());
}

TEST(FrameworkCatalog, SingleFrameworkListsNothingAndShowsDefaults) {
    StepFixture run(
        {XmlSection{"JORNADAS_ESCOLARES", {{"M", "Mañana", "01/09/2024", "30/06/2025"}}}, kSlots});
    const ExchangeDocument document = ExchangeDocument::Load(run.DocumentPath());
    const FrameworkCatalog catalog(document);
    EXPECT_TRUE(catalog.Codes().empty());
    EXPECT_EQ(catalog.Details("M").name, "-");
}

TEST(FrameworkCatalog, LoadFailsNamingTheFileWhenNoChoiceCanBeMade) {
    ScratchFolder folder;
    const auto missing = folder.Path() / "no-existe.xml";
    const auto oneFramework = folder.Path() / "una.xml";
    WriteBytes(oneFramework, SchoolXml{XmlSection{"JORNADAS_ESCOLARES", {{"M"}}}}.Text());
    for (const auto& path : {missing, oneFramework}) {
        try {
            FrameworkCatalog::Load(path);
            ADD_FAILURE() << "loaded " << path;
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find(path.filename().string()), std::string::npos)
                << error.what();
        }
    }
}

}  // namespace
}  // namespace velmaro::testing
