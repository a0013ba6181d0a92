// The table engine tells its watcher about every text it cannot store as given: cut to the
// field's width (counted in characters after encoding, trailing blanks not significant) or with
// characters that Windows-1252 cannot hold; and about nothing else.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"

namespace velmaro {
namespace {

using testing::ScratchFolder;

const TableLayout kLayout{"AULAT.DBF",
                          {{"ABREV", FieldKind::Character, 4}, {"MAXALUM", FieldKind::Integer, 0}},
                          std::nullopt};

struct Seen {
    std::size_t row;
    std::size_t field;
    std::string value;
    bool cut;
    bool replaced;
    bool operator==(const Seen&) const = default;
};

class Recorder final : public StoredTextWatcher {
public:
    void TextChanged(std::size_t row, std::size_t fieldIndex, std::string_view value,
                     StoredTextChange change) override {
        seen.push_back({row, fieldIndex, std::string(value), change.cut, change.replaced});
    }
    std::vector<Seen> seen;
};

struct ChangeCase {
    const char* name;
    std::string value;
    bool cut;
    bool replaced;
    std::string stored;  // what the table gives back
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class StoredTextChangeTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(StoredTextChangeTest, WatcherSeesExactlyTheChangedTexts) {
    const ChangeCase& c = GetParam();
    ScratchFolder folder;
    DbfTable table = DbfTable::Create(folder / "AULAT.DBF", kLayout);
    Recorder recorder;
    table.WatchStoredText(&recorder);
    table.Append();
    const std::size_t row = table.Append();
    table.SetText(row, "ABREV", c.value);
    table.SetInteger(row, "MAXALUM", 123456);  // numbers are not texts the watcher hears of
    EXPECT_EQ(table.Text(row, "ABREV"), c.stored);
    std::vector<Seen> expected;
    if (c.cut || c.replaced) expected.push_back({1, 0, c.value, c.cut, c.replaced});
    EXPECT_EQ(recorder.seen, expected);
    table.WatchStoredText(nullptr);
    table.SetText(row, "ABREV", c.value);
    EXPECT_EQ(recorder.seen, expected) << "a table without a watcher tells nobody";
    table.Close();
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredTextChangeTest,
    ::testing::Values(ChangeCase{"Fits", "A1", false, false, "A1"},
                      ChangeCase{"FillsTheWidth", "A101", false, false, "A101"},
                      ChangeCase{"OneCharacterTooMany", "A1011", true, false, "A101"},
                      ChangeCase{"AccentsCountOnce", "Ñúñé", false, false, "Ñúñé"},
                      ChangeCase{"AccentedCut", "Ñúñéz", true, false, "Ñúñé"},
                      ChangeCase{"TrailingBlanksBeyondTheWidth", "A1      ", false, false, "A1"},
                      ChangeCase{"BlankInsideBeyondTheWidth", "A101 B", true, false, "A101"},
                      ChangeCase{"NotInWindows1252", "Ŝ1", false, true, "?1"},
                      ChangeCase{"EuroSignIsInWindows1252", "€1", false, false, "€1"},
                      ChangeCase{"ReplacedAndCut", "→→→→→", true, true, "????"},
                      ChangeCase{"ReplacedPartBeyondTheWidth", "ABCD→", true, false, "ABCD"},
                      ChangeCase{"InvalidUtf8Byte", std::string("A\xFF"), false, true, "A?"},
                      ChangeCase{"Empty", "", false, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro
