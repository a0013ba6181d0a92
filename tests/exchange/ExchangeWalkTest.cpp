// Walking a loaded exchange document: sections, records, fields and the first data-block child.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
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
        EXPECT_EQ(document.RecordCount(section), visited.size()) << section;
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
    std::string record;  // the children of one record element
    std::vector<std::string> fields;
};

// Failing cases show their name.
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

// Every record knows the line where its element begins, for messages about its values.
TEST(ExchangeWalk, RecordsKnowTheirLines) {
    const ExchangeDocument document = LoadXml(
        "<?xml version=\"1.0\"?>\n"
        "<SERVICIO><BLOQUE_DATOS>\n"
        "<grupo_datos seq=\"M\"><grupo_datos><dato>A</dato></grupo_datos>\n"
        "\n"
        "<grupo_datos>\n<dato>B</dato></grupo_datos>\n"
        "<!-- -->\n</grupo_datos>\n"
        "<grupo_datos seq=\"M\"><grupo_datos><dato>C</dato></grupo_datos></grupo_datos>\n"
        "</BLOQUE_DATOS></SERVICIO>\n");
    std::vector<std::pair<std::string, int>> lines;
    for (const ExchangeRecord& record : document.Records("M")) {
        lines.emplace_back(record.Field(0), record.Line());
    }
    EXPECT_EQ(lines, (std::vector<std::pair<std::string, int>>{{"A", 3}, {"B", 5}, {"C", 9}}));
}

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

