// velmaro-nivellari-gen: writes the reference table NIVELLARI.DBF (dBase 7) from its CSV source.
//
//   velmaro-nivellari-gen SOURCE.csv TARGET.DBF
//
// The CSV has a header row naming the columns X_OFERTAMATRIG, NIVEL_ABREV, ESTUDIO and CURSO
// (any order), UTF-8, RFC 4180 quoting. Every data row becomes one row of the table.

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "text/IntegerText.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"

namespace {

using Record = std::vector<std::string>;

// The records of RFC 4180 text: fields split at commas, quoted fields with doubled quotes,
// records ended by CRLF or LF. A blank last line is not a record.
std::vector<Record> ParseCsv(const std::string& text) {
    std::vector<Record> records;
    Record record;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && field.empty()) {
            quoted = true;
            fieldStarted = true;
        } else if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
            fieldStarted = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (fieldStarted || !field.empty() || !record.empty()) {
                record.push_back(std::move(field));
                records.push_back(std::move(record));
            }
            record.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
        }
    }
    if (quoted) throw velmaro::Error("comillas sin cerrar al final del archivo");
    if (fieldStarted || !field.empty() || !record.empty()) {
        record.push_back(std::move(field));
        records.push_back(std::move(record));
    }
    return records;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw velmaro::Error("No se puede leer '" + path + "'");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Generate(const std::string& source, const std::string& target) {
    const std::vector<Record> records = ParseCsv(ReadFile(source));
    if (records.empty()) throw velmaro::Error("'" + source + "' no tiene fila de cabecera");
    const Record& columns = records.front();
    const velmaro::TableLayout& layout = velmaro::layouts::NIVELLARI;
    for (const velmaro::FieldLayout& field : layout.fields) {
        if (std::find(columns.begin(), columns.end(), field.name) == columns.end()) {
            throw velmaro::Error("'" + source + "' no tiene la columna " + field.name);
        }
    }
    velmaro::DbfTable table =
        velmaro::DbfTable::Create(target, layout, velmaro::DbfLevel::DBase7);
    for (std::size_t line = 1; line < records.size(); ++line) {
        const Record& record = records[line];
        if (record.size() != columns.size()) {
            throw velmaro::Error("'" + source + "', fila " + std::to_string(line + 1) + ": tiene " +
                                 std::to_string(record.size()) + " columnas, no " +
                                 std::to_string(columns.size()));
        }
        const std::size_t row = table.Append();
        for (std::size_t column = 0; column < columns.size(); ++column) {
            if (columns[column] == "X_OFERTAMATRIG") {
                table.SetInteger(row, columns[column], velmaro::ParseInteger(record[column]));
            } else if (table.HasField(columns[column])) {
                table.SetText(row, columns[column], record[column]);
            }
        }
    }
    table.Close();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Uso: velmaro-nivellari-gen ORIGEN.csv DESTINO.DBF\n";
        return 2;
    }
    try {
        Generate(argv[1], argv[2]);
    } catch (const velmaro::Error& error) {
        std::cerr << "velmaro-nivellari-gen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
