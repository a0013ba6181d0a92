#include "worktables/DbfHeader.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "base/Error.h"
#include "base/Utf8Path.h"
#include "worktables/DateStamp.h"
#include "worktables/DbfFormat.h"

namespace velmaro::dbf {

bool IsFoxProVersion(unsigned char version) {
    switch (version) {
        case 0x30:  // Visual FoxPro
        case 0x31:  // Visual FoxPro with an autoincrement field
        case 0x32:  // Visual FoxPro with varchar or varbinary fields
        case 0xF5:  // FoxPro 2.x with memo
        case 0xFB:  // FoxBASE
            return true;
        default:
            return false;
    }
}

bool IsKnownVersion(unsigned char version) {
    switch (version) {
        case 0x03:  // dBase III/IV/5 without memo (also FoxPro and Clipper without memo)
        case 0x04:  // dBase 7 without memo
        case 0x43:  // dBase IV SQL table
        case 0x63:  // dBase IV SQL system table
        case 0x83:  // dBase III with memo
        case 0x8B:  // dBase IV with memo
        case 0x8C:  // dBase 7 with memo
        case 0xCB:  // dBase IV SQL table with memo
        case 0xE5:  // Clipper SIX driver with memo
            return true;
        default:
            return IsFoxProVersion(version);
    }
}

namespace {

// Width, decimals and type letter of a layout field as the engine stores it.
DbfField StoredField(const FieldLayout& layout) {
    DbfField field;
    field.name = layout.name;
    switch (layout.kind) {
        case FieldKind::Character:
            field.type = kTypeCharacter;
            field.width = layout.width;
            break;
        case FieldKind::Integer:
            field.type = kTypeNumeric;
            field.width = kIntegerWidth;
            break;
        case FieldKind::Float:
            field.type = kTypeNumeric;
            field.width = kFloatWidth;
            field.decimals = kFloatDecimals;
            break;
        case FieldKind::Logical:
            field.type = kTypeLogical;
            field.width = 1;
            break;
    }
    return field;
}

void CheckStoredField(const DbfField& field, std::size_t nameLimit, const std::string& tableName) {
    if (field.name.empty() || field.name.size() > nameLimit) {
        throw Error("No se puede crear la tabla '" + tableName + "': el nombre de campo '" +
                    field.name + "' no cabe en " + std::to_string(nameLimit) + " caracteres");
    }
    if (field.width < 1 || field.width > kMaxCharacterWidth) {
        throw Error("No se puede crear la tabla '" + tableName + "': el campo '" + field.name +
                    "' tiene una longitud no válida (" + std::to_string(field.width) + ")");
    }
}

[[noreturn]] void NotATable(const std::filesystem::path& path, const std::string& reason) {
    throw Error("'" + Utf8FromPath(path) + "' no es una tabla dBase válida: " + reason);
}

// The text of a NUL-padded name area, without padding blanks.
std::string NameFromArea(const unsigned char* area, std::size_t length) {
    std::size_t end = 0;
    while (end < length && area[end] != 0) ++end;
    while (end > 0 && area[end - 1] == ' ') --end;
    return std::string(reinterpret_cast<const char*>(area), end);
}

}  // namespace

DbfHeader BuildHeader(const TableLayout& layout, DbfLevel level, const std::string& tableName) {
    const bool dBase7 = level == DbfLevel::DBase7;
    const std::size_t mainLength = dBase7 ? kDBase7MainHeaderLength : kMainHeaderLength;
    const std::size_t descriptorLength = dBase7 ? kDBase7DescriptorLength : kDescriptorLength;
    const std::size_t nameLimit = dBase7 ? kDBase7NameLength : kNameLength;

    DbfHeader header;
    header.version = dBase7 ? kVersionDBase7 : kVersionDBase3;
    std::size_t offset = 1;
    for (const FieldLayout& fieldLayout : layout.fields) {
        DbfField field = StoredField(fieldLayout);
        CheckStoredField(field, nameLimit, tableName);
        field.offset = offset;
        offset += static_cast<std::size_t>(field.width);
        header.fields.push_back(field);
    }
    if (offset > kMaxRecordLength) {
        throw Error("No se puede crear la tabla '" + tableName +
                    "': los campos suman más de 65535 bytes");
    }
    header.recordLength = offset;
    header.headerLength = mainLength + descriptorLength * header.fields.size() + 1;

    std::string& bytes = header.bytes;
    bytes.assign(header.headerLength, '\0');
    bytes[kVersionOffset] = static_cast<char>(header.version);
    PutLittle16(bytes, kHeaderLengthOffset, static_cast<std::uint16_t>(header.headerLength));
    PutLittle16(bytes, kRecordLengthOffset, static_cast<std::uint16_t>(header.recordLength));
    bytes[kProductionIndexOffset] = layout.indexTag ? 0x01 : 0x00;
    bytes[kLanguageDriverOffset] = static_cast<char>(kLanguageDriverAnsi);
    if (dBase7) bytes.replace(kDBase7DriverNameOffset, kDBase7LanguageDriverName.size(),
                              kDBase7LanguageDriverName);

    const std::size_t typeOffset = dBase7 ? kDBase7TypeOffset : kTypeOffset;
    const std::size_t widthOffset = dBase7 ? kDBase7WidthOffset : kWidthOffset;
    const std::size_t decimalsOffset = dBase7 ? kDBase7DecimalsOffset : kDecimalsOffset;
    const std::size_t indexedOffset = dBase7 ? kDBase7FieldIndexedOffset : kFieldIndexedOffset;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const DbfField& field = header.fields[i];
        const std::size_t at = mainLength + i * descriptorLength;
        bytes.replace(at, field.name.size(), field.name);
        bytes[at + typeOffset] = field.type;
        bytes[at + widthOffset] = static_cast<char>(field.width);
        bytes[at + decimalsOffset] = static_cast<char>(field.decimals);
        if (layout.indexTag && *layout.indexTag == field.name) bytes[at + indexedOffset] = 0x01;
    }
    bytes[header.headerLength - 1] = static_cast<char>(kHeaderTerminator);
    StampHeader(header, 0);
    return header;
}

