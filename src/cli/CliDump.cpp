// velmaro-cli dump: a dBase table as CSV.

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliCommands.h"
#include "base/Error.h"
#include "base/Utf8Path.h"
#include "worktables/DbfTable.h"

namespace velmaro::cli {

namespace {

constexpr std::size_t kFlushThreshold = 1 << 16;  // bytes gathered before each write

// Appends `value` to `line` as one CSV field: quoted, with its quotes doubled, when it holds a
// comma, a quote, a carriage return or a line feed.
void AppendCsvField(std::string& line, std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        line += value;
        return;
    }
    line += '"';
    for (char c : value) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

void AppendCsvRecord(std::string& out, const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += ',';
        AppendCsvField(out, values[i]);
    }
    out += '\n';
}

void Flush(std::string& out) {
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
}

}  // namespace

int RunDump(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        std::cerr << "Uso: velmaro-cli dump TABLA.DBF\n";
        return kExitUsage;
    }
    try {
        DbfTable table =
            DbfTable::Open(PathFromUtf8(arguments[0]), TableAccess::Shared, TableReading::Lenient);
        const std::vector<std::string> fields = table.FieldNames();
        std::string out;
        AppendCsvRecord(out, fields);
        std::vector<std::string> values(fields.size());
        for (std::size_t row = 0; row < table.RecordCount(); ++row) {
            for (std::size_t i = 0; i < fields.size(); ++i) values[i] = table.Text(row, fields[i]);
            AppendCsvRecord(out, values);
            if (out.size() >= kFlushThreshold) Flush(out);
        }
        Flush(out);
        std::fflush(stdout);
        if (!table.Damage().empty()) {
            std::cerr << "velmaro-cli: " << table.Damage() << '\n';
            return kExitFailure;
        }
    } catch (const Error& error) {
        std::fflush(stdout);
        std::cerr << "velmaro-cli: " << error.what() << '\n';
        return kExitFailure;
    }
    return kExitDone;
}

}  // namespace velmaro::cli
