// An independent reader agrees with our tables: Debian's python3-dbfread reads every work
// table we write and finds the same field names, types, widths and values.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {
namespace {

using testing::ScratchFolder;

std::string RunDbfread(const std::filesystem::path& table) {
    const std::string command = std::string("/usr/bin/python3 '") + VELMARO_TEST_DATA_DIR +
                                "/dbfread_dump.py' '" + table.string() + "' 2>&1";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "popen failed";
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    ::pclose(pipe);
    return output;
}

std::string FieldLine(const FieldLayout& field) {
    switch (field.kind) {
        case FieldKind::Character:
            return "FIELD\t" + field.name + "\tC\t" + std::to_string(field.width) + "\t0\n";
        case FieldKind::Integer:
            return "FIELD\t" + field.name + "\tN\t11\t0\n";
        case FieldKind::Float:
            return "FIELD\t" + field.name + "\tN\t20\t4\n";
        case FieldKind::Logical:
            return "FIELD\t" + field.name + "\tL\t1\t0\n";
    }
    return {};
}

// Row `row` of the sample: every field set except on the last row, which stays blank.
void FillSample(DbfTable& table, const TableLayout& layout, std::size_t row) {
    for (const FieldLayout& field : layout.fields) {
        switch (field.kind) {
            case FieldKind::Character:
                table.SetText(row, field.name, "Ñú€ " + field.name + " Ω " + std::to_string(row));
                break;
            case FieldKind::Integer:
                table.SetInteger(row, field.name, row == 0 ? -2147483647LL - 1 : 12345678);
                break;
            case FieldKind::Float:
                table.SetFloat(row, field.name, row == 0 ? 4.0 : -1234.0625);
                break;
            case FieldKind::Logical:
                table.SetLogical(row, field.name, row == 0);
                break;
        }
    }
}

class DbfreadAgreement : public ::testing::TestWithParam<const TableLayout*> {};

TEST_P(DbfreadAgreement, SeesOurFieldsAndValues) {
    const TableLayout& layout = *GetParam();
    ScratchFolder folder;
    {
        DbfTable table = RebuildWorkTable(folder.Path(), layout);
        FillSample(table, layout, table.Append());
        FillSample(table, layout, table.Append());
        table.Append();
    }
    std::string expected;
    for (const FieldLayout& field : layout.fields) expected += FieldLine(field);
    DbfTable table = DbfTable::Open(folder / layout.fileName, TableAccess::Shared);
    for (std::size_t row = 0; row < table.RecordCount(); ++row) {
        expected += "ROW";
        for (const FieldLayout& field : layout.fields)
            expected += "\t" + table.Text(row, field.name);
        expected += "\n";
    }
    EXPECT_EQ(RunDbfread(folder / layout.fileName), expected);
}

INSTANTIATE_TEST_SUITE_P(AllWorkTables, DbfreadAgreement,
                         ::testing::ValuesIn(layouts::AllWorkTables()), [](const auto& info) {
                             return info.param->fileName.substr(0, info.param->fileName.find('.'));
                         });

}  // namespace
}  // namespace velmaro
