// The whole round trip on the sample school: velmaro-cli exportar with two frameworks,
// tavolin-sim in each of its formats, velmaro-cli importar; the result document sends back only
// keys that the exchange document holds, and its counts add up.

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/ReferenceTable.h"
#include "support/RunProgram.h"
#include "support/ScratchFolder.h"
#include "support/TableRows.h"
#include "text/TextHelpers.h"

namespace velmaro::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kBin = fs::path(VELMARO_RUNTIME_DIR);
const fs::path kSampleSchool = fs::path(VELMARO_SOURCE_DIR) / "data/sample/RacimaEjemplo.xml";

std::string Attr(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::string Content(xmlNode* node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::vector<xmlNode*> Elements(xmlNode* parent) {
    std::vector<xmlNode*> children;
    for (xmlNode* child = parent->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) children.push_back(child);
    }
    return children;
}

struct XmlFile {
    explicit XmlFile(const fs::path& path)
        : doc(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET)) {}
    ~XmlFile() { xmlFreeDoc(doc); }
    XmlFile(const XmlFile&) = delete;
    XmlFile& operator=(const XmlFile&) = delete;
    xmlDoc* doc;
};

// Every value of a named dato in the records of a section of the exchange document, trimmed.
using KeySets = std::map<std::string, std::set<std::string>>;  // "SECTION/NAME" -> values

KeySets ExchangeKeys(const fs::path& path) {
    KeySets keys;
    XmlFile file(path);
    for (xmlNode* block : Elements(xmlDocGetRootElement(file.doc))) {
        for (xmlNode* section : Elements(block)) {
            for (xmlNode* record : Elements(section)) {
                for (xmlNode* dato : Elements(record)) {
                    keys[Attr(section, "seq") + "/" + Attr(dato, "nombre_dato")].insert(
                        TrimBlanks(Content(dato)));
                }
            }
        }
    }
    return keys;
}

// The framework (X_JORNADA) of every time slot (X_TRAMO) of the exchange document.
std::map<std::string, std::string> SlotFrameworks(const fs::path& path) {
    std::map<std::string, std::string> frameworks;
    XmlFile file(path);
    for (xmlNode* block : Elements(xmlDocGetRootElement(file.doc))) {
        for (xmlNode* section : Elements(block)) {
            if (Attr(section, "seq") != "TRAMOS_HORARIOS") continue;
            for (xmlNode* record : Elements(section)) {
                std::map<std::string, std::string> fields;
                for (xmlNode* dato : Elements(record)) {
                    fields[Attr(dato, "nombre_dato")] = TrimBlanks(Content(dato));
                }
                frameworks[fields["X_TRAMO"]] = fields["X_JORNADA"];
            }
        }
    }
    return frameworks;
}

// Which section of the exchange document holds the keys of each dato of the result.
const std::map<std::string, std::string> kKeySource = {
    {"X_EMPLEADO", "EMPLEADOS/X_EMPLEADO"},
    {"X_UNIDAD", "UNIDADES/X_UNIDAD"},
    {"X_OFERTAMATRIG", "CURSOS_DEL_CENTRO/X_OFERTAMATRIG"},
    {"X_MATERIAOMG", "MATERIAS/X_MATERIAOMG"},
    {"X_TRAMO", "TRAMOS_HORARIOS/X_TRAMO"},
    {"X_ACTIVIDAD", "ACTIVIDADES/X_ACTIVIDAD"},
};

// What the result document holds, checked on the way.
struct ResultFacts {
    std::size_t teachers = 0;
    std::size_t activities = 0;
    std::size_t tasks = 0;                 // activities with an X_ACTIVIDAD other than "1"
    std::set<std::string> frameworksUsed;  // X_JORNADA of the slots used
};

