// The Spanish words for the system error numbers that the file calls of every platform report:
// the <cerrno> values, to which the Windows file layer turns the Windows codes that have one, and
// the Windows codes that have none, which it carries as their negative.

#include <cerrno>
#include <string>

#include "base/FileSystem.h"

namespace velmaro::files {

namespace {

struct ReasonOf {
    int error;
    const char* reason;
};

// Some values are the same number on one platform (EAGAIN and EWOULDBLOCK on Linux) and two
// on another; a table, unlike a switch, takes both. Values that a platform lacks are left out
// there.
constexpr ReasonOf kReasons[] = {
    {EACCES, "no hay permiso"},
    {EPERM, "no hay permiso"},
    {EROFS, "el disco es de solo lectura"},
    {ENOSPC, "no queda espacio en el disco"},
#ifdef EDQUOT
    {EDQUOT, "se ha agotado el espacio en disco que se permite al usuario"},
#endif
    {EFBIG, "el archivo es demasiado grande"},
    {EOVERFLOW, "el archivo es demasiado grande"},
    {ENOENT, "no existe"},
    {ENOTDIR, "una parte de la ruta no es una carpeta"},
    {EISDIR, "es una carpeta"},
    {EEXIST, "ya existe un archivo o una carpeta con ese nombre"},
    {ENOTEMPTY, "la carpeta no está vacía"},
    {ELOOP, "es un enlace simbólico, o la ruta tiene demasiados enlaces"},
    {EMLINK, "el archivo o la carpeta tiene demasiados enlaces"},
    {ENAMETOOLONG, "el nombre del archivo o la ruta es demasiado largo"},
    {EILSEQ, "el nombre tiene caracteres que el sistema de archivos no admite"},
    {EINVAL, "el sistema de archivos no admite ese nombre o esa operación"},
    {EXDEV, "el archivo y su destino están en discos distintos"},
    {EBADF, "se abrió solo para lectura"},
    {EIO, "error de lectura o escritura en el disco"},
#ifdef EUCLEAN
    {EUCLEAN, "el sistema de archivos del disco está dañado"},
#endif
    {EBUSY, "otro programa lo tiene abierto"},
    {ETXTBSY, "es un programa que se está ejecutando"},
    {EAGAIN, "otro programa lo tiene bloqueado"},
    {EWOULDBLOCK, "otro programa lo tiene bloqueado"},
    {EDEADLK, "esperar al bloqueo de otro programa dejaría a los dos esperando"},
    {ENOLCK, "el sistema no admite más bloqueos de archivos"},
    {EMFILE, "el programa tiene abiertos demasiados archivos"},
    {ENFILE, "el sistema tiene abiertos demasiados archivos"},
    {ENOMEM, "no queda memoria"},
    {EINTR, "la operación se interrumpió"},
    {ECANCELED, "la operación se canceló"},
    {ENOTSUP, "el sistema de archivos no admite esta operación"},
    {EOPNOTSUPP, "el sistema de archivos no admite esta operación"},
    {ENOSYS, "el sistema no admite esta operación"},
    {ESPIPE, "no es un archivo, sino una tubería o un dispositivo"},
    {ENXIO, "la unidad o el dispositivo no está disponible"},
    {ENODEV, "la unidad o el dispositivo no está disponible"},
#ifdef ENOMEDIUM
    {ENOMEDIUM, "no hay ningún disco en la unidad"},
#endif
    {ETIMEDOUT, "el disco o la red no ha respondido a tiempo"},
#ifdef ESTALE
    {ESTALE, "el archivo de la red ya no está disponible"},
#endif
#ifdef EHOSTDOWN
    {EHOSTDOWN, "no se puede acceder a la red"},
#endif
    {ENETDOWN, "no se puede acceder a la red"},
    {ENETUNREACH, "no se puede acceder a la red"},
    {EHOSTUNREACH, "no se puede acceder a la red"},
    {ENOTCONN, "se ha perdido la conexión con la red"},
    {ECONNRESET, "se ha perdido la conexión con la red"},
    {ECONNABORTED, "se ha perdido la conexión con la red"},
};

}  // namespace

std::string SystemReason(int error) {
    for (const ReasonOf& known : kReasons) {
        if (known.error == error) return known.reason;
    }
    // A negative number carries a Windows code: the number shown is the one Windows gives.
    const long long number = error < 0 ? -static_cast<long long>(error) : error;
    return "error del sistema número " + std::to_string(number);
}

}  // namespace velmaro::files
