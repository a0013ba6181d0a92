#include "worktables/DbfTable.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <unordered_map>

#include "base/Error.h"
#include "base/Utf8Path.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"
#include "worktables/DbfFieldValue.h"
#include "worktables/DbfFormat.h"
#include "worktables/DbfHeader.h"
#include "worktables/DbfValueParsing.h"
#include "worktables/FilterExpression.h"
#include "worktables/RecordBlocks.h"
#include "worktables/RowKeyIndex.h"
#include "worktables/TableFile.h"
#include "worktables/WholeTableFile.h"

namespace velmaro {

using dbf::BinaryOrder;
using dbf::DbfField;

namespace {

// Field names compare without regard to the case of the letters a-z; these let the name map be
// searched with any spelling of a name without building an upper-case copy first.
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

struct FieldNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
        std::size_t hash = 14695981039346656037ull;  // FNV-1a
        for (char c : name) hash = (hash ^ static_cast<unsigned char>(UpperAscii(c))) * 1099511628211ull;
        return hash;
    }
};

struct FieldNameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
    }
};

}  // namespace

// Final: it gives the indexes their keys through an interface, and is never deleted through it.
struct DbfTable::Impl final : dbf::RowKeySource {
    std::filesystem::path path;
    dbf::DbfHeader header;
    BinaryOrder order = BinaryOrder::LittleEndian;
    std::unordered_map<std::string, std::size_t, FieldNameHash, FieldNameEqual>
        fieldByName;           // name (any letter case) -> field
    std::string fieldBytes;    // scratch: the bytes of the field being set
    std::string searchKey;     // scratch: the key being looked up
    std::vector<std::size_t> searchFields;  // scratch: the fields being looked up
    std::string blankRecord;  // a live record with every field unset
    std::string copiedRecord;  // the record AppendCopyOf copies, reused from call to call
    dbf::RecordBlocks records;  // the live rows, header.recordLength bytes each
    dbf::TableFile file;
    bool isOpen = true;
    bool dirty = false;
    std::string damage;
    dbf::RowKeyIndexes indexes;
    StoredTextWatcher* textWatcher = nullptr;  // told when a text is not stored as given

    // A table whose live rows are `liveRecords` (whole records, as read from the file).
    Impl(std::filesystem::path tablePath, dbf::DbfHeader tableHeader, dbf::TableFile tableFile,
         std::string liveRecords = {});

    std::string TableName() const { return Utf8FromPath(path); }
    std::size_t FieldIndex(std::string_view name) const;
    const DbfField& Field(std::size_t index) const { return header.fields[index]; }
    std::string_view Raw(std::size_t row, std::size_t field) const;
    void CheckRow(std::size_t row) const;
    void CheckWritable() const;
    void Store(std::size_t row, std::size_t field, std::string_view bytes);
    // Has write(at) change the bytes of `field` in `row` (`at` points to them), keeping the
    // indexes in step.
    template <typename Writer>
    void StoreWith(std::size_t row, std::size_t field, Writer write);
    // Appends to `key` the key of `row` over `fields`, as the indexes compare rows.
    void AppendRowKey(const std::vector<std::size_t>& fields, std::size_t row,
                      std::string& key) const override;
    // True when the key of `row` over `fields` is `key`, comparing field by field.
    bool RowHasKey(const std::vector<std::size_t>& fields, std::size_t row,
                   std::string_view key) const override;
    // Puts the key of the values in searchKey and gives the index over their fields, caught up
    // with every row. `fieldValues` holds pairs of a field (as indexOf takes it) and a value.
    template <typename FieldValues, typename IndexOf>
    const dbf::RowKeyIndex& IndexFor(const FieldValues& fieldValues, IndexOf indexOf);
    // The first row whose fields equal the values (as IndexFor takes them); nothing when none
    // does.
    template <typename FieldValues, typename IndexOf>
    std::optional<std::size_t> FirstMatch(const FieldValues& fieldValues, IndexOf indexOf);
    [[noreturn]] void CannotStore(std::size_t field, std::string_view value) const;
    void Write();
};

