#pragma once
// Small exchange documents for the converter-step tests, and reading
// tables back through the dBase engine.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exchange/ExchangeDocument.h"
#include "inbound/InboundContext.h"
#include "support/FakeInteraction.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"

namespace velmaro::testing {

// One record: its dato texts, in order.
using Record = std::vector<std::string>;

// One section of the document: its seq and its records.
struct Section {
    std::string seq;
    std::vector<Record> records;
};

inline std::string EscapeXml(const std::string& text) {
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
            default:
                escaped += c;
        }
    }
    return escaped;
}

// The exchange document text with `sections` in one BLOQUE_DATOS.
inline std::string ExchangeXml(const std::vector<Section>& sections) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO>\n<BLOQUE_DATOS>\n"
        "<dato nombre_dato=\"C_ANNO\">2024</dato>\n";
    for (const Section& section : sections) {
        xml += "<grupo_datos seq=\"" + section.seq + "\">\n";
        for (const Record& record : section.records) {
            xml += "  <grupo_datos>";
            for (const std::string& field : record) xml += "<dato>" + EscapeXml(field) + "</dato>";
            xml += "</grupo_datos>\n";
        }
        xml += "</grupo_datos>\n";
    }
    return xml + "</BLOQUE_DATOS>\n</SERVICIO>\n";
}

// The rows of a table, each as field name -> text.
using Rows = std::vector<std::map<std::string, std::string>>;

inline Rows ReadRows(const std::filesystem::path& table) {
    DbfTable dbf = DbfTable::Open(table, TableAccess::Shared);
    Rows rows;
    for (std::size_t row = 0; row < dbf.RecordCount(); ++row) {
        std::map<std::string, std::string> values;
        for (const std::string& field : dbf.FieldNames()) values[field] = dbf.Text(row, field);
        rows.push_back(std::move(values));
    }
    return rows;
}

// Writes `table` with `layout`, one row per map of field -> text.
inline void WriteRows(const std::filesystem::path& table, const TableLayout& layout,
                      const Rows& rows, DbfLevel level = DbfLevel::DBase3) {
    DbfTable dbf = DbfTable::Create(table, layout, level);
    for (const auto& values : rows) {
        const std::size_t row = dbf.Append();
        for (const auto& [field, text] : values) dbf.SetText(row, field, text);
    }
    dbf.Close();
}

// One row of the reference table NIVELLARI.DBF.
struct LevelRow {
    int key;
    std::string level;
    std::string study;
};

// Writes NIVELLARI.DBF (dBase 7, as shipped) into `programDir`.
inline void WriteReferenceTable(const std::filesystem::path& programDir,
                                const std::vector<LevelRow>& rows) {
    const TableLayout layout{"NIVELLARI.DBF",
                             {{"X_OFERTAMATRIG", FieldKind::Integer, 0},
                              {"NIVEL_ABREV", FieldKind::Character, 10},
                              {"ESTUDIO", FieldKind::Character, 80}},
                             std::nullopt};
    DbfTable dbf = DbfTable::Create(programDir / "NIVELLARI.DBF", layout, DbfLevel::DBase7);
    for (const LevelRow& level : rows) {
        const std::size_t row = dbf.Append();
        dbf.SetInteger(row, "X_OFERTAMATRIG", level.key);
        dbf.SetText(row, "NIVEL_ABREV", level.level);
        dbf.SetText(row, "ESTUDIO", level.study);
    }
    dbf.Close();
}

// A work-table folder, a program folder and a scripted user around one document, ready for a
// step to run on.
class StepRun {
public:
    explicit StepRun(const std::vector<Section>& sections) {
        std::filesystem::create_directories(WorkDir());
        std::filesystem::create_directories(ProgramDir());
        WriteBytes(DocumentPath(), ExchangeXml(sections));
        document_ = std::make_unique<ExchangeDocument>(ExchangeDocument::Load(DocumentPath()));
    }

    std::filesystem::path WorkDir() const { return root_.Path() / "ttemp"; }
    std::filesystem::path ProgramDir() const { return root_.Path() / "programa"; }
    std::filesystem::path DocumentPath() const { return root_.Path() / "centro.xml"; }
    std::filesystem::path WorkTable(const std::string& file) const { return WorkDir() / file; }

    // A fresh context for one run of a step (fresh lists, as every inbound conversion gets).
    InboundContext Context() {
        return InboundContext{*document_, WorkDir(), ProgramDir(), DocumentPath(), user, {}};
    }

    FakeInteraction user;

private:
    ScratchFolder root_;
    std::unique_ptr<ExchangeDocument> document_;
};

}  // namespace velmaro::testing
