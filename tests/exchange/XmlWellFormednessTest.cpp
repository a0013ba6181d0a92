// The well-formedness check on a document's decoded text: each rule refused at the place of its
// fault, and well-formed documents that bend near each rule let through.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "exchange/XmlWellFormedness.h"

namespace velmaro {
namespace {

struct FaultCase {
    const char* name;
    std::string text;
    unsigned line;
    unsigned column;
    std::string reason;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class XmlWellFormednessFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(XmlWellFormednessFaults, AreFoundWhereTheyStart) {
    const FaultCase& c = GetParam();
    const std::optional<XmlTextFault> fault = FirstWellFormednessFault(c.text);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->line, c.line);
    EXPECT_EQ(fault->column, c.column);
    EXPECT_EQ(fault->reason, c.reason);
}

const std::string kSurrogateBytes = "\xED\xA0\x80";

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlWellFormednessFaults,
    ::testing::Values(
        FaultCase{"UndefinedEntityAmidText", "<a>\n<dato>Ana &foo; Mar</dato></a>", 2, 11,
                  "la entidad 'foo' no está definida"},
        FaultCase{"UndefinedEntityInAttribute", "<a n=\"x&foo;\"/>", 1, 8,
                  "la entidad 'foo' no está definida"},
        FaultCase{"BareAmpersand", "<a>\n<dato>Ana & Mar</dato></a>", 2, 11,
                  "hay un '&' que no empieza ninguna referencia (se escribe &amp;)"},
        FaultCase{"ReferenceWithoutSemicolon", "<a>x &amp y</a>", 1, 6,
                  "hay un '&' que no empieza ninguna referencia (se escribe &amp;)"},
        FaultCase{"ReferenceNameStartingWithDigit", "<a>&1x;</a>", 1, 4,
                  "hay un '&' que no empieza ninguna referencia (se escribe &amp;)"},
        FaultCase{"CharacterReferenceToNul", "<a>\n<dato>Ana &#0; Mar</dato></a>", 2, 11,
                  "la referencia '&#0;' es a un carácter que XML no admite (U+0000)"},
        FaultCase{"CharacterReferenceToSurrogate", "<a>&#xD800;</a>", 1, 4,
                  "la referencia '&#xD800;' es a un carácter que XML no admite (U+D800)"},
        FaultCase{"CharacterReferenceToFffe", "<a>&#65534;</a>", 1, 4,
                  "la referencia '&#65534;' es a un carácter que XML no admite (U+FFFE)"},
        FaultCase{"CharacterReferenceToControlInAttribute", "<a n='&#x1F;'/>", 1, 7,
                  "la referencia '&#x1F;' es a un carácter que XML no admite (U+001F)"},
        FaultCase{"CharacterReferenceBeyondUnicode", "<a>&#x110000;</a>", 1, 4,
                  "la referencia '&#x110000;' es a un carácter que XML no admite (más allá de "
                  "U+10FFFF)"},
        FaultCase{"CharacterReferenceWithoutDigits", "<a>&#x;</a>", 1, 4,
                  "la referencia de carácter '&#x' está mal escrita"},
        FaultCase{"CharacterReferenceWithLetters", "<a>&#12a;</a>", 1, 4,
                  "la referencia de carácter '&#12' está mal escrita"},
        FaultCase{"RawControlCharacter", "<a>\n<dato>Ana \x01 Mar</dato></a>", 2, 11,
                  "hay un carácter que XML no admite (U+0001)"},
        FaultCase{"RawNul", std::string("<a>x\0y</a>", 10), 1, 5,
                  "hay un carácter que XML no admite (U+0000)"},
        FaultCase{"RawFfffCountedInCharacters", "<a>ñ€\xEF\xBF\xBF</a>", 1, 6,
                  "hay un carácter que XML no admite (U+FFFF)"},
        FaultCase{"RawControlInComment", "<a><!-- \x1B --></a>", 1, 9,
                  "hay un carácter que XML no admite (U+001B)"},
        FaultCase{"EncodedSurrogate", "<a>" + kSurrogateBytes + "</a>", 1, 4,
                  "hay bytes que no son UTF-8"},
        FaultCase{"DuplicateAttribute", "<a>\n<dato n=\"1\" n=\"2\">x</dato></a>", 2, 13,
                  "el atributo 'n' está repetido en la etiqueta"},
        FaultCase{"DuplicatePrefixedAttribute", "<a p:n='1'\n   p:n='1'/>", 2, 4,
                  "el atributo 'p:n' está repetido en la etiqueta"},
        FaultCase{"ElementNameStartingWithDigit", "<a>\n<dato><1x>y</1x></dato></a>", 2, 8,
                  "el nombre del elemento '1x' no es un nombre XML"},
        FaultCase{"ElementNameWithPunctuation", "<a><b%c/></a>", 1, 5,
                  "el nombre del elemento 'b%c' no es un nombre XML"},
        FaultCase{"LessThanSignInText", "<a>1 < 2</a>", 1, 6,
                  "hay un '<' que no empieza ninguna etiqueta (se escribe &lt;)"},
        FaultCase{"EndTagNameNotAName", "<a></-a>", 1, 6,
                  "el nombre del elemento '-a' no es un nombre XML"},
        FaultCase{"EndTagOfAnotherElement", "<a>\n  <b></a>", 2, 8,
                  "la etiqueta de cierre '</a>' no corresponde a la abierta '<b>'"},
        FaultCase{"EndTagAfterTheRoot", "<a/></a>", 1, 7,
                  "la etiqueta de cierre '</a>' no cierra ningún elemento abierto"},
        FaultCase{"RootLeftOpen", "<a>\n<b/><c></c>", 2, 12,
                  "el documento termina sin cerrar su elemento raíz"},
        FaultCase{"AttributesWithoutASpaceBetween", "<a n=\"1\"m='2'/>", 1, 9,
                  "tras el valor del atributo 'n' falta un espacio o el final de la etiqueta"},
        FaultCase{"AttributeNameStartingWithDigit", "<a 1n=\"1\"/>", 1, 4,
                  "el nombre del atributo '1n' no es un nombre XML"},
        FaultCase{"ProcessingInstructionTargetNotAName", "<a>\n<?1p x?></a>", 2, 3,
                  "el destino de la instrucción de procesamiento '1p' no es un nombre XML"},
        FaultCase{"DocumentTypeNameNotAName", "<!DOCTYPE 9a>\n<a/>", 1, 11,
                  "el nombre del tipo de documento '9a' no es un nombre XML"},
        FaultCase{"LessThanSignInAttribute", "<a n=\"x<y\"/>", 1, 8,
                  "un valor de atributo no puede tener '<' (se escribe &lt;)"},
        FaultCase{"CdataEndInText", "<a>x]]>y</a>", 1, 5,
                  "el texto tiene ']]>', que solo puede cerrar una sección CDATA"},
        FaultCase{"LongNameShownCut", "<a " + std::string(60, '-') + "='1'/>", 1, 4,
                  "el nombre del atributo '" + std::string(40, '-') +
                      "…' no es un nombre XML"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

struct SoundCase {
    const char* name;
    std::string text;
};

void PrintTo(const SoundCase& c, std::ostream* os) { *os << c.name; }

class XmlWellFormednessSound : public ::testing::TestWithParam<SoundCase> {};

TEST_P(XmlWellFormednessSound, HasNoFault) {
    const std::optional<XmlTextFault> fault = FirstWellFormednessFault(GetParam().text);
    EXPECT_FALSE(fault.has_value()) << fault->line << ":" << fault->column << " " << fault->reason;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlWellFormednessSound,
    ::testing::Values(
        SoundCase{"PredefinedAndCharacterReferences",
                  "<a n='&lt;&gt;&amp;&apos;&quot;&#9;&#x10FFFF;&#xE000;'>&#65533;&#x20;&#xD7FF;</a>"},
        SoundCase{"TabLineFeedAndCarriageReturn", "<a\tn='1'\r\n>\t\r\n</a>"},
        SoundCase{"MarkupCharactersWhereTheyAreText",
                  "<a n='>]]>&amp;'><![CDATA[& < &foo; ]]]]><!-- & < --><?p & < ?>]] ]></a>"},
        SoundCase{"NamesOfEveryKind",
                  "<?xml version=\"1.0\"?><?pi-1.x?><r:a xmlns:r='urn:r' _b='1' r:c.d-e='2' "
                  "ñandú='3' 名前='4' a\xC2\xB7\xCC\x80='5'><Año/><_x/><:y/></r:a >"},
        SoundCase{"EntitiesOfTheInternalSubset",
                  "<!DOCTYPE a [\n<!ENTITY e \"E\">\n<!ENTITY  f '[&e;]>'>\n<!-- ] -->\n"
                  "<!ATTLIST a n CDATA \"]>\">\n<?p ]> ?>\n]>\n<a n='&f;'>&e;&f;</a>"},
        SoundCase{"UndeclaredEntityThatTheExternalSubsetMayDeclare",
                  "<!DOCTYPE a SYSTEM \"a.dtd\">\n<a>&definida_fuera;</a>"},
        SoundCase{"UndeclaredEntityThatAParameterEntityMayDeclare",
                  "<!DOCTYPE a [<!ENTITY % p \"\"> %p;]>\n<a>&definida_fuera;</a>"},
        SoundCase{"SameLocalNameWithOtherPrefixes", "<a n='1' p:n='2' q:n='3'><b n='1'/></a>"},
        SoundCase{"EveryPlaneOfUnicode", "<a>\xF0\x9F\x98\x80 \xF4\x8F\xBF\xBD € ñ</a>"}),
    [](const ::testing::TestParamInfo<SoundCase>& info) { return std::string(info.param.name); });

// Markup left open ends the check: the parser refuses it with its own reason.
TEST(XmlWellFormedness, MarkupLeftOpenEndsTheCheckWithoutAFault) {
    for (const char* open : {"<a n='1", "<a><!-- x", "<a><![CDATA[x", "<a><?p x", "<a n>&foo;</a>",
                             "<!DOCTYPE a [<!ENTITY e 'x", "<a", "<a n=1>&foo;</a>"}) {
        EXPECT_FALSE(FirstWellFormednessFault(open).has_value()) << open;
    }
}

}  // namespace
}  // namespace velmaro