namespace {

// Binary fields (integers, doubles, timestamps) are blank when all their bytes are zero; every
// field stored as text is blank when it is all spaces.
char BlankByte(const DbfField& field) {
    switch (field.type) {
        case dbf::kTypeCharacter:
        case dbf::kTypeVarchar:
        case dbf::kTypeNumeric:
        case dbf::kTypeFloat:
        case dbf::kTypeLogical:
        case dbf::kTypeDate:
            return ' ';
        default:
            return field.width == 10 ? ' ' : '\0';  // dBase memo references are 10 digits
    }
}

std::string BlankRecordOf(const dbf::DbfHeader& header) {
    std::string record(header.recordLength, ' ');
    for (const DbfField& field : header.fields) {
        std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(field.offset), field.width,
                    BlankByte(field));
    }
    return record;
}

BinaryOrder OrderOf(unsigned char version) {
    return (version & dbf::kLevelMask) == dbf::kLevelDBase7 ? BinaryOrder::DBase7
                                                             : BinaryOrder::LittleEndian;
}

bool IsBlankText(std::string_view text) { return TrimBlanks(text).empty(); }

// Records the header promises but the file does not hold, or a record cut off at the end.
std::string DamageOf(const dbf::DbfHeader& header, std::string_view bytes, std::size_t present,
                     const std::filesystem::path& path) {
    const std::string table = "La tabla '" + Utf8FromPath(path) + "' está incompleta: ";
    const std::size_t dataBytes = bytes.size() - header.headerLength;
    const std::size_t leftover = dataBytes - present * header.recordLength;
    const bool onlyEndMark =
        leftover == 0 || static_cast<unsigned char>(bytes[header.headerLength +
                                                          present * header.recordLength]) ==
                             dbf::kEndOfFile;
    if (header.declaredRecordCount > present) {
        return table + "la cabecera indica " + std::to_string(header.declaredRecordCount) +
               " registros y el archivo tiene " + std::to_string(present);
    }
    if (!onlyEndMark) return table + "el último registro está cortado";
    return "";
}

}  // namespace

DbfTable::Impl::Impl(std::filesystem::path tablePath, dbf::DbfHeader tableHeader,
                     dbf::TableFile tableFile, std::string liveRecords)
    : path(std::move(tablePath)),
      header(std::move(tableHeader)),
      order(OrderOf(header.version)),
      blankRecord(BlankRecordOf(header)),
      records(header.recordLength, std::move(liveRecords)),
      file(std::move(tableFile)) {
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        fieldByName.emplace(header.fields[i].name, i);
    }
}

std::size_t DbfTable::Impl::FieldIndex(std::string_view name) const {
    const auto found = fieldByName.find(name);
    if (found == fieldByName.end()) {
        throw Error("La tabla '" + TableName() + "' no tiene el campo '" + std::string(name) + "'");
    }
    return found->second;
}

std::string_view DbfTable::Impl::Raw(std::size_t row, std::size_t field) const {
    const DbfField& f = header.fields[field];
    return records.Record(row).substr(f.offset, static_cast<std::size_t>(f.width));
}

void DbfTable::Impl::CheckRow(std::size_t row) const {
    if (row >= records.Count()) {
        throw Error("La tabla '" + TableName() + "' no tiene la fila " + std::to_string(row + 1));
    }
}

void DbfTable::Impl::CheckWritable() const {
    if (!isOpen) throw Error("La tabla '" + TableName() + "' está cerrada");
}

void DbfTable::Impl::Store(std::size_t row, std::size_t field, std::string_view bytes) {
    StoreWith(row, field, [&](char* at) { std::copy(bytes.begin(), bytes.end(), at); });
}

template <typename Writer>
void DbfTable::Impl::StoreWith(std::size_t row, std::size_t field, Writer write) {
    CheckWritable();
    CheckRow(row);
    char* at = records.MutableRecord(row) + header.fields[field].offset;
    indexes.Update(
        row, field, [&] { write(at); }, *this);
    dirty = true;
}

void DbfTable::Impl::AppendRowKey(const std::vector<std::size_t>& fields, std::size_t row,
                                  std::string& key) const {
    for (std::size_t field : fields) {
        dbf::AppendKeyPart(key, [&](std::string& out) {
            dbf::AppendStoredKey(Field(field), Raw(row, field), order, out);
        });
    }
}