DbfHeader ParseHeader(std::string_view file, const std::filesystem::path& path) {
    if (file.size() < kMainHeaderLength) NotATable(path, "el archivo es demasiado corto");
    const auto* data = reinterpret_cast<const unsigned char*>(file.data());

    DbfHeader header;
    header.version = data[kVersionOffset];
    if (!IsKnownVersion(header.version)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", header.version);
        NotATable(path, std::string("versión ") + hex + " desconocida");
    }
    header.declaredRecordCount = ReadLittle32(data + kRecordCountOffset);
    header.headerLength = ReadLittle16(data + kHeaderLengthOffset);
    header.recordLength = ReadLittle16(data + kRecordLengthOffset);

    const bool dBase7 = (header.version & kLevelMask) == kLevelDBase7;
    const std::size_t mainLength = dBase7 ? kDBase7MainHeaderLength : kMainHeaderLength;
    const std::size_t descriptorLength = dBase7 ? kDBase7DescriptorLength : kDescriptorLength;
    const std::size_t nameLength = dBase7 ? kDBase7NameLength : kNameLength;
    const std::size_t typeOffset = dBase7 ? kDBase7TypeOffset : kTypeOffset;
    const std::size_t widthOffset = dBase7 ? kDBase7WidthOffset : kWidthOffset;
    const std::size_t decimalsOffset = dBase7 ? kDBase7DecimalsOffset : kDecimalsOffset;

    std::size_t at = mainLength;
    std::size_t offset = 1;
    while (true) {
        if (at >= file.size()) NotATable(path, "falta el final de la lista de campos");
        if (data[at] == kHeaderTerminator) break;
        if (at + descriptorLength > file.size()) NotATable(path, "la lista de campos está cortada");
        DbfField field;
        field.name = NameFromArea(data + at, nameLength);
        field.type = static_cast<char>(data[at + typeOffset]);
        field.width = data[at + widthOffset];
        field.decimals = data[at + decimalsOffset];
        field.offset = offset;
        offset += static_cast<std::size_t>(field.width);
        header.fields.push_back(std::move(field));
        at += descriptorLength;
    }
    if (header.fields.empty()) NotATable(path, "no tiene campos");
    if (header.headerLength < at + 1) {
        NotATable(path, "la longitud de cabecera (" + std::to_string(header.headerLength) +
                            ") no llega al final de la lista de campos (" +
                            std::to_string(at + 1) + ")");
    }
    if (header.headerLength > file.size()) {
        NotATable(path, "la cabecera (" + std::to_string(header.headerLength) +
                            " bytes) es más larga que el archivo");
    }
    if (header.recordLength < offset) {
        NotATable(path, "la longitud de registro (" + std::to_string(header.recordLength) +
                            ") no corresponde a los campos (" + std::to_string(offset) + ")");
    }
    header.bytes.assign(file.substr(0, header.headerLength));
    return header;
}

