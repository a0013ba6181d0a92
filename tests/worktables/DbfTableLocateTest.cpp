// Locate and filter: the first match (or every match) in stored order, with the comparison of
// character fields (exact, case-sensitive, trailing blanks not significant, cut as stored).

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/Error.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"

namespace velmaro {
namespace {

using testing::ScratchFolder;

const TableLayout kLayout{"SOLUC.DBF",
                          {{"PROF", FieldKind::Character, 10},
                           {"ASIG", FieldKind::Character, 10},
                           {"DIA", FieldKind::Integer, 0}},
                          std::nullopt};

class LocateTest : public ::testing::Test {
protected:
    LocateTest() : table_(DbfTable::Create(folder_ / "SOLUC.DBF", kLayout)) {
        // row: PROF, ASIG, DIA
        Add("ANA", "MAT", 1);       // 0
        Add("LUIS", "LEN", 2);      // 1
        Add("ANA", "LEN", 3);       // 2
        Add("ana", "MAT", 4);       // 3
        Add("O'NEIL", "MAT", 5);    // 4
        Add("ANA", "MAT", 6);       // 5
        Add("JOSÉ", "FIS", 7);      // 6
        Add("ABCDEFGHIJ", "X", 8);  // 7: fills the width
    }
    void Add(const std::string& prof, const std::string& asig, long long dia) {
        const std::size_t row = table_.Append();
        table_.SetText(row, "PROF", prof);
        table_.SetText(row, "ASIG", asig);
        table_.SetInteger(row, "DIA", dia);
    }