bool DbfTable::Impl::RowHasKey(const std::vector<std::size_t>& fields, std::size_t row,
                               std::string_view key) const {
    const std::string_view record = records.Record(row);
    std::string_view part;
    for (std::size_t field : fields) {
        const DbfField& f = Field(field);
        if (!dbf::TakeKeyPart(key, part) ||
            !dbf::StoredKeyEquals(f, record.substr(f.offset, static_cast<std::size_t>(f.width)),
                                  order, part)) {
            return false;
        }
    }
    return key.empty();
}

template <typename FieldValues, typename IndexOf>
const dbf::RowKeyIndex& DbfTable::Impl::IndexFor(const FieldValues& fieldValues, IndexOf indexOf) {
    searchFields.clear();
    searchKey.clear();
    for (const auto& fieldValue : fieldValues) {
        const std::size_t field = indexOf(fieldValue.first);
        searchFields.push_back(field);
        dbf::AppendKeyPart(searchKey, [&](std::string& out) {
            dbf::AppendSearchKey(Field(field), fieldValue.second, order, out);
        });
    }
    dbf::RowKeyIndex& index = indexes.For(searchFields);
    index.CatchUp(records.Count(), *this);
    return index;
}

template <typename FieldValues, typename IndexOf>
std::optional<std::size_t> DbfTable::Impl::FirstMatch(const FieldValues& fieldValues,
                                                      IndexOf indexOf) {
    return IndexFor(fieldValues, indexOf).FirstRow(searchKey, *this);
}

void DbfTable::Impl::CannotStore(std::size_t field, std::string_view value) const {
    throw Error("No se puede guardar '" + std::string(value) + "' en el campo '" +
                Field(field).name + "' de la tabla '" + TableName() + "'");
}

void DbfTable::Impl::Write() {
    dbf::StampHeader(header, records.Count());
    const char endOfFile = static_cast<char>(dbf::kEndOfFile);
    std::vector<std::string_view> parts{header.bytes};
    for (std::string_view block : records.Parts()) parts.push_back(block);
    parts.emplace_back(&endOfFile, 1);
    file.WriteAll(parts);
    dirty = false;
}