TEST_P(ExchangeFields, ReadAsViewsIntoTheDocument) {
    const FieldCase& c = GetParam();
    const ExchangeDocument document = LoadXml(
        std::string("<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"EMPLEADOS\"><grupo_datos>") +
        c.record + "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    const std::vector<ExchangeRecord> records = document.Records("EMPLEADOS");
    ASSERT_EQ(records.size(), 1u);
    std::vector<std::string_view> read(c.fields.size() + 2, "anterior");
    EXPECT_EQ(records[0].ReadFieldViews(read), c.fields.size());
    for (std::size_t k = 0; k < read.size(); ++k) {
        EXPECT_EQ(read[k], k < c.fields.size() ? c.fields[k] : "") << k;
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
        FieldCase{"NoFields", "<otro>x</otro>", {}},
        FieldCase{"WhiteSpaceBesideACommentIsATextNodeOfItsOwn",
                  "<dato> <!-- c --> x</dato><dato>y <?p?> </dato>",
                  {" x", "y "}},
        FieldCase{"CdataOfWhiteSpaceIsKept", "<dato><![CDATA[ ]]></dato>", {" "}},
        FieldCase{"ReferencedWhiteSpaceIsWhiteSpace",
                  "<dato>&#32;</dato><dato>&#32;x</dato><dato>&#10;&#13;</dato>",
                  {"", " x", ""}},
        FieldCase{
            "DatoInsideDatoIsNotAField", "<dato>a<dato>b</dato></dato><dato>c</dato>", {"ab", "c"}},
        FieldCase{"UndeclaredPrefixIsPartOfTheName", "<p:dato>x</p:dato><dato>y</dato>", {"y"}},
        FieldCase{"LongText",
                  "<dato>" + std::string(20000, 'L') + "</dato><dato>z</dato>",
                  {std::string(20000, 'L'), "z"}}),
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

struct EntityCase {
    const char* name;
    const char* entities;  // the declarations of the internal subset
    const char* record;    // the children of one record element
    std::vector<std::string> fields;
};

// Failing cases show their name.
void PrintTo(const EntityCase& c, std::ostream* os) { *os << c.name; }

class ExchangeEntities : public ::testing::TestWithParam<EntityCase> {};

TEST_P(ExchangeEntities, ExpandAsInTheDocumentTree) {
    const EntityCase& c = GetParam();
    const ExchangeDocument document =
        LoadXml(std::string("<!DOCTYPE SERVICIO [") + c.entities +
                "]>\n<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"EMPLEADOS\"><grupo_datos>" +
                c.record + "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    EXPECT_EQ(SectionValues(document, "EMPLEADOS"), (Rows{c.fields}));
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExchangeEntities,
    ::testing::Values(EntityCase{"WhiteSpaceEntityIsNotText",
                                 "<!ENTITY b \"  \">",
                                 "<dato>a&b;b</dato><dato>&b;</dato>",
                                 {"ab", ""}},
                      EntityCase{"EntityTextIsANodeOfItsOwn",
                                 "<!ENTITY x \"x\">",
                                 "<dato>  &x;  </dato><dato> &x;y</dato>",
                                 {"x", "xy"}},
                      EntityCase{
                          "ElementsCdataAndCommentsInsideAnEntity",
                          "<!ENTITY e \"<b>uno</b> <i> </i><![CDATA[ dos ]]><!--no-->tres\">",
                          "<dato>&e;</dato>",
                          {"uno dos tres"}},
                      EntityCase{"EmptyEntity", "<!ENTITY v \"\">", "<dato>a&v;b</dato>", {"ab"}},
                      EntityCase{"SameEntityEveryTime",
                                 "<!ENTITY e \"E\">",
                                 "<dato>&e;</dato><dato>&e;&e;</dato>",
                                 {"E", "EE"}},
                      EntityCase{"DatoFromAnEntityIsNotAField",
                                 "<!ENTITY d \"<dato>dentro</dato>\">",
                                 "&d;<dato>x</dato><dato>&d;</dato>",
                                 {"x", "dentro"}}),
    [](const ::testing::TestParamInfo<EntityCase>& info) { return std::string(info.param.name); });

TEST(ExchangeSections, RecordsAndSectionsFromEntitiesDoNotCount) {
    const ExchangeDocument document = LoadXml(
        "<!DOCTYPE SERVICIO [<!ENTITY r \"<grupo_datos><dato>r</dato></grupo_datos>\">"
        "<!ENTITY s \"<grupo_datos seq='M'><grupo_datos><dato>s</dato></grupo_datos>"
        "</grupo_datos>\">]>"
        "<SERVICIO><BLOQUE_DATOS>&s;<grupo_datos seq=\"M\">&r;<grupo_datos><dato>1</dato>"
        "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    EXPECT_EQ(SectionValues(document, "M"), (Rows{{"1"}}));
}

TEST(ExchangeSections, SeqThatOnlyTheDtdDefaultsDoesNotCount) {
    const ExchangeDocument document = LoadXml(
        "<!DOCTYPE SERVICIO [<!ATTLIST grupo_datos seq CDATA \"M\">]>"
        "<SERVICIO><BLOQUE_DATOS><grupo_datos><grupo_datos><dato>1</dato></grupo_datos>"
        "</grupo_datos></BLOQUE_DATOS></SERVICIO>");
    EXPECT_FALSE(document.HasSection("M"));
}

TEST(ExchangeSections, SeqWithAnUndeclaredPrefixIsNotSeq) {
    const ExchangeDocument document = LoadXml(
        "<SERVICIO><BLOQUE_DATOS><grupo_datos p:seq=\"M\"><grupo_datos><dato>1</dato>"
        "</grupo_datos></grupo_datos><grupo_datos xmlns:q=\"urn:q\" q:seq=\"N\"><grupo_datos>"
        "<dato>2</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    EXPECT_FALSE(document.HasSection("M"));
    EXPECT_EQ(SectionValues(document, "N"), (Rows{{"2"}}));
}

TEST(ExchangeFields, SeqMayUseEntities) {
    const ExchangeDocument document = LoadXml(
        "<!DOCTYPE SERVICIO [<!ENTITY s \"MATERIAS\">]><SERVICIO><BLOQUE_DATOS>"
        "<grupo_datos seq=\"&s;\"><grupo_datos><dato>1</dato></grupo_datos></grupo_datos>"
        "<grupo_datos seq=\"A&amp;B\"><grupo_datos><dato>2</dato></grupo_datos></grupo_datos>"
        "</BLOQUE_DATOS></SERVICIO>");
    EXPECT_EQ(SectionValues(document, "MATERIAS"), (Rows{{"1"}}));
    EXPECT_EQ(SectionValues(document, "A&B"), (Rows{{"2"}}));
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
        FirstChildCase{"NoDataBlock", "<CABECERA>2024</CABECERA>", std::nullopt},
        FirstChildCase{"FirstSectionIsTheFirstChild",
                       "<BLOQUE_DATOS>\n<grupo_datos seq=\"ANNO_ACADEMICO\">\n"
                       "<grupo_datos><dato>2025</dato>\n<dato>26</dato></grupo_datos>\n"
                       "</grupo_datos></BLOQUE_DATOS>",
                       "202526"},
        FirstChildCase{"CdataCounts",
                       "<BLOQUE_DATOS>\n<![CDATA[ ]]><ANNO>2024</ANNO></BLOQUE_DATOS>", " "},
        FirstChildCase{"TextAfterACommentIsANodeOfItsOwn",
                       "<BLOQUE_DATOS>  <!--c--> 2024<ANNO/></BLOQUE_DATOS>", " 2024"}),
    [](const ::testing::TestParamInfo<FirstChildCase>& info) {
        return std::string(info.param.name);
    });

TEST(ExchangeFirstDataBlockChild, EntityReferenceIsAChildEvenWhenBlank) {
    for (const auto& [value, text] : std::vector<std::pair<std::string, std::string>>{
             {"<x>20</x> <y>24</y>", "2024"}, {"   ", ""}}) {
        const ExchangeDocument document = LoadXml(
            "<!DOCTYPE SERVICIO [<!ENTITY a \"" + value +
            "\">]><SERVICIO><BLOQUE_DATOS>\n&a;<ANNO>1999</ANNO></BLOQUE_DATOS></SERVICIO>");
        EXPECT_EQ(document.FirstDataBlockChildText(), text) << value;
    }
}

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
