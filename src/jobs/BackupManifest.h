#pragma once
// The manifest of a backup of the work tables: a small text file written last into the backup's
// folder, so that a folder holding one is a complete backup. It says in which order the backup
// was made among the others, when, and the name, size and checksum of every file it holds, so
// that a file cut short, replaced or emptied afterwards is noticed before it is put back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro {

// The manifest's file name inside a backup folder (never the name of a work table).
inline constexpr std::string_view kBackupManifestName = "velmaro-copia.txt";

struct BackedUpFile {
    std::string name;  // a plain file name, without any folder
    std::uint64_t size = 0;
    std::uint32_t checksum = 0;  // FileChecksum of its bytes
};

struct BackupManifest {
    // 1 for the first backup of a folder, one more than the newest backup for each later one:
    // orders the backups as they were made, whatever the clock said at the time.
    std::uint64_t sequence = 0;
    std::string made;  // local time it was made, "DD/MM/AAAA HH:MM:SS"
    std::vector<BackedUpFile> files;
};

// The CRC-32 (ISO-HDLC, as zip and PNG use) of `bytes`.
std::uint32_t FileChecksum(std::string_view bytes);

// The manifest as the text stored in its file.
std::string ManifestText(const BackupManifest& manifest);

// The manifest that `text` holds, or nothing when it is not one written by ManifestText (a file
// name with a folder in it, a number out of range or any other line counts as not one).
std::optional<BackupManifest> ParseManifest(std::string_view text);

}  // namespace velmaro
