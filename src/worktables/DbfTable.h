#pragma once
// Our dBase engine: one table file, created or opened, its rows in memory, written back on close.
//
// Writes dBase III/IV tables (version 0x03, language driver 0x57 = Windows-1252) and, for the
// reference table only, dBase 7 tables (version 0x04, 48-byte field descriptors). Reads dBase
// III, IV, 5, 7, FoxPro and Visual FoxPro tables, strictly (the file must hold exactly the
// records its header declares) or leniently (what a lying header or a cut file still holds).
//
// Rows are addressed by their 0-based position among the live (not deleted) rows, in stored
// order. Field names are matched without regard to letter case. Character values go in and come
// out as UTF-8; they are stored in Windows-1252 ('?' for what it cannot hold) and cut to the
// field width after encoding. Text read from a character field has no trailing blanks.

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "worktables/StoredTextWatcher.h"
#include "worktables/TableLayout.h"

namespace velmaro {

enum class TableAccess {
    Shared,     // several openers may read; an exclusive holder makes the open fail
    Exclusive,  // takes an exclusive OS lock; fails when anybody else holds the table
};

// How Open treats a file whose size disagrees with its header's record count.
enum class TableReading {
    Strict,   // refused: an Error names the table and what is wrong (the jobs read so)
    Lenient,  // the whole records the file holds are the rows; Damage() tells what is missing
};

enum class DbfLevel {
    DBase3,  // version byte 0x03, 32-byte field descriptors (the work tables)
    DBase7,  // version byte 0x04, 48-byte field descriptors, names up to 32 characters
};

class DbfTable {
public:
    // Creates `path` with `layout`, replacing an existing file, and keeps it open (shared) and
    // empty. Sets the production-index flag when the layout has an index tag (the .MDX file is
    // written by the rebuild, not here). Throws Error naming the file on failure.
    static DbfTable Create(const std::filesystem::path& path, const TableLayout& layout,
                           DbfLevel level = DbfLevel::DBase3);
    // Opens an existing table of any supported level. Throws Error naming the file when it is
    // missing, not a regular file, not a dBase table, held by another program or, read
    // strictly, cut short or longer than its header says (see dbf::SizeMismatch).
    static DbfTable Open(const std::filesystem::path& path, TableAccess access,
                         TableReading reading = TableReading::Strict);
    // The number of rows of the table file at `path` without reading them: the header's count
    // (deleted rows included, which our own tables never hold), capped by what the file's size
    // can hold. Throws Error naming the file when it cannot be read or is not a table.
    static std::size_t RowsInFile(const std::filesystem::path& path);

    DbfTable(DbfTable&&) noexcept;
    DbfTable& operator=(DbfTable&&) noexcept;
    // Closes the table; errors on this path are swallowed (call Close() to see them).
    ~DbfTable();

    // Writes pending changes (rows, exact header record count, 0x1A end mark) and releases the
    // file and its lock. Safe to call twice. Throws Error naming the file when writing fails.
    void Close();

    const std::filesystem::path& Path() const;
    // For a table opened leniently from a damaged file (records missing or cut off at the end),
    // a message naming the file and the damage; the readable rows are still there. Empty
    // otherwise.
    const std::string& Damage() const;
    // Number of live rows.
    std::size_t RecordCount() const;
    // The field names in table order.
    std::vector<std::string> FieldNames() const;
    bool HasField(std::string_view field) const;

    // A field found once by its name, so that a loop over many rows sets and reads it without
    // looking the name up again. Valid for the table that gave it.
    struct FieldHandle {
        std::size_t index;  // position among the table's fields
    };
    // The handle of `field`. Throws Error naming the table and field when it does not exist.
    FieldHandle Field(std::string_view field) const;

    // The field's value as text: character fields without trailing blanks; numbers as decimal
    // text without padding ("4" for 4.0000); logicals as "T"/"F"; dates as YYYYMMDD; blank
    // fields as "". Throws Error naming the table and field when the field does not exist.
    std::string Text(std::size_t row, std::string_view field) const;
    // Text(row, name) for a field found beforehand.
    std::string Text(std::size_t row, FieldHandle field) const;
    // The field's value as a whole number: numeric fields rounded; character fields converted
    // from decimal text (a blank value is 0); otherwise Error "La tabla '<path>', campo
    // '<field>', fila <row + 1>: '<text>' is not a valid integer value".
    int Integer(std::size_t row, std::string_view field) const;
    // Integer(row, name) for a field found beforehand.
    int Integer(std::size_t row, FieldHandle field) const;

    // Appends a row with every field blank; returns its position.
    std::size_t Append();
    // Appends a copy of the existing `row` (every field as it is); returns its position.
    std::size_t AppendCopyOf(std::size_t row);
    // Set a field of an existing row (append, then set, is "append and post"; setting an older
    // row edits it in place).
    void SetText(std::size_t row, std::string_view field, std::string_view value);
    void SetInteger(std::size_t row, std::string_view field, long long value);
    void SetFloat(std::size_t row, std::string_view field, double value);
    void SetLogical(std::size_t row, std::string_view field, bool value);
    // The setters above for a field found beforehand.
    void SetText(std::size_t row, FieldHandle field, std::string_view value);
    void SetInteger(std::size_t row, FieldHandle field, long long value);
    void SetFloat(std::size_t row, FieldHandle field, double value);
    void SetLogical(std::size_t row, FieldHandle field, bool value);

    // Tells `watcher` (nothing: nobody) of every text that SetText cannot store as given: cut
    // to the field's width, or with characters Windows-1252 cannot hold. The watcher must
    // outlive the table or be replaced first.
    void WatchStoredText(StoredTextWatcher* watcher);

    // The first row in stored order whose fields equal the given values (character values
    // compared exactly, case-sensitive, trailing blanks not significant; the value is cut to the
    // field width after encoding, as it would be stored). Indexed: the first call per set of
    // fields builds a hash index, later calls cost O(1) and see appended rows.
    std::optional<std::size_t> Locate(
        std::initializer_list<std::pair<std::string_view, std::string_view>> fieldValues);
    // Locate for fields found beforehand.
    std::optional<std::size_t> Locate(
        std::initializer_list<std::pair<FieldHandle, std::string_view>> fieldValues);

    // The rows, in stored order, that satisfy a filter expression of the form
    //   FIELD= 'text'      (single quotes inside the text doubled)
    // with the same comparison as Locate, and indexed the same way. Throws Error for any other
    // expression.
    std::vector<std::size_t> FilterRows(std::string_view expression);

private:
    struct Impl;
    explicit DbfTable(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmaro
