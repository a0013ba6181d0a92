// The Tavolin.ini updater on arbitrary existing files: the result code is written, reads back,
// and every other line of the file stays as it was; a violation stops the fuzzer.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "IniInvariant.h"
#include "jobs/TavolinIni.h"
#include "support/ScratchFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto ini = velmaro::fuzz::WriteInput("Tavolin.ini", data, size);
    const int value = static_cast<int>(size % 3) - 1;  // -1, 0 or 1, the result codes
    velmaro::fuzz::ExpectOnlyError([&] {
        velmaro::WriteProfileInteger(ini, "Transformadores", "Transformado", value);
        const std::string before(reinterpret_cast<const char*>(data), size);
        if (!velmaro::fuzz::KeyWrittenAndRestKept(before, velmaro::testing::ReadBytes(ini),
                                                  "Transformadores", "Transformado",
                                                  std::to_string(value))) {
            std::fputs("Tavolin.ini: la clave no se lee o cambió otra línea\n", stderr);
            std::abort();
        }
    });
    return 0;
}
