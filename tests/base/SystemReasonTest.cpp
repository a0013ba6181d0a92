// The Spanish reason of every system error that the file calls can report: the <cerrno> values,
// the Windows codes (as the Windows file layer carries them), and the number of one that the
// program does not know. The errors also come from real file calls, as the messages get them.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "base/FileSystem.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using files::SystemReason;
using testing::ScratchFolder;

constexpr const char* kUnknown = "error del sistema número ";

struct ReasonCase {
    const char* name;
    int error;
    std::string reason;
};

void PrintTo(const ReasonCase& c, std::ostream* os) { *os << c.name; }

class ReasonOfErrorNumber : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(ReasonOfErrorNumber, IsSpanish) {
    EXPECT_EQ(SystemReason(GetParam().error), GetParam().reason);
}

const ReasonCase kErrorNumberCases[] = {
    {"NameTooLong", ENAMETOOLONG, "el nombre del archivo o la ruta es demasiado largo"},
    {"Loop", ELOOP, "es un enlace simbólico, o la ruta tiene demasiados enlaces"},
    {"TooManyOpenFiles", EMFILE, "el programa tiene abiertos demasiados archivos"},
    {"OtherDisk", EXDEV, "el archivo y su destino están en discos distintos"},
    {"RunningProgram", ETXTBSY, "es un programa que se está ejecutando"},
    {"FileTooLarge", EFBIG, "el archivo es demasiado grande"},
    {"NotAFolder", ENOTDIR, "una parte de la ruta no es una carpeta"},
    {"NotEmpty", ENOTEMPTY, "la carpeta no está vacía"},
    {"Busy", EBUSY, "otro programa lo tiene abierto"},
    {"DiskFull", ENOSPC, "no queda espacio en el disco"},
    {"Permission", EACCES, "no hay permiso"},
    {"InvalidName", EINVAL, "el sistema de archivos no admite ese nombre o esa operación"},
#ifdef EDQUOT
    {"Quota", EDQUOT, "se ha agotado el espacio en disco que se permite al usuario"},
#endif
#ifdef ESTALE
    {"StaleNetworkFile", ESTALE, "el archivo de la red ya no está disponible"},
#endif
    {"Unknown", 4000, std::string(kUnknown) + "4000"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReasonOfErrorNumber, ::testing::ValuesIn(kErrorNumberCases),
                         [](const auto& info) { return std::string(info.param.name); });

// No error number falls back to the C library's words (English): each has its Spanish reason
// or says its number.
TEST(SystemReason, NoErrorNumberIsWordedInEnglish) {
    for (int error = 1; error < 200; ++error) {
        const std::string reason = SystemReason(error);
        EXPECT_EQ(reason.find(std::strerror(error)), std::string::npos) << error << ": " << reason;
        if (reason.starts_with(kUnknown)) {
            EXPECT_EQ(reason, kUnknown + std::to_string(error));
        }
    }
}

#ifdef _WIN32
class ReasonOfWindowsCode : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(ReasonOfWindowsCode, IsSpanish) {
    const auto code = static_cast<unsigned long>(GetParam().error);
    EXPECT_EQ(SystemReason(files::ErrorNumberOfWindowsCode(code)), GetParam().reason);
}

// A code without a <cerrno> equivalent keeps its own number, never taken for another error.
const ReasonCase kWindowsCodeCases[] = {
    {"FileNameTooLong", ERROR_FILENAME_EXCED_RANGE,
     "el nombre del archivo o la ruta es demasiado largo"},
    {"InvalidName", ERROR_INVALID_NAME,
     "el sistema de archivos no admite ese nombre o esa operación"},
    {"SharingViolation", ERROR_SHARING_VIOLATION, "otro programa lo tiene abierto"},
    {"NotSameDevice", ERROR_NOT_SAME_DEVICE, "el archivo y su destino están en discos distintos"},
    {"TooManyOpenFiles", ERROR_TOO_MANY_OPEN_FILES,
     "el programa tiene abiertos demasiados archivos"},
    {"DiskFull", ERROR_DISK_FULL, "no queda espacio en el disco"},
    {"DriveNotReady", ERROR_NOT_READY, "la unidad o el dispositivo no está disponible"},
    {"NetworkNameDeleted", ERROR_NETNAME_DELETED, "se ha perdido la conexión con la red"},
    {"UnknownKeepsItsNumber", ERROR_EA_LIST_INCONSISTENT, std::string(kUnknown) + "255"},
    {"NoCodeIsAnInputOutputError", ERROR_SUCCESS, "error de lectura o escritura en el disco"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReasonOfWindowsCode, ::testing::ValuesIn(kWindowsCodeCases),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

// The error number of a real file call in `folder`, and the reason its message gives.
struct FileCallCase {
    const char* name;
    std::function<int(const ScratchFolder& folder)> call;
    std::string reason;
};

void PrintTo(const FileCallCase& c, std::ostream* os) { *os << c.name; }

class ReasonOfFileCall : public ::testing::TestWithParam<FileCallCase> {};

TEST_P(ReasonOfFileCall, IsSpanish) {
    ScratchFolder folder;
    EXPECT_EQ(SystemReason(GetParam().call(folder)), GetParam().reason);
}

const FileCallCase kFileCallCases[] = {
    {"MissingFile",
     [](const ScratchFolder& folder) { return files::RemoveFile(folder / "NO-ESTA.DBF"); },
     "no existe"},
    {"FolderNotEmpty",
     [](const ScratchFolder& folder) {
         folder.File("TTEMP/PROFT.DBF", "");
         return files::RemoveFolder(folder / "TTEMP");
     },
     "la carpeta no está vacía"},
#ifndef _WIN32
    {"NameTooLong",
     [](const ScratchFolder& folder) {
         return files::RemoveFile(folder / (std::string(300, 'N') + ".DBF"));
     },
     "el nombre del archivo o la ruta es demasiado largo"},
    {"FileInThePath",
     [](const ScratchFolder& folder) {
         return files::MakeFolder(folder.File("PROFT.DBF", "") / "copias");
     },
     "una parte de la ruta no es una carpeta"},
    {"LinkInPlaceOfTheLockFile",
     [](const ScratchFolder& folder) {
         fs::create_symlink(folder.File("otro", ""), folder / "velmaro-bloqueo");
         return files::OpenLockFile(folder / "velmaro-bloqueo").error;
     },
     "es un enlace simbólico, o la ruta tiene demasiados enlaces"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Cases, ReasonOfFileCall, ::testing::ValuesIn(kFileCallCases),
                         [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
// Renaming from a folder in memory to the temporary folder crosses file systems where they are
// two (a container's /tmp usually is not a tmpfs).
TEST(SystemReason, RenameToAnotherDiskSaysSo) {
    ScratchFolder memory(testing::MemoryBackedTemporaryFolder());
    ScratchFolder disk;
    struct stat one {
    }, other{};
    ASSERT_EQ(::stat(memory.Path().c_str(), &one), 0);
    ASSERT_EQ(::stat(disk.Path().c_str(), &other), 0);
    if (one.st_dev == other.st_dev) GTEST_SKIP() << "one file system only";
    EXPECT_EQ(SystemReason(files::RenameFile(memory.File("PROFT.DBF", ""), disk / "PROFT.DBF")),
              "el archivo y su destino están en discos distintos");
}
#endif

}  // namespace
}  // namespace velmaro
