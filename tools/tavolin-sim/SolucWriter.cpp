#include "SolucWriter.h"

#include <cstdint>
#include <ctime>
#include <fstream>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "base/RegionalTimestamp.h"
#include "base/Utf8Path.h"
#include "text/Windows1252.h"
#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro::sim {
namespace {

constexpr int kCodeWidth = 10;  // PROF, ASIG, CODGRUPO, TAREA, AULA

// The fields of SOLUC.DBF in their order; DIA and HORA are the numeric ones.
struct SolucField {
    std::string_view name;
    bool isNumber;
    int width;  // character fields
};
constexpr SolucField kFields[] = {
    {layouts::soluc::PROF, false, kCodeWidth},
    {layouts::soluc::DIA, true, 0},
    {layouts::soluc::HORA, true, 0},
    {layouts::soluc::MARCO, false, 1},
    {layouts::soluc::ASIG, false, kCodeWidth},
    {layouts::soluc::CODGRUPO, false, kCodeWidth},
    {layouts::soluc::TAREA, false, kCodeWidth},
    {layouts::soluc::AULA, false, kCodeWidth},
};

std::string TextOf(const SolucRow& row, std::string_view field) {
    if (field == layouts::soluc::PROF) return row.prof;
    if (field == layouts::soluc::MARCO) return row.marco;
    if (field == layouts::soluc::ASIG) return row.asig;
    if (field == layouts::soluc::CODGRUPO) return row.codGrupo;
    if (field == layouts::soluc::TAREA) return row.tarea;
    return row.aula;
}

int NumberOf(const SolucRow& row, std::string_view field) {
    return field == layouts::soluc::DIA ? row.dia : row.hora;
}

void WriteWithEngine(const std::filesystem::path& path, const std::vector<SolucRow>& rows) {
    TableLayout layout{Utf8FromPath(path.filename()), {}, std::nullopt};
    for (const SolucField& field : kFields) {
        layout.fields.push_back(field.isNumber
                                    ? FieldLayout{std::string(field.name), FieldKind::Integer, 0}
                                    : FieldLayout{std::string(field.name), FieldKind::Character, field.width});
    }
    DbfTable table = DbfTable::Create(path, layout);
    for (const SolucRow& row : rows) {
        const std::size_t position = table.Append();
        for (const SolucField& field : kFields) {
            if (field.isNumber) {
                table.SetInteger(position, field.name, NumberOf(row, field.name));
            } else {
                table.SetText(position, field.name, TextOf(row, field.name));
            }
        }
    }
    table.Close();
}

// Visual FoxPro table layout: a 32-byte header, 32-byte field descriptors, the terminator 0x0D
// and a 263-byte backlink area (the database container's path, empty here), then the records
// (a deletion flag and the fields), then the end-of-file mark 0x1A.
constexpr std::uint8_t kVisualFoxProVersion = 0x30;
constexpr std::uint8_t kCodePageWindows1252 = 0x03;  // code page mark at offset 29
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kBacklinkSize = 263;
constexpr std::size_t kIntegerWidth = 4;  // 'I': 32-bit little-endian two's complement
constexpr char kHeaderTerminator = 0x0D;
constexpr char kEndOfFile = 0x1A;
constexpr char kLiveRecord = ' ';
constexpr char kDeletedRecord = '*';

void PutLittleEndian(std::string& bytes, std::size_t offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::size_t FieldWidth(const SolucField& field) {
    return field.isNumber ? kIntegerWidth : static_cast<std::size_t>(field.width);
}

std::string FoxProHeader(std::size_t recordCount, std::size_t recordLength) {
    constexpr std::size_t fieldCount = std::size(kFields);
    const std::size_t headerLength = kHeaderSize + fieldCount * kDescriptorSize + 1 + kBacklinkSize;
    std::string header(headerLength, '\0');
    const std::time_t now = std::time(nullptr);
    const std::tm today = LocalTime(now);
    header[0] = static_cast<char>(kVisualFoxProVersion);
    header[1] = static_cast<char>(today.tm_year);  // years since 1900
    header[2] = static_cast<char>(today.tm_mon + 1);
    header[3] = static_cast<char>(today.tm_mday);
    PutLittleEndian(header, 4, static_cast<std::uint32_t>(recordCount), 4);
    PutLittleEndian(header, 8, static_cast<std::uint32_t>(headerLength), 2);
    PutLittleEndian(header, 10, static_cast<std::uint32_t>(recordLength), 2);
    header[29] = static_cast<char>(kCodePageWindows1252);

    std::size_t displacement = 1;  // after the deletion flag
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const SolucField& field = kFields[i];
        const std::size_t at = kHeaderSize + i * kDescriptorSize;
        const std::string_view name = field.name;  // at most 10 characters, NUL padded to 11
        header.replace(at, name.size(), name);
        header[at + 11] = field.isNumber ? 'I' : 'C';
        PutLittleEndian(header, at + 12, static_cast<std::uint32_t>(displacement), 4);
        header[at + 16] = static_cast<char>(FieldWidth(field));
        displacement += FieldWidth(field);
    }
    header[kHeaderSize + fieldCount * kDescriptorSize] = kHeaderTerminator;
    return header;
}

std::string FoxProRecord(const SolucRow& row, char flag) {
    std::string record(1, flag);
    for (const SolucField& field : kFields) {
        if (field.isNumber) {
            std::string number(kIntegerWidth, '\0');
            PutLittleEndian(number, 0, static_cast<std::uint32_t>(NumberOf(row, field.name)),
                            kIntegerWidth);
            record += number;
        } else {
            std::string text = EncodeWindows1252(TextOf(row, field.name));
            text.resize(static_cast<std::size_t>(field.width), ' ');
            record += text;
        }
    }
    return record;
}

// A row that a timetable program deleted but did not pack away: it names the first row's
// teacher, so a reader that did not pass over it would give that teacher one more lesson.
SolucRow DeletedRow(const std::vector<SolucRow>& rows) {
    SolucRow row = rows.front();
    row.dia = 1;
    row.hora = 1;
    row.asig = "BORRADA";
    return row;
}

void WriteFoxPro(const std::filesystem::path& path, const std::vector<SolucRow>& rows) {
    std::size_t recordLength = 1;
    for (const SolucField& field : kFields) recordLength += FieldWidth(field);
    const bool withDeleted = !rows.empty();
    std::string bytes = FoxProHeader(rows.size() + (withDeleted ? 1 : 0), recordLength);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (withDeleted && i == rows.size() / 2)
            bytes += FoxProRecord(DeletedRow(rows), kDeletedRecord);
        bytes += FoxProRecord(rows[i], kLiveRecord);
    }
    bytes += kEndOfFile;

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw Error("No se puede escribir la tabla '" + Utf8FromPath(path) + "'");
}

}  // namespace

void WriteSoluc(const std::filesystem::path& path, const std::vector<SolucRow>& rows,
                SolucFormat format) {
    if (format == SolucFormat::DBase) {
        WriteWithEngine(path, rows);
    } else {
        WriteFoxPro(path, rows);
    }
}

}  // namespace velmaro::sim
