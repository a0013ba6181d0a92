#pragma once
// Small Racima exchange documents for tests: sections of records whose fields are given as
// texts, written inside the SERVICIO/BLOQUE_DATOS envelope.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmaro::testing {

using XmlRecord = std::vector<std::string>;  // the dato texts of one record, by position

// One section of a document: its seq and its records.
struct XmlSection {
    std::string seq;
    std::vector<XmlRecord> records;
};

// Escapes the characters that XML text and attributes cannot hold as they are.
inline std::string EscapeXml(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

class SchoolXml {
public:
    SchoolXml() = default;
    // A document with `sections`, in order.
    SchoolXml(std::initializer_list<XmlSection> sections) : sections_(sections) {}

    // Adds section `seq` with `records` (UTF-8 texts).
    SchoolXml& Section(std::string seq, std::vector<XmlRecord> records) {
        sections_.push_back({std::move(seq), std::move(records)});
        return *this;
    }

    // The document, UTF-8, with the academic year as the first child of BLOQUE_DATOS.
    std::string Text() const {
        std::string xml =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<SERVICIO modulo=\"HORARIOS\" tipo=\"O\" autor=\"PRUEBA\">\n<BLOQUE_DATOS>\n"
            "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato nombre_dato=\"C_ANNO\">2026</dato>"
            "</grupo_datos>\n";
        for (const XmlSection& section : sections_) {
            xml += "<grupo_datos seq=\"" + EscapeXml(section.seq) + "\">\n";
            for (const XmlRecord& record : section.records) {
                xml += "  <grupo_datos>";
                for (std::size_t i = 0; i < record.size(); ++i) {
                    xml += "<dato nombre_dato=\"F" + std::to_string(i) + "\">" +
                           EscapeXml(record[i]) + "</dato>";
                }
                xml += "</grupo_datos>\n";
            }
            xml += "</grupo_datos>\n";
        }
        return xml + "</BLOQUE_DATOS>\n</SERVICIO>\n";
    }

private:
    std::vector<XmlSection> sections_;
};

}  // namespace velmaro::testing
