// Values given as text for numeric and logical fields, and whole numbers read from fields.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/DbfValueParsing.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ScratchFolder;

TEST(LogicalValue, FirstLetterDecidesAndBlankSetsNothing) {
    const std::vector<std::pair<std::string, std::optional<bool>>> accepted = {
        {"T", true},  {"t", true},  {"Y", true},       {"y", true},      {" True ", true},
        {"F", false}, {"f", false}, {"N", false},      {"no", false},    {"Falso", false},
        {"", std::nullopt},         {"   ", std::nullopt},
    };
    for (const auto& [text, expected] : accepted) {
        EXPECT_EQ(dbf::ParseLogicalValue(text), expected) << "'" << text << "'";
    }
    for (const std::string text : {"  Si", "Verdad", "1", "?"}) {
        EXPECT_EQ(ErrorMessage([&] { dbf::ParseLogicalValue(text); }),
                  "'" + text + "' is not a valid boolean value");
    }
}

TEST(FloatValue, ReadsDecimalTextAndNamesAnythingElse) {
    EXPECT_EQ(dbf::ParseFloatValue("2.5"), 2.5);
    EXPECT_EQ(dbf::ParseFloatValue("  -45 "), -45.0);
    for (const std::string text : {"dos", "2,5", "1.2.3"}) {
        EXPECT_EQ(ErrorMessage([&] { dbf::ParseFloatValue(text); }),
                  "'" + text + "' is not a valid floating point value");
    }
}

TEST(TextToInteger, CharacterFieldsConvertTheirText) {
    ScratchFolder folder;
    const TableLayout layout{"C.DBF", {{"TEXTO", FieldKind::Character, 12}}, std::nullopt};
    DbfTable table = DbfTable::Create(folder / "C.DBF", layout);
    const std::vector<std::pair<std::string, int>> good = {{"12", 12}, {"  -7", -7}, {"", 0}};
    for (const auto& [text, value] : good) {
        const std::size_t row = table.Append();
        table.SetText(row, "TEXTO", text);
        EXPECT_EQ(table.Integer(row, "TEXTO"), value) << text;
    }
    const std::size_t row = table.Append();
    table.SetText(row, "TEXTO", "12a");
    // The table, the field and the row come first; the converter's own words last.
    EXPECT_EQ(ErrorMessage([&] { table.Integer(row, "TEXTO"); }),
              "La tabla '" + (folder / "C.DBF").string() +
                  "', campo 'TEXTO', fila 4: '12a' is not a valid integer value");
}

TEST(TextToInteger, NumbersAnIntCannotHoldAreNamed) {
    ScratchFolder folder;
    const TableLayout layout{"F.DBF", {{"REAL", FieldKind::Float, 0}}, std::nullopt};
    DbfTable table = DbfTable::Create(folder / "F.DBF", layout);
    const std::vector<std::pair<double, std::string>> cases = {
        {2147483647.5, "fila 1: '2147483647.5' is not a valid integer value"},
        {-2147483649.0, "fila 2: '-2147483649' is not a valid integer value"},
    };
    for (const auto& [number, message] : cases) {
        const std::size_t row = table.Append();
        table.SetFloat(row, "REAL", number);
        EXPECT_EQ(ErrorMessage([&] { table.Integer(row, "REAL"); }),
                  "La tabla '" + (folder / "F.DBF").string() + "', campo 'REAL', " + message);
    }
    const std::size_t row = table.Append();
    table.SetFloat(row, "REAL", -2147483648.0);
    EXPECT_EQ(table.Integer(row, "REAL"), -2147483647 - 1);
}

}  // namespace
}  // namespace velmaro