DbfTable::DbfTable(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
DbfTable::DbfTable(DbfTable&&) noexcept = default;

DbfTable& DbfTable::operator=(DbfTable&& other) noexcept {
    if (this != &other) {
        try {
            Close();
        } catch (...) {  // the same as destruction: errors of an implicit close are dropped
        }
        impl_ = std::move(other.impl_);
    }
    return *this;
}

DbfTable::~DbfTable() {
    try {
        Close();
    } catch (...) {  // a destructor must not throw; Close() reports the error to callers
    }
}

DbfTable DbfTable::Create(const std::filesystem::path& path, const TableLayout& layout,
                          DbfLevel level) {
    dbf::DbfHeader header = dbf::BuildHeader(layout, level, Utf8FromPath(path.filename()));
    dbf::TableFile file = dbf::TableFile::Create(path);
    auto impl = std::make_unique<Impl>(path, std::move(header), std::move(file));
    impl->Write();  // the empty table is on disk from now on
    return DbfTable(std::move(impl));
}

DbfTable DbfTable::Open(const std::filesystem::path& path, TableAccess access,
                        TableReading reading) {
    dbf::TableFile file = dbf::TableFile::Open(path, access);
    std::string bytes = file.ReadAll();
    if (reading == TableReading::Strict) dbf::CheckWholeTableFile(bytes, path);
    dbf::DbfHeader header = dbf::ParseHeader(bytes, path);

    // The file size decides how many records there are (a header's count may lie); a record
    // cut short at the end of the file is dropped, and the end-of-file mark ends the data.
    // The live records are moved to the front of the file's own buffer, which then holds the
    // rows: the table is read into memory once, without a second copy.
    const std::size_t headerLength = header.headerLength;
    const std::size_t recordLength = header.recordLength;
    const std::size_t available = (bytes.size() - headerLength) / recordLength;
    std::size_t present = 0;
    std::size_t kept = 0;  // bytes of live records moved to the front so far
    for (; present < available; ++present) {
        const std::size_t at = headerLength + present * recordLength;
        if (static_cast<unsigned char>(bytes[at]) == dbf::kEndOfFile) break;
        if (bytes[at] == dbf::kDeletedRecord) continue;
        std::memmove(bytes.data() + kept, bytes.data() + at, recordLength);
        kept += recordLength;
    }
    // Only bytes before the first unread record were overwritten.
    std::string damage = DamageOf(header, bytes, present, path);
    bytes.resize(kept);
    auto impl = std::make_unique<Impl>(path, std::move(header), std::move(file), std::move(bytes));
    impl->damage = std::move(damage);
    return DbfTable(std::move(impl));
}

std::size_t DbfTable::RowsInFile(const std::filesystem::path& path) {
    return dbf::RecordsInFile(path);
}

void DbfTable::Close() {
    if (!impl_ || !impl_->isOpen) return;
    impl_->isOpen = false;
    struct Release {
        dbf::TableFile& file;
        ~Release() { file.Close(); }
    } release{impl_->file};
    if (impl_->dirty) impl_->Write();
}

const std::filesystem::path& DbfTable::Path() const { return impl_->path; }

const std::string& DbfTable::Damage() const { return impl_->damage; }

std::size_t DbfTable::RecordCount() const { return impl_->records.Count(); }

std::vector<std::string> DbfTable::FieldNames() const {
    std::vector<std::string> names;
    for (const DbfField& field : impl_->header.fields) names.push_back(field.name);
    return names;
}

bool DbfTable::HasField(std::string_view field) const {
    return impl_->fieldByName.contains(field);
}

DbfTable::FieldHandle DbfTable::Field(std::string_view field) const {
    return FieldHandle{impl_->FieldIndex(field)};
}

std::string DbfTable::Text(std::size_t row, std::string_view field) const {
    return Text(row, Field(field));
}

std::string DbfTable::Text(std::size_t row, FieldHandle field) const {
    impl_->CheckRow(row);
    return dbf::FieldText(impl_->Field(field.index), impl_->Raw(row, field.index), impl_->order);
}

int DbfTable::Integer(std::size_t row, std::string_view field) const {
    return Integer(row, Field(field));
}

int DbfTable::Integer(std::size_t row, FieldHandle field) const {
    impl_->CheckRow(row);
    try {
        return dbf::IntegerValue(impl_->Field(field.index), impl_->Raw(row, field.index),
                                 impl_->order);
    } catch (const Error& error) {
        throw Error("La tabla '" + impl_->TableName() + "', campo '" +
                    impl_->Field(field.index).name + "', fila " + std::to_string(row + 1) + ": " +
                    error.what());
    }
}

std::size_t DbfTable::Append() {
    impl_->CheckWritable();
    impl_->records.Append(impl_->blankRecord);
    impl_->dirty = true;
    return impl_->records.Count() - 1;
}

std::size_t DbfTable::AppendCopyOf(std::size_t row) {
    impl_->CheckWritable();
    impl_->CheckRow(row);
    // Copied out first: appending may grow the block that holds `row`.
    impl_->copiedRecord.assign(impl_->records.Record(row));
    impl_->records.Append(impl_->copiedRecord);
    impl_->dirty = true;
    return impl_->records.Count() - 1;
}

void DbfTable::SetText(std::size_t row, std::string_view field, std::string_view value) {
    SetText(row, Field(field), value);
}

void DbfTable::SetInteger(std::size_t row, std::string_view field, long long value) {
    SetInteger(row, Field(field), value);
}

void DbfTable::SetFloat(std::size_t row, std::string_view field, double value) {
    SetFloat(row, Field(field), value);
}

void DbfTable::SetLogical(std::size_t row, std::string_view field, bool value) {
    SetLogical(row, Field(field), value);
}

void DbfTable::SetText(std::size_t row, FieldHandle field, std::string_view value) {
    const std::size_t index = field.index;
    const DbfField& f = impl_->Field(index);
    if (dbf::IsTextType(f.type)) {
        StoredTextChange change;
        impl_->StoreWith(row, index, [&](char* at) {
            change = dbf::WriteStoredCharacters(
                value, std::span<char>(at, static_cast<std::size_t>(f.width)));
        });
        if (change.Any() && impl_->textWatcher != nullptr) {
            impl_->textWatcher->TextChanged(row, index, value, change);
        }
    } else if (f.type == dbf::kTypeNumeric || f.type == dbf::kTypeFloat) {
        if (IsBlankText(value)) {
            impl_->Store(row, index, std::string(static_cast<std::size_t>(f.width), ' '));
            return;
        }
        SetFloat(row, field, dbf::ParseFloatValue(value));
    } else if (f.type == dbf::kTypeLogical) {
        const std::optional<bool> logical = dbf::ParseLogicalValue(value);
        impl_->Store(row, index, !logical ? " " : *logical ? "T" : "F");
    } else {
        impl_->CannotStore(index, value);
    }
}

void DbfTable::SetInteger(std::size_t row, FieldHandle field, long long value) {
    const DbfField& f = impl_->Field(field.index);
    if (dbf::IsTextType(f.type)) {
        SetText(row, field, IntegerToText(value));
        return;
    }
    if (f.type != dbf::kTypeNumeric && f.type != dbf::kTypeFloat) {
        impl_->CannotStore(field.index, IntegerToText(value));
    }
    const std::optional<std::string> digits = dbf::FormattedInteger(value, f.width, f.decimals);
    if (!digits) impl_->CannotStore(field.index, IntegerToText(value));
    impl_->Store(row, field.index, *digits);
}

void DbfTable::SetFloat(std::size_t row, FieldHandle field, double value) {
    const DbfField& f = impl_->Field(field.index);
    if (dbf::IsTextType(f.type)) {
        SetText(row, field, dbf::CanonicalNumber(value));
        return;
    }
    if (f.type != dbf::kTypeNumeric && f.type != dbf::kTypeFloat) {
        impl_->CannotStore(field.index, dbf::CanonicalNumber(value));
    }
    impl_->fieldBytes.clear();
    if (!dbf::AppendFormattedNumber(value, f.width, f.decimals, impl_->fieldBytes)) {
        impl_->CannotStore(field.index, dbf::CanonicalNumber(value));
    }
    impl_->Store(row, field.index, impl_->fieldBytes);
}

void DbfTable::SetLogical(std::size_t row, FieldHandle field, bool value) {
    const DbfField& f = impl_->Field(field.index);
    if (f.type != dbf::kTypeLogical && !dbf::IsTextType(f.type)) {
        impl_->CannotStore(field.index, value ? "T" : "F");
    }
    SetText(row, field, value ? "T" : "F");
}

void DbfTable::WatchStoredText(StoredTextWatcher* watcher) { impl_->textWatcher = watcher; }

std::optional<std::size_t> DbfTable::Locate(
    std::initializer_list<std::pair<std::string_view, std::string_view>> fieldValues) {
    return impl_->FirstMatch(fieldValues,
                             [this](std::string_view name) { return impl_->FieldIndex(name); });
}

std::optional<std::size_t> DbfTable::Locate(
    std::initializer_list<std::pair<FieldHandle, std::string_view>> fieldValues) {
    return impl_->FirstMatch(fieldValues, [](FieldHandle field) { return field.index; });
}

std::vector<std::size_t> DbfTable::FilterRows(std::string_view expression) {
    const std::optional<dbf::EqualsFilter> filter = dbf::ParseEqualsFilter(expression);
    if (!filter) {
        throw Error("La tabla '" + impl_->TableName() + "' no admite el filtro '" +
                    std::string(expression) + "'");
    }
    const std::pair<std::string_view, std::string_view> fieldValue{filter->field, filter->value};
    const dbf::RowKeyIndex& index =
        impl_->IndexFor(std::span(&fieldValue, 1),
                        [this](std::string_view name) { return impl_->FieldIndex(name); });
    std::vector<std::size_t> all;
    for (auto row = index.FirstRow(impl_->searchKey, *impl_); row; row = index.NextRow(*row)) {
        all.push_back(*row);
    }
    return all;
}

}  // namespace velmaro
