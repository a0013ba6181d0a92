#pragma once
// The header of a dBase table: built for a layout when we write, parsed leniently when we read,
// and checked against the size of its file when a job reads the table strictly.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"

namespace velmaro::dbf {

// One field as the file describes it.
struct DbfField {
    std::string name;      // as stored (our own layouts are upper case)
    char type = 'C';       // dBase type letter
    std::size_t offset = 0;  // position in the record, after the deletion flag
    int width = 0;
    int decimals = 0;
};

// What a table's header says, with its bytes as they stand in the file.
struct DbfHeader {
    unsigned char version = 0;
    std::vector<DbfField> fields;
    std::size_t headerLength = 0;
    std::size_t recordLength = 0;  // deletion flag included
    std::size_t declaredRecordCount = 0;  // what the header says; the file size may disagree
    std::string bytes;  // the first headerLength bytes of the file
};

// The header of a new, empty table with `layout` at `level`. Throws Error naming `tableName`
// when a field does not fit the level (name too long, width out of range, record too long).
DbfHeader BuildHeader(const TableLayout& layout, DbfLevel level, const std::string& tableName);

// The header at the start of `file`. Throws Error "'<path>' no es una tabla dBase válida: ..."
// when it is not a readable table header; never reads outside `file`.
DbfHeader ParseHeader(std::string_view file, const std::filesystem::path& path);

// What is wrong when `file` does not hold exactly the records that its header declares, as a
// text to follow the table's name ("la cabecera indica 100000 registros y ..."); empty when it
// does. After the last record the file may end, or hold the end-of-file mark 0x1A, or padding
// of 0x1A and NUL bytes shorter than a record, as dBase, FoxPro and other writers leave it.
// A declared record that begins with the end-of-file mark is missing.
std::string SizeMismatch(const DbfHeader& header, std::string_view file);

// The number of records in the table file at `path`, deleted ones included: the header's count,
// capped by what the file's size can hold. Reads only the header. Throws Error naming the file
// when it cannot be read or is not a table.
std::size_t RecordsInFile(const std::filesystem::path& path);

// Sets the record count and today's date of last update in `header.bytes`.
void StampHeader(DbfHeader& header, std::size_t recordCount);

}  // namespace velmaro::dbf