ResultFacts CheckResult(const fs::path& result, const fs::path& exchange) {
    const KeySets keys = ExchangeKeys(exchange);
    const auto slotFrameworks = SlotFrameworks(exchange);
    ResultFacts facts;
    XmlFile file(result);
    if (file.doc == nullptr) {
        ADD_FAILURE() << "el resultado no se puede leer";
        return facts;
    }
    const auto block = Elements(Elements(xmlDocGetRootElement(file.doc)).at(0));
    EXPECT_EQ(block.size(), 2u);
    const auto teachers = Elements(block.at(1));
    EXPECT_EQ(Attr(block.at(1), "registros"), std::to_string(teachers.size()));
    facts.teachers = teachers.size();
    for (std::size_t t = 0; t < teachers.size(); ++t) {
        const auto children = Elements(teachers[t]);
        EXPECT_EQ(Attr(teachers[t], "seq"), "HORARIO_REGULAR_PROFESOR_" + std::to_string(t + 1));
        EXPECT_EQ(Attr(teachers[t], "registros"), std::to_string(children.size() - 2));
        std::vector<xmlNode*> datos(children.begin(), children.begin() + 2);
        for (std::size_t a = 2; a < children.size(); ++a) {
            EXPECT_EQ(Attr(children[a], "seq"), "ACTIVIDAD_" + std::to_string(a - 1));
            const auto activity = Elements(children[a]);
            EXPECT_EQ(activity.size(), 11u);
            datos.insert(datos.end(), activity.begin(), activity.end());
            ++facts.activities;
        }
        for (xmlNode* dato : datos) {
            const std::string name = Attr(dato, "nombre_dato");
            const std::string value = Content(dato);
            if (name == "X_ACTIVIDAD" && value != "1") ++facts.tasks;
            if (name == "X_TRAMO" && !value.empty())
                facts.frameworksUsed.insert(slotFrameworks.at(value));
            const auto source = kKeySource.find(name);
            if (source == kKeySource.end() || value.empty() ||
                (name == "X_ACTIVIDAD" && value == "1")) {
                continue;
            }
            const auto& known = keys.at(source->second);
            EXPECT_TRUE(known.count(value))
                << name << " '" << value << "' no está en " << source->second;
        }
    }
    return facts;
}

// The result document with its fecha attribute blanked, to compare two runs.
std::string WithoutFecha(const std::string& text) {
    return std::regex_replace(text, std::regex("fecha=\"[^\"]*\""), "fecha=\"\"",
                              std::regex_constants::format_first_only);
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(WorkDir());
        fs::create_directories(ProgramDir());
        fs::create_directories(Exchange().parent_path());
        fs::copy_file(kSampleSchool, Exchange());
        WriteReferenceTable(ProgramDir(), {{60101, "1ESO", "Educación Secundaria"}});
    }
    fs::path WorkDir() const { return root_.Path() / "ttemp"; }
    fs::path ProgramDir() const { return root_.Path() / "programa"; }
    fs::path Exchange() const { return root_.Path() / "racima" / "Centro.xml"; }
    fs::path Result() const { return root_.Path() / "racima" / "ResultadoOrvikCentro.xml"; }

    ProgramRun Cli(const std::string& job, const std::vector<std::string>& options) const {
        std::vector<std::string> arguments = {job,
                                              "--xml",
                                              Exchange().string(),
                                              "--work-dir",
                                              WorkDir().string(),
                                              "--program-dir",
                                              ProgramDir().string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return RunProgram(kBin / "velmaro-cli", arguments, root_);
    }
    ProgramRun Sim(const std::string& format) const {
        return RunProgram(kBin / "tavolin-sim",
                          {"--work-dir", WorkDir().string(), "--format", format}, root_);
    }

    ScratchFolder root_;
};

