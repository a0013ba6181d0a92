#include "base/FileKind.h"

#include <system_error>

namespace velmaro::files {

std::optional<std::string> NotAFileReason(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    if (error) return std::nullopt;
    switch (type) {
        case fs::file_type::regular:
        case fs::file_type::not_found:
        case fs::file_type::none:
            return std::nullopt;
        case fs::file_type::directory:
            return "es una carpeta";
        case fs::file_type::block:
        case fs::file_type::character:
            return "es un dispositivo";
        case fs::file_type::fifo:
            return "es una tubería (FIFO)";
        case fs::file_type::socket:
            return "es un socket";
        default:
            return "es de un tipo desconocido";
    }
}

}  // namespace velmaro::files
