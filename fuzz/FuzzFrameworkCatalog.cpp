// The framework selection's catalog on arbitrary exchange documents: the framework list and the
// details of every framework in it.
#include "FuzzInput.h"
#include "inbound/FrameworkChoice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmaro::fuzz::ExpectOnlyError([&] {
        const auto catalog = velmaro::FrameworkCatalog::Load(
            velmaro::fuzz::WriteInput("intercambio.xml", data, size));
        for (const std::string& code : catalog.Codes()) catalog.Details(code);
    });
    return 0;
}
