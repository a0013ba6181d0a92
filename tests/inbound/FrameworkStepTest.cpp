#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "inbound/FrameworkChoice.h"
#include "inbound/FrameworkStep.h"
#include "support/ExpectError.h"
#include "support/ReportItemLines.h"
#include "support/StepFixture.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro::testing {
namespace {

// A valid selection of the list entries `chosen`, whose resultado is `resultado`.
FrameworkSelection Chosen(const std::string& resultado, std::vector<std::size_t> chosen) {
    return {true, resultado, std::move(chosen)};
}

XmlSection Frameworks(const std::vector<XmlRecord>& records) {
    return {"JORNADAS_ESCOLARES", records};
}
XmlSection Slots(const std::vector<XmlRecord>& records) { return {"TRAMOS_HORARIOS", records}; }

const XmlRecord kFrameworkA{"A", "Mañana", "01/09/2024", "30/06/2025"};
const XmlRecord kFrameworkB{"B", "Tarde", "01/09/2024", "30/06/2025"};

// The rows of one table as a list of one field's values.
std::vector<std::string> Column(const Rows& rows, const std::string& field) {
    std::vector<std::string> values;
    for (const auto& row : rows) values.push_back(row.at(field));
    return values;
}

// A document, the dialog's answers and what DIASHORAST.DBF must hold afterwards.
struct GridCase {
    const char* name;
    SchoolXml school;
    std::vector<FrameworkSelection> answers;
    std::size_t rowCount;
    // Expected values of the first rows, field by field.
    std::vector<std::map<std::string, std::string>> firstRows;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const GridCase& c, std::ostream* out) { *out << c.name; }

class FrameworkGrid : public ::testing::TestWithParam<GridCase> {};

TEST_P(FrameworkGrid, WritesDaysPeriodsAndFlags) {
    const GridCase& c = GetParam();
    StepFixture run(c.school);
    for (const auto& answer : c.answers) run.user.frameworkAnswers.push_back(answer);
    InboundContext ctx = run.Context();
    RunFrameworkStep(ctx);

    const Rows rows = ReadRows(run.WorkTable("DIASHORAST.DBF"));
    ASSERT_EQ(rows.size(), c.rowCount);
    ASSERT_LE(c.firstRows.size(), rows.size());
    for (std::size_t i = 0; i < c.firstRows.size(); ++i) {
        for (const auto& [field, value] : c.firstRows[i]) {
            EXPECT_EQ(rows[i].at(field), value) << "row " << i << " field " << field;
        }
    }
    EXPECT_TRUE(run.user.frameworkAnswers.empty()) << "every scripted answer is used";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameworkGrid,
    ::testing::Values(
        GridCase{
            "TwoFrameworksInterleaved",
            {Frameworks({kFrameworkA, kFrameworkB}), Slots({{"A1", "1ª", "480", "535", "A"},
                                                            {"B1", "1ª tarde", "900", "955", "B"},
                                                            {"A2", "2ª", "535", "590", "A"}})},
            {Chosen("A         B         ", {0, 1})},
            21,
            {{{"DIHO", "11"},
              {"HORA", "1"},
              {"DIA", "1"},
              {"CODDIHO", "A1"},
              {"TEXTOHOR", "1ª"},
              {"HORADESDE", "08:00"},
              {"HORAHASTA", "08:55"},
              {"MINUTOS", "55"},
              {"MARCO", "0"},
              {"MARCOXML", "A"},
              {"TEXTODIA", ""}},
             {{"DIHO", "11"},
              {"HORA", "1"},
              {"MARCO", "1"},
              {"MARCOXML", "B"},
              {"HORADESDE", "15:00"}},
             {{"DIHO", "12"}, {"HORA", "2"}, {"MARCO", "0"}, {"MARCOXML", "A"}},
             {{"DIHO", "21"}, {"DIA", "2"}, {"MARCO", "0"}}}},
        GridCase{"SecondFrameworkStartsEarlier",
                 {Frameworks({kFrameworkA, kFrameworkB}), Slots({{"A1", "1ª", "480", "535", "A"},
                                                                 {"B1", "1ª", "420", "475", "B"},
                                                                 {"A2", "2ª", "535", "590", "A"}})},
                 {Chosen("A         B         ", {0, 1})},
                 21,
                 {{{"MARCOXML", "A"}, {"MARCO", "1"}},
                  {{"MARCOXML", "B"}, {"MARCO", "0"}},
                  {{"MARCOXML", "A"}, {"MARCO", "1"}}}},
        GridCase{"EqualStartsFavourTheFirstChosen",
                 {Frameworks({kFrameworkA, kFrameworkB}),
                  Slots({{"B1", "1ª", "480", "535", "B"}, {"A1", "1ª", "480", "535", "A"}})},
                 {Chosen("A         B         ", {0, 1})},
                 14,
                 {{{"MARCOXML", "B"}, {"MARCO", "1"}}, {{"MARCOXML", "A"}, {"MARCO", "0"}}}},
        GridCase{"FirstChosenWithoutSlots",
                 {Frameworks({kFrameworkA, kFrameworkB}),
                  Slots({{"B1", "1ª", "300", "355", "B"}, {"B2", "2ª", "355", "410", "B"}})},
                 {Chosen("A         B         ", {0, 1})},
                 14,
                 {{{"DIHO", "11"}, {"MARCOXML", "B"}, {"MARCO", "1"}},
                  {{"DIHO", "12"}, {"MARCOXML", "B"}, {"MARCO", "1"}}}},
        GridCase{"OneFrameworkNoDialogThreeSlots",
                 {Frameworks({{" A ", "Única", "", ""}}), Slots({{"T1", "1ª", "480", "540", "A"},
                                                                 {"T2", "2ª", "540", "600", " A "},
                                                                 {"X1", "otro", "600", "660", "B"},
                                                                 {"T3", "3ª", "600", "660", "A"}})},
                 {},
                 21,
                 {{{"DIHO", "11"}, {"HORA", "1"}, {"MARCO", "0"}},
                  {{"DIHO", "12"}, {"HORA", "2"}},
                  {{"DIHO", "13"}, {"HORA", "3"}},
                  {{"DIHO", "21"}, {"DIA", "2"}, {"HORA", "1"}}}},
        GridCase{
            "ClockTextsAndNegativeLength",
            {Frameworks({kFrameworkA}), Slots({{"c1", "vacío", "", "60", "A"},
                                               {"c2", "cinco", "5", "1439", "A"},
                                               {"c3", "al revés", "600", "555", "A"},
                                               {"c4", "con más campos", "1", "2", "A", "extra"},
                                               {"c5", "cuatro campos", "1", "2"}})},
            {},
            28,
            {{{"HORADESDE", "00:00"}, {"HORAHASTA", "01:00"}, {"MINUTOS", "60"}},
             {{"HORADESDE", "00:05"}, {"HORAHASTA", "23:59"}, {"MINUTOS", "1434"}},
             {{"HORADESDE", "10:00"}, {"HORAHASTA", "09:15"}, {"MINUTOS", "-45"}},
             {{"HORADESDE", "00:01"}, {"HORAHASTA", "00:02"}, {"MINUTOS", "1"}, {"DIHO", "14"}},
             {{"DIHO", "21"}}}},
        GridCase{"CodesDifferingInCaseAreDifferentFrameworks",
                 {Frameworks({{"M", "Mañana"}, {"m", "minúscula"}}),
                  Slots({{"x", "1", "480", "535", "m"}, {"y", "2", "480", "535", "M"}})},
                 {Chosen("M         ", {0})},
                 7,
                 {{{"CODDIHO", "y"}, {"MARCOXML", "M"}, {"MARCO", "0"}}}},
        // Its code is as long as two cut codes side by side, and still names one framework.
        GridCase{"SingleFrameworkOfTwentyCharacters",
                 {Frameworks({{"ABCDEFGHIJKLMNOPQRST", "Única"}}),
                  Slots({{"k", "1", "420", "475", "KLMNOPQRST"},
                         {"a", "1", "480", "535", "ABCDEFGHIJKLMNOPQRST"}})},
                 {},
                 7,
                 {{{"DIHO", "11"}, {"CODDIHO", "a"}, {"MARCOXML", "ABCDEFGHIJ"}, {"MARCO", "0"}},
                  {{"DIHO", "21"}, {"CODDIHO", "a"}}}},
        GridCase{"EmptySlotFrameworkJoinsTheEmptySecondCode",
                 {Frameworks({kFrameworkA}),
                  Slots({{"a", "1", "480", "535", "A"}, {"e", "2", "600", "655", ""}})},
                 {},
                 14,
                 {{{"DIHO", "11"}, {"MARCOXML", "A"}, {"MARCO", "0"}},
                  {{"DIHO", "11"}, {"CODDIHO", "e"}, {"MARCOXML", ""}, {"MARCO", "1"}}}}),
    [](const ::testing::TestParamInfo<GridCase>& info) { return std::string(info.param.name); });

TEST(FrameworkStep, TwelveSlotsNumberPeriodTwelveOfDayThreeAs312) {
    std::vector<XmlRecord> slots;
    for (int i = 0; i < 12; ++i) {
        slots.push_back({"s" + std::to_string(i), "", std::to_string(480 + 50 * i),
                         std::to_string(530 + 50 * i), "A"});
    }
    StepFixture run({Frameworks({kFrameworkA}), Slots(slots)});
    InboundContext ctx = run.Context();
    RunFrameworkStep(ctx);
    const Rows rows = ReadRows(run.WorkTable("DIASHORAST.DBF"));
    ASSERT_EQ(rows.size(), 84u);
    EXPECT_EQ(rows[2 * 12 + 11].at("DIHO"), "312");
    EXPECT_EQ(rows[2 * 12 + 11].at("HORA"), "12");
    EXPECT_EQ(rows[83].at("DIHO"), "712");
}

TEST(FrameworkStep, PeriodsHoldTheChosenFrameworksWithTheirDates) {
    const std::string longCode = "MANANA2024X1";
    StepFixture run(
        {Frameworks({{longCode, "Mañana larga", "01/09/2024", "30/06/2025"},
                     {"TARDE", "Tarde", "02/09/2024", "27/06/2025"},
                     {"NOCHE", "Noche", "03/09/2024", "26/06/2025"}}),
         Slots({{"m1", "1ª", "480", "535", longCode}, {"t1", "1ª", "900", "955", "TARDE"}})});
    run.user.frameworkAnswers.push_back(Chosen("MANANA2024TARDE     ", {0, 1}));
    InboundContext ctx = run.Context();
    RunFrameworkStep(ctx);

    const Rows grid = ReadRows(run.WorkTable("DIASHORAST.DBF"));
    ASSERT_EQ(grid.size(), 14u);
    EXPECT_EQ(grid[0].at("MARCOXML"), "MANANA2024");
    const Rows periods = ReadRows(run.WorkTable("PERIODOS.DBF"));
    // The long code keeps its row (compared on its first ten characters, as the slots are).
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(periods[0].at("CJORNADA"), "MANANA2024");
    EXPECT_EQ(periods[0].at("JORNADA"), "Mañana larga");
    EXPECT_EQ(periods[0].at("FECINI"), "01/09/2024");
    EXPECT_EQ(periods[0].at("FECFIN"), "30/06/2025");
    EXPECT_EQ(periods[1].at("CJORNADA"), "TARDE");
    EXPECT_EQ(periods[1].at("FECINI"), "02/09/2024");
}

TEST(FrameworkStep, RebuildsItsTablesAndRemovesJornadas) {
    StepFixture run(
        {Frameworks({{"A", "Única", "01/09/2024"}}), Slots({{"a", "1", "480", "535", "A"}})});
    WriteRows(run.WorkTable("PERIODOS.DBF"), layouts::PERIODOS, {{{"CJORNADA", "VIEJA"}}});
    WriteRows(run.WorkTable("DIASHORAST.DBF"), layouts::DIASHORAST, {{{"DIHO", "99"}}});
    for (const char* file : {"DIASHORAST.MDX", "JORNADAS.DBF", "JORNADAS.MDX"}) {
        WriteBytes(run.WorkTable(file), "old");
    }
    InboundContext ctx = run.Context();
    RunFrameworkStep(ctx);

    EXPECT_FALSE(std::filesystem::exists(run.WorkTable("JORNADAS.DBF")));
    EXPECT_TRUE(std::filesystem::exists(run.WorkTable("JORNADAS.MDX")));
    EXPECT_FALSE(std::filesystem::exists(run.WorkTable("DIASHORAST.MDX")));
    EXPECT_TRUE(std::filesystem::exists(run.WorkTable("DIASHORAST2.MDX")));
    EXPECT_TRUE(ReadRows(run.WorkTable("DIASHORAST2.DBF")).empty());
    EXPECT_EQ(Column(ReadRows(run.WorkTable("DIASHORAST.DBF")), "DIHO"),
              (std::vector<std::string>{"11", "21", "31", "41", "51", "61", "71"}));
    const Rows periods = ReadRows(run.WorkTable("PERIODOS.DBF"));
    ASSERT_EQ(periods.size(), 1u);
    EXPECT_EQ(periods[0].at("CJORNADA"), "A");
    EXPECT_EQ(periods[0].at("FECINI"), "01/09/2024");
    EXPECT_EQ(periods[0].at("FECFIN"), "");
}

// A start or end time of the second slot, and what the step makes of it: the clock text it
// stores, or nothing when the text is not a whole number and the job stops.
struct SlotTimeCase {
    const char* name;
    const char* meaning;  // "hora de inicio" or "hora de fin"
    std::string text;     // the dato as the document has it
    std::optional<std::string> clock;
};

void PrintTo(const SlotTimeCase& c, std::ostream* out) { *out << c.name; }

class SlotTime : public ::testing::TestWithParam<SlotTimeCase> {};

// A text that is not a whole number stops the job with a message that quotes it as the
// document has it (never as the step reads it, with a "0" in front of a short text); the rows
// posted before stay, and the other two tables exist, empty.
TEST_P(SlotTime, IsReadAsAWholeNumberOrQuotedAsTheDocumentHasIt) {
    const SlotTimeCase& c = GetParam();
    const bool start = std::string_view(c.meaning) == "hora de inicio";
    StepFixture run({Frameworks({kFrameworkA}),
                     Slots({{"a", "1", "480", "535", "A"},
                            {"b", "2", start ? c.text : "0", start ? "600" : c.text, "A"}})});
    InboundContext ctx = run.Context();
    if (c.clock) {
        RunFrameworkStep(ctx);
        const Rows rows = ReadRows(run.WorkTable("DIASHORAST.DBF"));
        ASSERT_EQ(rows.size(), 14u);
        EXPECT_EQ(rows[1].at(start ? "HORADESDE" : "HORAHASTA"), *c.clock);
        return;
    }
    const std::string message = ErrorMessage([&] { RunFrameworkStep(ctx); });
    EXPECT_EQ(message.find("El documento '" + run.DocumentPath().string() + "', línea "), 0u)
        << message;
    EXPECT_TRUE(message.ends_with(" (sección TRAMOS_HORARIOS, " + std::string(c.meaning) + "): '" +
                                  c.text + "' is not a valid integer value"))
        << message;
    EXPECT_EQ(ReadRows(run.WorkTable("DIASHORAST.DBF")).size(), 1u);
    EXPECT_TRUE(ReadRows(run.WorkTable("DIASHORAST2.DBF")).empty());
    EXPECT_TRUE(ReadRows(run.WorkTable("PERIODOS.DBF")).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SlotTime,
    ::testing::Values(SlotTimeCase{"ClockTime", "hora de inicio", "8:00", std::nullopt},
                      SlotTimeCase{"Negative", "hora de inicio", "-1", std::nullopt},
                      SlotTimeCase{"NegativeEnd", "hora de fin", "-1", std::nullopt},
                      SlotTimeCase{"Fraction", "hora de inicio", "1.5", std::nullopt},
                      SlotTimeCase{"Letter", "hora de fin", "x", std::nullopt},
                      SlotTimeCase{"LetterWithBlanks", "hora de inicio", " x ", std::nullopt},
                      SlotTimeCase{"Empty", "hora de inicio", "", "00:00"},
                      SlotTimeCase{"BlankBefore", "hora de inicio", " 7", "00:07"},
                      SlotTimeCase{"BlankBeforeEnd", "hora de fin", " 7", "00:07"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameworkStep, DocumentWithoutFrameworksStopsNamingTheFile) {
    StepFixture run({Slots({{"a", "1", "480", "535", "A"}})});
    InboundContext ctx = run.Context();
    const std::string message = ErrorMessage([&] { RunFrameworkStep(ctx); });
    EXPECT_NE(message.find(run.DocumentPath().string()), std::string::npos) << message;
    EXPECT_NE(message.find("JORNADAS_ESCOLARES"), std::string::npos) << message;
    EXPECT_TRUE(run.user.frameworkDialogDocuments.empty());
    for (const char* table : {"DIASHORAST.DBF", "DIASHORAST2.DBF", "PERIODOS.DBF"}) {
        EXPECT_TRUE(ReadRows(run.WorkTable(table)).empty()) << table;
    }
}

TEST(FrameworkStep, AsksAgainAfterAnInvalidSelection) {
    StepFixture run(
        {Frameworks({kFrameworkA, kFrameworkB}), Slots({{"b", "1", "480", "535", "B"}})});
    run.user.frameworkAnswers.push_back({false, ""});
    run.user.frameworkAnswers.push_back(Chosen("B         ", {1}));
    InboundContext ctx = run.Context();
    RunFrameworkStep(ctx);

    ASSERT_EQ(run.user.frameworkDialogDocuments.size(), 2u);
    EXPECT_EQ(run.user.frameworkDialogDocuments[0], run.DocumentPath());
    EXPECT_EQ(Column(ReadRows(run.WorkTable("PERIODOS.DBF")), "CJORNADA"),
              std::vector<std::string>{"B"});
    EXPECT_EQ(ReadRows(run.WorkTable("DIASHORAST.DBF")).size(), 7u);
}

TEST(FrameworkStep, UnreadableFrameworkListEndsTheJobInsteadOfAskingForever) {
    StepFixture run(
        {Frameworks({kFrameworkA, kFrameworkB}), Slots({{"b", "1", "480", "535", "B"}})});
    run.user.frameworkAnswers.push_back({false, "A         B         C         "});
    InboundContext ctx = run.Context();
    EXPECT_THROW(RunFrameworkStep(ctx), Error);
    EXPECT_EQ(run.user.frameworkDialogDocuments.size(), 2u);
    // The tables were created before the dialog and stay empty.
    EXPECT_TRUE(ReadRows(run.WorkTable("DIASHORAST.DBF")).empty());
    EXPECT_TRUE(ReadRows(run.WorkTable("PERIODOS.DBF")).empty());
}

// Frameworks whose codes agree in the ten characters the tables keep, chosen as the dialog lets
// them be chosen (each showing of the dialog selects the entries given, and the dialog's own rule
// closes it): only the chosen ones are applied, and never two the tables cannot tell apart.
struct AlikeCase {
    const char* name;
    std::vector<XmlRecord> frameworks;
    std::vector<std::vector<bool>> showings;  // the entries selected at each showing
    std::vector<std::string> dayOneSlots;     // CODDIHO of day 1's rows, in order
    std::vector<std::string> periods;         // JORNADA of the PERIODOS.DBF rows
    std::vector<std::string> notChosen;       // the report's items of frameworks not chosen
    std::vector<std::string> alike;           // its items of frameworks the tables confuse
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const AlikeCase& c, std::ostream* out) { *out << c.name; }

// Slots of both frameworks of each pair, one naming only the shared first ten characters
// (no framework's code) and one naming a code of no framework.
const XmlSection kAlikeSlots = Slots({{"a1", "1ª", "480", "535", "ABCDEFGHIJ1"},
                                      {"b1", "1ª tarde", "900", "955", "ABCDEFGHIJ2"},
                                      {"s1", "1ª", "470", "525", "4401"},
                                      {"a2", "2ª", "535", "590", " ABCDEFGHIJ1 "},
                                      {"c1", "corto", "600", "655", "ABCDEFGHIJ"},
                                      {"s2", "2ª", "525", "580", " 4401"},
                                      {"x1", "otro", "700", "755", "OTRO"}});

const XmlRecord kTenFirst{"ABCDEFGHIJ1", "Mañana", "01/09/2024", "30/06/2025"};
const XmlRecord kTenSecond{" ABCDEFGHIJ2", "Tarde", "02/09/2024", "27/06/2025"};
const XmlRecord kSameFirst{"4401", "Jornada de mañana", "01/09/2024", "30/06/2025"};
const XmlRecord kSameSecond{"4401 ", "Jornada de tarde", "02/09/2024", "27/06/2025"};

const char* const kTenAlike =
    "JORNADAS_ESCOLARES, registro 2: «ABCDEFGHIJ2» (Tarde) coincide con el registro 1, "
    "«ABCDEFGHIJ1» (Mañana) en los 10 primeros caracteres del código, los que guardan las "
    "tablas: DIASHORAST.DBF y PERIODOS.DBF no los distinguen y no se pueden aplicar juntos";
const char* const kSameAlike =
    "JORNADAS_ESCOLARES, registro 2: «4401» (Jornada de tarde) tiene el mismo código que el "
    "registro 1, «4401» (Jornada de mañana): DIASHORAST.DBF y PERIODOS.DBF no los distinguen y "
    "no se pueden aplicar juntos";

class FrameworksTheTablesCannotTellApart : public ::testing::TestWithParam<AlikeCase> {};

TEST_P(FrameworksTheTablesCannotTellApart, OnlyTheChosenOneIsApplied) {
    const AlikeCase& c = GetParam();
    const SchoolXml school{Frameworks(c.frameworks), kAlikeSlots};
    StepFixture run(school);
    const FrameworkCatalog catalog = FrameworkCatalog::Load(run.DocumentPath());
    for (const std::vector<bool>& selected : c.showings) {
        run.user.frameworkAnswers.push_back(CloseFrameworkSelection(catalog, selected).selection);
    }
    run.Run(school, {RunFrameworkStep});

    EXPECT_EQ(run.user.frameworkDialogDocuments.size(), c.showings.size());
    const Rows grid = ReadRows(run.WorkTable("DIASHORAST.DBF"));
    ASSERT_EQ(grid.size(), 7 * c.dayOneSlots.size());
    EXPECT_EQ(Column(Rows(grid.begin(), grid.begin() + c.dayOneSlots.size()), "CODDIHO"),
              c.dayOneSlots);
    EXPECT_EQ(Column(ReadRows(run.WorkTable("PERIODOS.DBF")), "JORNADA"), c.periods);
    EXPECT_EQ(ReportItemLines(run.LastReport(), ReportKind::FrameworkNotChosen), c.notChosen);
    EXPECT_EQ(ReportItemLines(run.LastReport(), ReportKind::FrameworkLikeAnother), c.alike);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameworksTheTablesCannotTellApart,
    ::testing::Values(
        AlikeCase{"CodesEqualInTenCharactersFirstChosen",
                  {kTenFirst, kTenSecond},
                  {{true, false}},
                  {"a1", "a2"},
                  {"Mañana"},
                  {"JORNADAS_ESCOLARES, registro 2: «ABCDEFGHIJ2» (Tarde) no se ha aplicado al "
                   "horario"},
                  {kTenAlike}},
        AlikeCase{"CodesEqualInTenCharactersSecondChosen",
                  {kTenFirst, kTenSecond},
                  {{false, true}},
                  {"b1"},
                  {"Tarde"},
                  {"JORNADAS_ESCOLARES, registro 1: «ABCDEFGHIJ1» (Mañana) no se ha aplicado al "
                   "horario"},
                  {kTenAlike}},
        AlikeCase{"CodesEqualInTenCharactersBothChosenIsRefusedAndAskedAgain",
                  {kTenFirst, kTenSecond},
                  {{true, true}, {false, true}},
                  {"b1"},
                  {"Tarde"},
                  {"JORNADAS_ESCOLARES, registro 1: «ABCDEFGHIJ1» (Mañana) no se ha aplicado al "
                   "horario"},
                  {kTenAlike}},
        // The slots name the code only, so the chosen one gets them all, once; the other
        // framework gets no PERIODOS row.
        AlikeCase{"EqualCodesSecondChosen",
                  {kSameFirst, kSameSecond},
                  {{false, true}},
                  {"s1", "s2"},
                  {"Jornada de tarde"},
                  {"JORNADAS_ESCOLARES, registro 1: «4401» (Jornada de mañana) no se ha aplicado "
                   "al horario"},
                  {kSameAlike}},
        AlikeCase{"EqualCodesBothChosenIsRefusedAndAskedAgain",
                  {kSameFirst, kSameSecond},
                  {{true, true}, {true, false}},
                  {"s1", "s2"},
                  {"Jornada de mañana"},
                  {"JORNADAS_ESCOLARES, registro 2: «4401» (Jornada de tarde) no se ha aplicado "
                   "al horario"},
                  {kSameAlike}},
        // Beside a pair, another framework is chosen with one of them as before.
        AlikeCase{"OneOfThePairWithAnother",
                  {kTenFirst, kTenSecond, {"OTRO", "Otro", "", ""}},
                  {{false, true, true}},
                  {"b1", "x1"},
                  {"Tarde", "Otro"},
                  {"JORNADAS_ESCOLARES, registro 1: «ABCDEFGHIJ1» (Mañana) no se ha aplicado al "
                   "horario"},
                  {kTenAlike}},
        // Codes that differ in their first ten characters are told apart by them, as they
        // always were: slots naming other codes with the same ten characters go with the one
        // framework that has them.
        AlikeCase{"CodesDifferingInTenCharactersBothChosen",
                  {{"ABCDEFGHIJ1", "Mañana"}, {"4401", "Tarde"}},
                  {{true, true}},
                  {"a1", "b1", "s1", "a2", "c1", "s2"},
                  {"Mañana", "Tarde"},
                  {},
                  {}},
        // Blanks before a long code do not shift the ten characters compared.
        AlikeCase{"BlanksBeforeALongCode",
                  {{"  ABCDEFGHIJ1", "Mañana"}, {"4401", "Tarde"}},
                  {{true, false}},
                  {"a1", "b1", "a2", "c1"},
                  {"Mañana"},
                  {"JORNADAS_ESCOLARES, registro 2: «4401» (Tarde) no se ha aplicado al horario"},
                  {}}),
    [](const ::testing::TestParamInfo<AlikeCase>& info) { return std::string(info.param.name); });

// What the dialog's rule refuses stops the step when it arrives all the same, and so does a
// choice made from another version of the document: no row is written.
TEST(FrameworkStep, ChoiceTheTablesCouldNotKeepStopsWithoutWritingARow) {
    struct Answer {
        const char* name;
        FrameworkSelection selection;
        const char* reason;
    };
    for (const Answer& answer :
         {Answer{"both of a pair", Chosen("ABCDEFGHIJABCDEFGHIJ", {0, 1}),
                 "No se pueden aplicar juntos los Marcos Horarios «ABCDEFGHIJ1» (Mañana) y "
                 "« ABCDEFGHIJ2» (Tarde)"},
          Answer{"an entry the document lacks", Chosen("ABCDEFGHIJ", {2}), "ha cambiado"},
          Answer{"codes of other entries", Chosen("4401      ", {0}), "ha cambiado"}}) {
        StepFixture run({Frameworks({kTenFirst, kTenSecond}), kAlikeSlots});
        run.user.frameworkAnswers.push_back(answer.selection);
        InboundContext ctx = run.Context();
        const std::string message = ErrorMessage([&] { RunFrameworkStep(ctx); });
        EXPECT_NE(message.find(answer.reason), std::string::npos) << answer.name << ": " << message;
        EXPECT_NE(message.find(run.DocumentPath().string()), std::string::npos) << message;
        EXPECT_TRUE(ReadRows(run.WorkTable("DIASHORAST.DBF")).empty()) << answer.name;
        EXPECT_TRUE(ReadRows(run.WorkTable("PERIODOS.DBF")).empty()) << answer.name;
    }
}

}  // namespace
}  // namespace velmaro::testing