namespace {

// True when `trailer` is what a writer may leave after the last record: at most the end mark
// and padding, shorter than a record (a longer trailer would hold an undeclared record).
bool IsEndPadding(std::string_view trailer, std::size_t recordLength) {
    if (trailer.size() >= recordLength) return false;
    return std::all_of(trailer.begin(), trailer.end(), [](char c) {
        return static_cast<unsigned char>(c) == kEndOfFile || c == '\0';
    });
}

std::string Count(std::size_t records) {
    return std::to_string(records) + (records == 1 ? " registro" : " registros");
}

}  // namespace

std::string SizeMismatch(const DbfHeader& header, std::string_view file) {
    const std::size_t declared = header.declaredRecordCount;
    const std::size_t dataBytes = file.size() - header.headerLength;
    const std::size_t whole = dataBytes / header.recordLength;
    const std::string promise = "la cabecera indica " + Count(declared) + " de " +
                                std::to_string(header.recordLength) + " bytes";
    if (whole < declared) {
        std::string held = "el archivo solo contiene " + std::to_string(whole) + " completos";
        const std::string_view rest =
            file.substr(header.headerLength + whole * header.recordLength);
        if (!IsEndPadding(rest, header.recordLength)) held += " y parte de otro";
        return promise + " y " + held + " (el archivo está cortado)";
    }
    const std::string_view trailer =
        file.substr(header.headerLength + declared * header.recordLength);
    if (!IsEndPadding(trailer, header.recordLength)) {
        return promise + ", pero tras ellos el archivo tiene " + std::to_string(trailer.size()) +
               " bytes más" +
               (trailer.size() >= header.recordLength
                    ? " (al menos " + Count(trailer.size() / header.recordLength) +
                          " que la cabecera no cuenta)"
                    : std::string(" que no son el final de la tabla"));
    }
    for (std::size_t record = 0; record < declared; ++record) {
        const std::size_t at = header.headerLength + record * header.recordLength;
        if (static_cast<unsigned char>(file[at]) == kEndOfFile) {
            return promise + " y la marca de fin de archivo aparece en el registro " +
                   std::to_string(record + 1) + " (faltan los registros desde ese)";
        }
    }
    return "";
}

std::size_t RecordsInFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code sizeError;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, sizeError);
    if (!in || sizeError) {
        throw Error("No se puede leer la tabla '" + Utf8FromPath(path) +
                    "': no existe o no se puede abrir");
    }
    std::string bytes(kMainHeaderLength, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() == kMainHeaderLength) {  // then the descriptors, up to the first record
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t headerLength = ReadLittle16(data + kHeaderLengthOffset);
        if (headerLength > kMainHeaderLength) {
            bytes.resize(headerLength);
            in.read(bytes.data() + kMainHeaderLength,
                    static_cast<std::streamsize>(headerLength - kMainHeaderLength));
            bytes.resize(kMainHeaderLength + static_cast<std::size_t>(in.gcount()));
        }
    }
    const DbfHeader header = ParseHeader(bytes, path);
    const std::size_t held =
        (static_cast<std::size_t>(fileSize) - header.headerLength) / header.recordLength;
    return std::min(header.declaredRecordCount, held);
}

void StampHeader(DbfHeader& header, std::size_t recordCount) {
    PutDate(header.bytes, kUpdateDateOffset);
    PutLittle32(header.bytes, kRecordCountOffset, static_cast<std::uint32_t>(recordCount));
}

}  // namespace velmaro::dbf
