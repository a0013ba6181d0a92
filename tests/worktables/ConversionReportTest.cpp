// The conversion report as written: a summary with a count per kind (zeros included), then every
// kind that has items, its items in the order they were recorded, each with its place; the
// stored form of a cut or replaced text worked out when the report is written; CR LF line ends.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "worktables/ConversionReport.h"

namespace velmaro {
namespace {

TEST(ConversionReport, GroupsItemsByKindWithCountsAndPlaces) {
    ConversionReport report;
    report.Add(ReportKind::CodeSuffixed, SectionRecord("EMPLEADOS", 1),
               {"PROFT.DBF", "ABREV", "GLA", "GLA1"});
    report.Add(ReportKind::TextCut, SectionRecord("DEPENDENCIAS", 0),
               {"AULAT.DBF", "NOMBRE", "6", "Aula de Música"});
    report.Add(ReportKind::CodeSuffixed, SectionRecord("DEPENDENCIAS", 2),
               {"AULAT.DBF", "ABREV", "A1", "A11"});
    report.Add(ReportKind::CharacterReplaced, SectionRecord("EMPLEADOS", 4),
               {"PROFT.DBF", "NOMBRE", "Ŝtefan →"});
    report.Add(ReportKind::SlotNotFound, TableRow("SOLUC.DBF", 16), {"GAR", "25", "0"});

    EXPECT_EQ(report.Count(ReportKind::CodeSuffixed), 2u);
    EXPECT_EQ(report.Count(ReportKind::TextCut), 1u);
    EXPECT_EQ(report.Count(ReportKind::UnknownLevel), 0u);

    const std::array kinds = {ReportKind::CodeSuffixed, ReportKind::UnknownLevel,
                              ReportKind::TextCut, ReportKind::CharacterReplaced};
    EXPECT_EQ(report.Text(kinds),
              "Resumen\r\n"
              "  Códigos ya ocupados, con un número añadido: 2\r\n"
              "  Cursos sin nivel en NIVELLARI.DBF, con el nivel «Niv»: 0\r\n"
              "  Textos más largos que su campo, cortados: 1\r\n"
              "  Caracteres que Windows-1252 no admite, guardados como «?»: 1\r\n"
              "\r\n"
              "Códigos ya ocupados, con un número añadido (2)\r\n"
              "  EMPLEADOS, registro 2: PROFT.DBF ABREV: el código «GLA» ya estaba ocupado; "
              "se le ha dado «GLA1»\r\n"
              "  DEPENDENCIAS, registro 3: AULAT.DBF ABREV: el código «A1» ya estaba ocupado; "
              "se le ha dado «A11»\r\n"
              "\r\n"
              "Textos más largos que su campo, cortados (1)\r\n"
              "  DEPENDENCIAS, registro 1: AULAT.DBF NOMBRE (6 caracteres): «Aula de Música» se "
              "ha guardado como «Aula d»\r\n"
              "\r\n"
              "Caracteres que Windows-1252 no admite, guardados como «?» (1)\r\n"
              "  EMPLEADOS, registro 5: PROFT.DBF NOMBRE: «Ŝtefan →» se ha guardado como "
              "«?tefan ?»\r\n");

    const std::array outbound = {ReportKind::SlotNotFound};
    EXPECT_EQ(report.Text(outbound),
              "Resumen\r\n"
              "  Filas cuyo día y hora no están en su Marco Horario, sin día ni tramo: 1\r\n"
              "\r\n"
              "Filas cuyo día y hora no están en su Marco Horario, sin día ni tramo (1)\r\n"
              "  SOLUC.DBF, fila 17: profesor «GAR»: DIASHORAST.DBF no tiene DIHO «25» con "
              "MARCO «0»; N_DIASEMANA y X_TRAMO van vacíos\r\n");
}

TEST(ConversionReport, EmptyReportListsEveryKindWithZero) {
    const ConversionReport report;
    EXPECT_EQ(report.Text(kOutboundReportKinds),
              "Resumen\r\n"
              "  Filas de SOLUC.DBF cuyo profesor no está en PROFT.DBF, no enviadas: 0\r\n"
              "  Filas cuyo día y hora no están en su Marco Horario, sin día ni tramo: 0\r\n"
              "  Claves que no se encontraron, enviadas vacías: 0\r\n");
}

}  // namespace
}  // namespace velmaro
