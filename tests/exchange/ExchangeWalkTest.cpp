// Walking a loaded exchange document: sections, records, fields and the first data-block child.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "exchange/ExchangeDocument.h"
#include "exchange/ExchangeTestFiles.h"

namespace velmaro {
namespace {

using testing::FieldsOf;
using testing::LoadXml;
using testing::SectionValues;
using Rows = std::vector<std::vector<std::string>>;

// Two data blocks, MATERIAS split over three section elements, a lower-case "materias"
// section, and grupo_datos elements in places that are not sections or records.
constexpr const char* kSchool = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO modulo="HORARIOS">
  <BLOQUE_DATOS>
    <grupo_datos seq="MATERIAS">
      <grupo_datos><dato>M1</dato><dato>Lengua</dato></grupo_datos>
      <otro><grupo_datos><dato>anidado</dato></grupo_datos></otro>
      <grupo_datos><dato>M2</dato><dato>Historia</dato></grupo_datos>
    </grupo_datos>
    <grupo_datos seq="DEPENDENCIAS">
      <grupo_datos><dato>D1</dato><dato>Aula 1</dato></grupo_datos>
    </grupo_datos>
    <grupo_datos seq="materias">
      <grupo_datos><dato>minusculas</dato></grupo_datos>
    </grupo_datos>
    <grupo_datos seq="MATERIAS">
      <grupo_datos><dato>M3</dato><dato>Física</dato></grupo_datos>
    </grupo_datos>
    <grupo_datos><grupo_datos><dato>sin seq</dato></grupo_datos></grupo_datos>
    <grupo_datos seq=" MATERIAS"><grupo_datos><dato>con blanco</dato></grupo_datos></grupo_datos>
  </BLOQUE_DATOS>
  <OTRO_BLOQUE>
    <grupo_datos seq="MATERIAS"><grupo_datos><dato>fuera</dato></grupo_datos></grupo_datos>
  </OTRO_BLOQUE>
  <BLOQUE_DATOS>
    <grupo_datos seq="MATERIAS">
      <grupo_datos><dato>M4</dato><dato>Música</dato></grupo_datos>
    </grupo_datos>
  </BLOQUE_DATOS>
</SERVICIO>
)xml";

TEST(ExchangeSections, RecordsOfOneSeqComeFromEverySectionElementInDocumentOrder) {
    const ExchangeDocument document = LoadXml(kSchool);
    EXPECT_EQ(SectionValues(document, "MATERIAS"),
              (Rows{{"M1", "Lengua"}, {"M2", "Historia"}, {"M3", "Física"}, {"M4", "Música"}}));
    EXPECT_EQ(SectionValues(document, "DEPENDENCIAS"), (Rows{{"D1", "Aula 1"}}));
}

TEST(ExchangeSections, ForEachRecordVisitsWhatRecordsLists) {
    const ExchangeDocument document = LoadXml(kSchool);
    for (const char* section : {"MATERIAS", "DEPENDENCIAS", "materias", "NINGUNA"}) {
        Rows visited;
        document.ForEachRecord(
            section, [&](const ExchangeRecord& record) { visited.push_back(FieldsOf(record)); });
        EXPECT_EQ(visited, SectionValues(document, section)) << section;
    }
}

TEST(ExchangeSections, SeqIsComparedExactly) {
    const ExchangeDocument document = LoadXml(kSchool);
    EXPECT_EQ(SectionValues(document, "materias"), (Rows{{"minusculas"}}));
    EXPECT_TRUE(document.Records("Materias").empty());
    EXPECT_FALSE(document.HasSection("Materias"));
    EXPECT_TRUE(document.Records("MATERIAS ").empty());
    EXPECT_EQ(SectionValues(document, " MATERIAS"), (Rows{{"con blanco"}}));
}

TEST(ExchangeSections, MissingSectionHasNoRecords) {
    const ExchangeDocument document = LoadXml(kSchool);
    EXPECT_TRUE(document.HasSection("MATERIAS"));
    EXPECT_TRUE(document.HasSection("DEPENDENCIAS"));
    EXPECT_FALSE(document.HasSection("EMPLEADOS"));
    EXPECT_TRUE(document.Records("EMPLEADOS").empty());
    EXPECT_TRUE(document.Records("").empty());
}

TEST(ExchangeSections, SectionWithoutRecordsExistsButIsEmpty) {
    const ExchangeDocument document = LoadXml(
        "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"UNIDADES\">\n  <!-- nada -->\n"
        "</grupo_datos></BLOQUE_DATOS></SERVICIO>");
    EXPECT_TRUE(document.HasSection("UNIDADES"));
    EXPECT_TRUE(document.Records("UNIDADES").empty());
}

struct FieldCase {
    const char* name;
    const char* record;  // the children of one record element
    std::vector<std::string> fields;
};

// Failing cases show their name.
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class ExchangeFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ExchangeFields, ValuesByPositionAmongDatoChildren) {
    const FieldCase& c = GetParam();
    const ExchangeDocument document = LoadXml(
        std::string("<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"EMPLEADOS\"><grupo_datos>") +
        c.record + "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    const std::vector<ExchangeRecord> records = document.Records("EMPLEADOS");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(FieldsOf(records[0]), c.fields);
    EXPECT_EQ(records[0].Field(c.fields.size()), "");
    EXPECT_EQ(records[0].Field(c.fields.size() + 7), "");
}

TEST_P(ExchangeFields, ReadInOneWalkIntoReusedStrings) {
    const FieldCase& c = GetParam();
    const ExchangeDocument document = LoadXml(
        std::string("<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"EMPLEADOS\"><grupo_datos>") +
        c.record + "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    const std::vector<ExchangeRecord> records = document.Records("EMPLEADOS");
    ASSERT_EQ(records.size(), 1u);
    // More strings than fields, each holding text from an earlier record: the extra ones end
    // up empty.
    std::vector<std::string> read(c.fields.size() + 2, "anterior");
    EXPECT_EQ(records[0].ReadFields(read), c.fields.size());
    std::vector<std::string> expected = c.fields;
    expected.resize(read.size());
    EXPECT_EQ(read, expected);
    // Fewer strings than fields: the first ones are read, the count is still every field.
    if (!c.fields.empty()) {
        std::vector<std::string> first(1);
        EXPECT_EQ(records[0].ReadFields(first), c.fields.size());
        EXPECT_EQ(first[0], c.fields[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExchangeFields,
    ::testing::Values(
        FieldCase{"Plain", "<dato>E1</dato><dato>García</dato>", {"E1", "García"}},
        FieldCase{"OtherElementsDoNotCountAsPositions",
                  "<dato>A</dato><nombre_dato>x</nombre_dato><dato>B</dato><Dato>no</Dato>"
                  "<datos>no</datos><dato>C</dato>",
                  {"A", "B", "C"}},
        FieldCase{
            "BlanksAreKeptForTheStepsToTrim", "<dato>  Ana  María </dato>", {"  Ana  María "}},
        FieldCase{"TabsAndLineBreaksInsideTextStay", "<dato>\tA\nB </dato>", {"\tA\nB "}},
        FieldCase{"WhiteSpaceOnlyIsEmpty", "<dato> \t\r\n </dato><dato>   </dato>", {"", ""}},
        FieldCase{"EmptyElements", "<dato/><dato></dato><dato>x</dato>", {"", "", "x"}},
        FieldCase{"NestedTextConcatenated", "<dato>a<b>b<c>c</c></b>d</dato>", {"abcd"}},
        FieldCase{"WhiteSpaceBetweenNestedElementsIsNotText",
                  "<dato>\n  <b>x</b>\n  <b>y</b>\n</dato>",
                  {"xy"}},
        FieldCase{"CdataKeptAsWritten",
                  "<dato><![CDATA[ <x> & ]]></dato><dato>a<![CDATA[b]]>c</dato>",
                  {" <x> & ", "abc"}},
        FieldCase{"CommentsAndProcessingInstructionsAreNotData",
                  "<dato>a<!-- nota -->b<?marca z?>c</dato>",
                  {"abc"}},
        FieldCase{"AttributesAreNotRead", "<dato nombre_dato=\"X_EMPLEADO\">7</dato>", {"7"}},
        FieldCase{
            "CharacterReferencesDecoded", "<dato>&lt;&amp;&#193;&#x20AC;&quot;</dato>", {"<&Á€\""}},
        FieldCase{"NamespacesAreIgnored",
                  "<r:dato xmlns:r=\"urn:racima\">uno</r:dato><dato xmlns=\"urn:x\">dos</dato>",
                  {"uno", "dos"}},
        FieldCase{"NoFields", "<otro>x</otro>", {}}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST(ExchangeFields, InternalEntitiesAreExpanded) {
    const ExchangeDocument document = LoadXml(R"xml(<?xml version="1.0"?>
<!DOCTYPE SERVICIO [
  <!ENTITY centro "IES Álamo">
  <!ENTITY nombre "&centro; (Sevilla)">
]>
<SERVICIO><BLOQUE_DATOS><grupo_datos seq="DEPENDENCIAS">
  <grupo_datos><dato>&nombre;</dato><dato>[&centro;]</dato></grupo_datos>
</grupo_datos></BLOQUE_DATOS></SERVICIO>)xml");
    EXPECT_EQ(SectionValues(document, "DEPENDENCIAS"),
              (Rows{{"IES Álamo (Sevilla)", "[IES Álamo]"}}));
}

TEST(ExchangeFields, SeqMayUseReferences) {
    const ExchangeDocument document = LoadXml(
        "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"CURSOS&#95;DEL_CENTRO\">"
        "<grupo_datos><dato>1</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    EXPECT_EQ(SectionValues(document, "CURSOS_DEL_CENTRO"), (Rows{{"1"}}));
}

struct EnvelopeCase {
    const char* name;
    const char* xml;
    bool envelope;
};

// Failing cases show their name.
void PrintTo(const EnvelopeCase& c, std::ostream* os) { *os << c.name; }

class ExchangeEnvelope : public ::testing::TestWithParam<EnvelopeCase> {};

TEST_P(ExchangeEnvelope, RootServicioWithADataBlock) {
    const EnvelopeCase& c = GetParam();
    const ExchangeDocument document = LoadXml(c.xml);
    EXPECT_EQ(document.HasEnvelope(), c.envelope);
    EXPECT_EQ(document.HasSection("MATERIAS"), c.envelope);
    EXPECT_EQ(document.Records("MATERIAS").size(), c.envelope ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangeEnvelope,
    ::testing::Values(
        EnvelopeCase{"Complete",
                     "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\"><grupo_datos/>"
                     "</grupo_datos></BLOQUE_DATOS></SERVICIO>",
                     true},
        EnvelopeCase{"OtherRoot",
                     "<RESPUESTA><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\"><grupo_datos/>"
                     "</grupo_datos></BLOQUE_DATOS></RESPUESTA>",
                     false},
        EnvelopeCase{"RootInLowerCase",
                     "<servicio><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\"><grupo_datos/>"
                     "</grupo_datos></BLOQUE_DATOS></servicio>",
                     false},
        EnvelopeCase{"NoDataBlock", "<SERVICIO><CABECERA/></SERVICIO>", false},
        EnvelopeCase{"DataBlockOneLevelTooDeep",
                     "<SERVICIO><X><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\"><grupo_datos/>"
                     "</grupo_datos></BLOQUE_DATOS></X></SERVICIO>",
                     false}),
    [](const ::testing::TestParamInfo<EnvelopeCase>& info) {
        return std::string(info.param.name);
    });

struct FirstChildCase {
    const char* name;
    const char* blocks;  // the children of SERVICIO
    std::optional<std::string> text;
};

// Failing cases show their name.
void PrintTo(const FirstChildCase& c, std::ostream* os) { *os << c.name; }

class ExchangeFirstDataBlockChild : public ::testing::TestWithParam<FirstChildCase> {};

TEST_P(ExchangeFirstDataBlockChild, FirstElementOrNonBlankText) {
    const FirstChildCase& c = GetParam();
    const ExchangeDocument document =
        LoadXml(std::string("<?xml version=\"1.0\"?>\n<SERVICIO>") + c.blocks + "</SERVICIO>");
    EXPECT_EQ(document.FirstDataBlockChildText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangeFirstDataBlockChild,
    ::testing::Values(
        FirstChildCase{"ElementAfterWhiteSpaceCommentAndInstruction",
                       "<BLOQUE_DATOS>\n  <!-- año -->\n  <?racima v2?>\n\t<ANNO>2024</ANNO>"
                       "<grupo_datos/></BLOQUE_DATOS>",
                       "2024"},
        FirstChildCase{"TextKeptAsGiven", "<BLOQUE_DATOS> 2024 <grupo_datos/></BLOQUE_DATOS>",
                       " 2024 "},
        FirstChildCase{"ElementTextWithoutBlankNodes",
                       "<BLOQUE_DATOS><ANNO>\n  <A>20</A>\n  <B>25</B>\n</ANNO></BLOQUE_DATOS>",
                       "2025"},
        FirstChildCase{"EmptyFirstElement", "<BLOQUE_DATOS><ANNO/><B>x</B></BLOQUE_DATOS>", ""},
        FirstChildCase{"OnlyTheFirstDataBlockCounts",
                       "<CABECERA>x</CABECERA><BLOQUE_DATOS>\n <!-- vacío -->\n</BLOQUE_DATOS>"
                       "<BLOQUE_DATOS><ANNO>2024</ANNO></BLOQUE_DATOS>",
                       std::nullopt},
        FirstChildCase{"SkipsOtherRootChildren",
                       "<CABECERA>x</CABECERA><BLOQUE_DATOS><ANNO>2023</ANNO></BLOQUE_DATOS>",
                       "2023"},
        FirstChildCase{"EmptyDataBlock", "<BLOQUE_DATOS/>", std::nullopt},
        FirstChildCase{"NoDataBlock", "<CABECERA>2024</CABECERA>", std::nullopt}),
    [](const ::testing::TestParamInfo<FirstChildCase>& info) {
        return std::string(info.param.name);
    });

TEST(ExchangeRecords, RecordSurvivesWhileTheDocumentLives) {
    ExchangeDocument loaded = LoadXml(kSchool);
    const std::vector<ExchangeRecord> records = loaded.Records("DEPENDENCIAS");
    const ExchangeDocument moved = std::move(loaded);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Field(1), "Aula 1");
    EXPECT_TRUE(moved.HasEnvelope());
}

}  // namespace
}  // namespace velmaro