    ScratchFolder folder_;
    DbfTable table_;
};

TEST_F(LocateTest, FindsTheFirstMatchInStoredOrder) {
    struct Case {
        const char* name;
        std::string prof;
        std::string asig;
        std::optional<std::size_t> row;
    };
    const std::vector<Case> cases = {
        {"firstOfTwo", "ANA", "MAT", 0},
        {"secondField decides", "ANA", "LEN", 2},
        {"caseSensitive", "ana", "MAT", 3},
        {"trailingBlanksIgnored", "LUIS   ", "LEN", 1},
        {"leadingBlanksCount", " LUIS", "LEN", std::nullopt},
        {"accented", "JOSÉ", "FIS", 6},
        {"cutToWidthAsStored", "ABCDEFGHIJKLM", "X", 7},
        {"absent", "PEPE", "MAT", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table_.Locate({{"PROF", c.prof}, {"ASIG", c.asig}}), c.row) << c.name;
    }
}

TEST_F(LocateTest, NumericFieldsCompareByValue) {
    EXPECT_EQ(table_.Locate({{"DIA", "6"}}), std::optional<std::size_t>(5));
    EXPECT_EQ(table_.Locate({{"DIA", " 6.0"}}), std::optional<std::size_t>(5));
    EXPECT_EQ(table_.Locate({{"DIA", "60"}}), std::nullopt);
}

TEST_F(LocateTest, SeesRowsAppendedAndChangedAfterTheIndexWasBuilt) {
    ASSERT_EQ(table_.Locate({{"PROF", "EVA"}}), std::nullopt);  // builds the index on PROF
    Add("EVA", "QUI", 9);
    EXPECT_EQ(table_.Locate({{"PROF", "EVA"}}), std::optional<std::size_t>(8));
    table_.SetText(0, "PROF", "EVA");  // an indexed row changes in place
    EXPECT_EQ(table_.Locate({{"PROF", "EVA"}}), std::optional<std::size_t>(0));
    EXPECT_EQ(table_.Locate({{"PROF", "ANA"}}), std::optional<std::size_t>(2));
    EXPECT_EQ(table_.FilterRows("PROF= 'ANA'"), (std::vector<std::size_t>{2, 5}));
    table_.SetText(0, "PROF", "ANA");  // and back: stored order is kept
    EXPECT_EQ(table_.FilterRows("PROF= 'ANA'"), (std::vector<std::size_t>{0, 2, 5}));
}

TEST_F(LocateTest, EditsMoveRowsBetweenKeysKeepingStoredOrder) {
    struct Step {
        const char* name;
        std::size_t row;
        std::string prof;               // the row's new PROF
        std::string asked;              // the PROF looked up afterwards
        std::vector<std::size_t> rows;  // every row with it, in stored order
    };
    const std::vector<Step> steps = {
        {"onlyRowLeavesItsKey", 1, "ANA", "LUIS", {}},
        {"joinsInTheMiddle", 4, "ANA", "ANA", {0, 1, 2, 4, 5}},
        {"goneKeyComesBackWithALaterRow", 6, "LUIS", "LUIS", {6}},
        {"earlierRowGoesInFront", 1, "LUIS", "LUIS", {1, 6}},
        {"firstRowLeaves", 0, "EVA", "ANA", {2, 4, 5}},
        {"lastRowLeaves", 5, "EVA", "ANA", {2, 4}},
        {"movedRowsInStoredOrder", 5, "EVA", "EVA", {0, 5}},
        {"trailingBlanksKeepTheKey", 2, "ANA   ", "ANA", {2, 4}},
        {"blankedRowHasTheEmptyKey", 4, "", "", {4}},
        {"everyRowOfAKeyLeaves", 2, "EVA", "ANA", {}},
        {"keyRefilled", 7, "ANA", "ANA", {7}},
    };
    // Both indexes covering PROF exist before the first edit, and must move rows alike.
    ASSERT_EQ(table_.FilterRows("PROF= 'ANA'"), (std::vector<std::size_t>{0, 2, 5}));
    ASSERT_EQ(table_.Locate({{"PROF", "ANA"}, {"ASIG", "MAT"}}), std::optional<std::size_t>(0));
    for (const Step& step : steps) {
        table_.SetText(step.row, "PROF", step.prof);
        EXPECT_EQ(table_.FilterRows("PROF= '" + step.asked + "'"), step.rows) << step.name;
        const std::optional<std::size_t> first =
            step.rows.empty() ? std::nullopt : std::optional<std::size_t>(step.rows.front());
        EXPECT_EQ(table_.Locate({{"PROF", step.asked}}), first) << step.name;
    }
    EXPECT_EQ(table_.Locate({{"PROF", "EVA"}, {"ASIG", "MAT"}}), std::optional<std::size_t>(0));
    EXPECT_EQ(table_.Locate({{"PROF", "ANA"}, {"ASIG", "X"}}), std::optional<std::size_t>(7));
    EXPECT_EQ(table_.Locate({{"PROF", "ANA"}, {"ASIG", "MAT"}}), std::nullopt);
}

TEST_F(LocateTest, FilterGivesEveryMatchInStoredOrder) {
    struct Case {
        const char* name;
        std::string expression;
        std::vector<std::size_t> rows;
    };
    const std::vector<Case> cases = {
        {"plain", "PROF= 'ANA'", {0, 2, 5}},
        {"noBlanks", "PROF='ANA'", {0, 2, 5}},
        {"blanksAround", "  ASIG =  'LEN'  ", {1, 2}},
        {"doubledQuote", "PROF= 'O''NEIL'", {4}},
        {"trailingBlanksInValue", "PROF= 'LUIS  '", {1}},
        {"lowerCaseFieldName", "prof= 'ana'", {3}},
        {"none", "PROF= 'NADIE'", {}},
        {"emptyMatchesNothingSet", "PROF= ''", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(table_.FilterRows(c.expression), c.rows) << c.name;
}

TEST_F(LocateTest, OtherFilterExpressionsAreErrors) {
    for (const char* expression : {"PROF", "PROF= ANA", "PROF= 'ANA", "PROF= 'ANA' AND ASIG= 'MAT'",
                                   "= 'ANA'", "PROF<> 'ANA'", "PROF= 'O'NEIL'"}) {
        EXPECT_THROW(table_.FilterRows(expression), Error) << expression;
    }
    EXPECT_THROW(table_.FilterRows("NOEXISTE= 'A'"), Error);
    EXPECT_THROW(table_.Locate({{"NOEXISTE", "A"}}), Error);
}

// Appends, copies, edits in place and lookups in a random order (from a fixed seed), each
// lookup checked against a scan of what was stored. Thousands of keys make the index grow
// many times and crowd its slots; few rows per key make edits empty keys and fill them again.
TEST(LocateRandomized, AgreesWithAScanOfTheRows) {
    const TableLayout layout{
        "MEZCLA.DBF",
        {{"CLAVE", FieldKind::Character, 6}, {"GRUPO", FieldKind::Character, 3}},
        std::nullopt};
    constexpr std::size_t kKeys = 1500;
    constexpr std::size_t kSteps = 12000;
    ScratchFolder folder;
    DbfTable table = DbfTable::Create(folder / "MEZCLA.DBF", layout);
    std::vector<std::array<std::string, 2>> stored;  // per row: CLAVE, GRUPO
    std::mt19937 random(20261210);
    const auto pick = [&](std::size_t count) { return static_cast<std::size_t>(random() % count); };
    const auto clave = [&] { return "C" + std::to_string(pick(kKeys + 100)); };  // some absent
    const auto grupo = [&] { return pick(6) == 0 ? std::string() : "G" + std::to_string(pick(5)); };
    const auto scan = [&](std::size_t part, const std::string& value) {
        std::vector<std::size_t> rows;
        for (std::size_t row = 0; row < stored.size(); ++row) {
            if (stored[row][part] == value) rows.push_back(row);
        }
        return rows;
    };
    const auto firstOf = [](const std::vector<std::size_t>& rows) {
        return rows.empty() ? std::nullopt : std::optional<std::size_t>(rows.front());
    };

    for (std::size_t step = 0; step < kSteps; ++step) {
        const std::size_t action = stored.empty() ? 0 : pick(10);
        if (action <= 2) {
            stored.push_back({clave(), grupo()});
            const std::size_t row = table.Append();
            table.SetText(row, "CLAVE", stored.back()[0]);
            table.SetText(row, "GRUPO", stored.back()[1]);
        } else if (action == 3) {
            const std::size_t from = pick(stored.size());
            stored.push_back(stored[from]);
            table.AppendCopyOf(from);
        } else if (action <= 5) {
            const std::size_t row = pick(stored.size());
            const std::size_t part = pick(2);
            stored[row][part] = part == 0 ? clave() : grupo();
            table.SetText(row, part == 0 ? "CLAVE" : "GRUPO", stored[row][part]);
        } else if (action <= 7) {
            const std::string value = clave();
            ASSERT_EQ(table.Locate({{"CLAVE", value}}), firstOf(scan(0, value))) << step;
        } else if (action == 8) {
            const std::string value = clave();
            const std::string group = grupo();
            std::vector<std::size_t> both;
            for (std::size_t row : scan(0, value)) {
                if (stored[row][1] == group) both.push_back(row);
            }
            ASSERT_EQ(table.Locate({{"CLAVE", value}, {"GRUPO", group}}), firstOf(both)) << step;
        } else {
            const std::size_t part = pick(2);
            const std::string value = part == 0 ? clave() : grupo();
            const std::string expression = (part == 0 ? "CLAVE= '" : "GRUPO= '") + value + "'";
            ASSERT_EQ(table.FilterRows(expression), scan(part, value)) << step << " " << expression;
        }
    }
}

}  // namespace
}  // namespace velmaro
