// Exchange document loader and section walker on arbitrary bytes: every section the converter
// steps read, every field of every record (and one past the last), and the academic year.
#include <array>
#include <string_view>

#include "FuzzInput.h"
#include "exchange/ExchangeDocument.h"

constexpr std::array<std::string_view, 8> kSectionsRead = {
    "MATERIAS",          "ACTIVIDADES", "EMPLEADOS",          "DEPENDENCIAS",
    "CURSOS_DEL_CENTRO", "UNIDADES",    "JORNADAS_ESCOLARES", "TRAMOS_HORARIOS"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmaro::fuzz::ExpectOnlyError([&] {
        const auto document = velmaro::ExchangeDocument::Load(
            velmaro::fuzz::WriteInput("intercambio.xml", data, size));
        document.FirstDataBlockChildText();
        for (std::string_view section : kSectionsRead) {
            if (!document.HasSection(section)) continue;
            for (const velmaro::ExchangeRecord& record : document.Records(section)) {
                for (std::size_t k = 0; k <= record.FieldCount(); ++k) record.Field(k);
            }
        }
    });
    return 0;
}
