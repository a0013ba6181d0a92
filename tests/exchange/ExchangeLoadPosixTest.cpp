// Loading the exchange document from what only POSIX systems have: devices, FIFOs, links and
// files without read permission; and libxml2, the Linux reader, left as it was found.

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <source_location>
#include <string>
#include <utility>

#include "base/Error.h"
#include "base/QuotedPath.h"
#include "exchange/ExchangeDocument.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ScratchFolder;

// The message of the Error that loading `path` throws; fails the test when none is thrown.
std::string LoadFailure(const std::filesystem::path& path,
                        std::source_location where = std::source_location::current()) {
    return ErrorMessage([&] { ExchangeDocument::Load(path); }, where);
}

// A device or a FIFO, also behind a link, is named as what it is, and never opened: a FIFO would
// wait for a writer and a device might be read without end.
TEST(ExchangeLoad, WhatIsNotAFile) {
    ScratchFolder folder;
    const auto fifo = folder.Path() / "tuberia.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto link = folder.Path() / "enlace.xml";
    std::filesystem::create_symlink("/dev/zero", link);
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {"/dev/zero", "es un dispositivo"},
        {link, "es un dispositivo"},
        {fifo, "es una tubería (FIFO)"},
    };
    for (const auto& [path, what] : cases) {
        EXPECT_EQ(LoadFailure(path), "No se puede leer el documento de intercambio " +
                                         Quoted(path) + ": no es un archivo (" + what + ")");
    }
}

TEST(ExchangeLoad, UnreadableFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permissions";
    ScratchFolder folder;
    const auto path = folder.File("cerrado.xml", "<SERVICIO/>");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_EQ(LoadFailure(path), "No se puede leer el documento de intercambio " + Quoted(path) +
                                     ": no hay permiso para leer el archivo");
}

TEST(ExchangeHostile, LeavesLibxml2HandlersAsFound) {
    const xmlExternalEntityLoader loader = xmlGetExternalEntityLoader();
    const xmlGenericErrorFunc genericError = xmlGenericError;
    ScratchFolder folder;
    ExchangeDocument::Load(folder.File("bien.xml", "<SERVICIO/>"));
    LoadFailure(folder.File("mal.xml", "<SERVICIO>"));
    EXPECT_EQ(xmlGetExternalEntityLoader(), loader);
    EXPECT_EQ(xmlGenericError, genericError);
}

}  // namespace
}  // namespace velmaro
