#include "jobs/BackupManifest.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace velmaro {

namespace {

constexpr std::string_view kSignatureLine = "Velmaro: copia de seguridad de las tablas de trabajo";
constexpr std::string_view kSequenceKey = "orden ";
constexpr std::string_view kMadeKey = "hecha ";
constexpr std::string_view kFileKey = "archivo ";

constexpr std::uint32_t kCrcPolynomial = 0xEDB88320;  // the reflected CRC-32 polynomial

constexpr std::array<std::uint32_t, 256> CrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t byte = 0; byte < table.size(); ++byte) {
        std::uint32_t value = byte;
        for (int bit = 0; bit < 8; ++bit) value = (value >> 1) ^ ((value & 1) ? kCrcPolynomial : 0);
        table[byte] = value;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = CrcTable();

// The text of `line` after `key`, or nothing when the line does not start with it.
std::optional<std::string_view> After(std::string_view line, std::string_view key) {
    if (!line.starts_with(key)) return std::nullopt;
    return line.substr(key.size());
}

// `text` as a whole number in `base`; nothing unless every character is a digit of it.
std::optional<std::uint64_t> Number(std::string_view text, int base = 10) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// A name that stays inside the backup folder and the work-table folder: no folder part, no
// "." or "..", no control characters, and not the manifest's own name.
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name != kBackupManifestName &&
           std::none_of(name.begin(), name.end(), [](char c) {
               return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
           });
}

// "archivo SIZE CHECKSUM NAME": the file, or nothing.
std::optional<BackedUpFile> ParseFileLine(std::string_view rest) {
    const auto sizeEnd = rest.find(' ');
    if (sizeEnd == std::string_view::npos) return std::nullopt;
    const auto checksumEnd = rest.find(' ', sizeEnd + 1);
    if (checksumEnd == std::string_view::npos) return std::nullopt;
    const auto size = Number(rest.substr(0, sizeEnd));
    const std::string_view checksumText = rest.substr(sizeEnd + 1, checksumEnd - sizeEnd - 1);
    const auto checksum = Number(checksumText, 16);
    const std::string_view name = rest.substr(checksumEnd + 1);
    if (!size || checksumText.size() != 8 || !checksum || !IsPlainFileName(name)) {
        return std::nullopt;
    }
    return BackedUpFile{std::string(name), *size, static_cast<std::uint32_t>(*checksum)};
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);  // a last line without its ending: not written by us
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

std::uint32_t FileChecksum(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc = (crc >> 8) ^ kCrcTable[(crc ^ static_cast<unsigned char>(c)) & 0xFF];
    }
    return crc ^ 0xFFFFFFFF;
}

std::string ManifestText(const BackupManifest& manifest) {
    std::string text(kSignatureLine);
    text += '\n';
    text += std::string(kSequenceKey) + std::to_string(manifest.sequence) + '\n';
    text += std::string(kMadeKey) + manifest.made + '\n';
    for (const BackedUpFile& file : manifest.files) {
        char checksum[9];
        std::snprintf(checksum, sizeof checksum, "%08x", static_cast<unsigned>(file.checksum));
        text += std::string(kFileKey) + std::to_string(file.size) + ' ' + checksum + ' ' +
                file.name + '\n';
    }
    return text;
}

std::optional<BackupManifest> ParseManifest(std::string_view text) {
    if (!text.ends_with('\n')) return std::nullopt;
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.size() < 4 || lines[0] != kSignatureLine) return std::nullopt;
    const auto sequence = After(lines[1], kSequenceKey);
    const auto made = After(lines[2], kMadeKey);
    if (!sequence || !made) return std::nullopt;
    BackupManifest manifest;
    const auto number = Number(*sequence);
    if (!number) return std::nullopt;
    manifest.sequence = *number;
    manifest.made = std::string(*made);
    for (std::size_t i = 3; i < lines.size(); ++i) {
        const auto rest = After(lines[i], kFileKey);
        std::optional<BackedUpFile> file = rest ? ParseFileLine(*rest) : std::nullopt;
        if (!file) return std::nullopt;
        const bool repeated =
            std::any_of(manifest.files.begin(), manifest.files.end(),
                        [&](const BackedUpFile& f) { return f.name == file->name; });
        if (repeated) return std::nullopt;
        manifest.files.push_back(std::move(*file));
    }
    return manifest;
}

}  // namespace velmaro