TEST_F(RoundTrip, SampleSchoolThroughBothFormatsOfTheTimetable) {
    const ProgramRun exported = Cli("exportar", {"--marcos", "4401,4402"});
    ASSERT_EQ(exported.status, 0) << exported.err;

    std::string previous;
    for (const std::string format : {"dbase", "foxpro"}) {
        const ProgramRun simulated = Sim(format);
        ASSERT_EQ(simulated.status, 0) << simulated.err;
        std::smatch counts;
        ASSERT_TRUE(std::regex_search(
            simulated.out, counts,
            std::regex("(\\d+) filas \\((\\d+) colocadas, (\\d+) sin colocar\\)")))
            << simulated.out;
        const std::size_t placed = std::stoul(counts[2]);
        EXPECT_GT(std::stoul(counts[3]), 0u) << "some rows stay unplaced";

        const ProgramRun imported = Cli("importar", {});
        ASSERT_EQ(imported.status, 0) << imported.err;
        const ResultFacts facts = CheckResult(Result(), Exchange());
        EXPECT_EQ(facts.teachers, ReadRows(WorkDir() / "PROFT.DBF").size());
        EXPECT_EQ(facts.activities, placed) << format;
        EXPECT_GT(facts.tasks, 0u);
        EXPECT_EQ(facts.frameworksUsed, (std::set<std::string>{"4401", "4402"}));
        // A timetable made from the tables themselves leaves nothing out and nothing empty.
        EXPECT_EQ(imported.out,
                  Result().string() + "\n" + std::to_string(facts.teachers) + " profesores, " +
                      std::to_string(facts.activities) + " actividades\n" + "Informe: " +
                      (WorkDir() / "velmaro-informe.txt").string() + "\n" +
                      "  Filas de SOLUC.DBF cuyo profesor no está en PROFT.DBF, no enviadas: 0\n"
                      "  Filas cuyo día y hora no están en su Marco Horario, sin día ni tramo: 0\n"
                      "  Claves que no se encontraron, enviadas vacías: 0\n");
        EXPECT_NE(imported.err.find("Proceso finalizado"), std::string::npos);

        const std::string result = WithoutFecha(ReadBytes(Result()));
        if (!previous.empty()) {
            EXPECT_EQ(result, previous) << "the formats are read alike";
        }
        previous = result;
    }
}

// The FoxPro table that tavolin-sim writes byte by byte, read by an independent reader: its
// live rows are those the tool reports, and the deleted row is not among them.
TEST_F(RoundTrip, FoxProTimetableReadsWithAnIndependentReader) {
    ASSERT_EQ(Cli("exportar", {"--marcos", "4401"}).status, 0);
    const ProgramRun simulated = Sim("foxpro");
    ASSERT_EQ(simulated.status, 0) << simulated.err;
    WriteBytes(root_.Path() / "read.py",
               "import sys\nfrom dbfread import DBF\n"
               "t = DBF(sys.argv[1], encoding='cp1252', char_decode_errors='strict')\n"
               "rows = list(t)\n"
               "print(t.dbversion, [(f.name, f.type, f.length) for f in t.fields])\n"
               "print(len(rows), 'filas', sum(1 for r in rows if r['DIA'] != 0), 'colocadas')\n"
               "print(len(list(t.deleted)), 'borradas')\n");
    const ProgramRun read =
        RunProgram("/usr/bin/python3",
                   {(root_ / "read.py").string(), (WorkDir() / "SOLUC.DBF").string()}, root_);
    ASSERT_EQ(read.status, 0) << read.err;
    std::smatch counts;
    ASSERT_TRUE(
        std::regex_search(simulated.out, counts, std::regex("(\\d+) filas \\((\\d+) colocadas")));
    EXPECT_NE(read.out.find("Visual FoxPro"), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("('DIA', 'I', 4), ('HORA', 'I', 4)"), std::string::npos) << read.out;
    EXPECT_NE(
        read.out.find(std::string(counts[1]) + " filas " + std::string(counts[2]) + " colocadas"),
        std::string::npos)
        << read.out << simulated.out;
    EXPECT_NE(read.out.find("1 borradas"), std::string::npos) << read.out;
}

TEST_F(RoundTrip, ImportarExitStatus) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        int status;
    };
    const Case cases[] = {
        {"no such document", {"importar", "--xml", (root_ / "nada.xml").string()}, 3},
        {"no --xml", {"importar"}, 2},
        {"unknown option", {"importar", "--xml", "a.xml", "--otra", "x"}, 2},
        {"work tables missing",
         {"importar", "--xml", Exchange().string(), "--work-dir", (root_ / "vacia").string()},
         1},
    };
    for (const Case& c : cases) {
        const ProgramRun run = RunProgram(kBin / "velmaro-cli", c.arguments, root_);
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << c.name << ": " << run.out;
    }
}

}  // namespace
}  // namespace velmaro::testing
