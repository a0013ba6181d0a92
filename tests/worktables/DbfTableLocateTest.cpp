// Locate and filter: the first match (or every match) in stored order, with the comparison of
// character fields (exact, case-sensitive, trailing blanks not significant, cut as stored).

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/Error.h"
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

}  // namespace
}  // namespace velmaro
