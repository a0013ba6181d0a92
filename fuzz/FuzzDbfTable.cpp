// dBase reader on arbitrary bytes: every field of every row as text and as a whole number, then
// a locate and a filter on the first field with the last row's value.
#include <string>

#include "FuzzInput.h"
#include "worktables/DbfTable.h"

// The filter expression FIELD= 'value', single quotes inside the value doubled.
std::string EqualsExpression(const std::string& field, const std::string& value) {
    std::string quoted;
    for (char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return field + "= '" + quoted + "'";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velmaro::fuzz::ExpectOnlyError;
    ExpectOnlyError([&] {
        auto table =
            velmaro::DbfTable::Open(velmaro::fuzz::WriteInput("TABLA.DBF", data, size),
                                    velmaro::TableAccess::Shared, velmaro::TableReading::Lenient);
        const auto fields = table.FieldNames();
        for (std::size_t row = 0; row < table.RecordCount(); ++row) {
            for (const std::string& field : fields) {
                table.Text(row, field);
                ExpectOnlyError([&] { table.Integer(row, field); });
            }
        }
        if (fields.empty() || table.RecordCount() == 0) return;
        const std::string value = table.Text(table.RecordCount() - 1, fields.front());
        table.Locate({{fields.front(), value}});
        table.FilterRows(EqualsExpression(fields.front(), value));
    });
    return 0;
}
