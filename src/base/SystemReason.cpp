// The Spanish words for the system error numbers that the file calls of every platform report.

#include <cerrno>
#include <cstring>

#include "base/FileSystem.h"

namespace velmaro::files {

std::string SystemReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "no hay permiso";
        case EROFS:
            return "el disco es de solo lectura";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "no queda espacio en el disco";
        case ENOENT:
            return "no existe";
        case EISDIR:
            return "es una carpeta";
        case EBADF:
            return "se abrió solo para lectura";
        case EIO:
            return "error de lectura o escritura en el disco";
        case EBUSY:
            return "otro programa lo está escribiendo";
        case EEXIST:
        case ENOTEMPTY:
            return "ya existe una carpeta con ese nombre";
        case ELOOP:
            return "es un enlace simbólico";
        default:
            return std::string("error del sistema (") + std::strerror(error) + ")";
    }
}

}  // namespace velmaro::files
