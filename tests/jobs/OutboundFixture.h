#pragma once
// A work-table folder and exchange document built by hand for the outbound conversion's tests,
// and a compact reading of the result document it writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jobs/ResultTree.h"
#include "jobs/Session.h"
#include "support/ScratchFolder.h"
#include "support/TimetableSchool.h"
#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro::testing {

namespace fs = std::filesystem;

// The names of the work tables that the outbound conversion opens for exclusive use.
inline const std::vector<std::string>& OutboundTableNames() {
    static const std::vector<std::string> names = {
        "SOLUC.DBF",    "GRUPOST.DBF",   "CURSOST.DBF",    "PROFT.DBF", "AULAT.DBF",
        "ASIGNOMT.DBF", "ASIGNOMT2.DBF", "DIASHORAST.DBF", "ASIGT.DBF"};
    return names;
}

// A fresh temporary folder holding work/ (the work tables) and racima/ (the chosen document).
class OutboundFolder {
public:
    OutboundFolder() {
        root_.Folder("work");
        root_.Folder("racima");
    }

    fs::path WorkDir() const { return root_ / "work"; }
    fs::path Exchange() const { return root_ / "racima" / "horario.xml"; }
    fs::path Result() const { return root_ / "racima" / "ResultadoOrvikhorario.xml"; }

    Session MakeSession(bool batch) const {
        Session session;
        session.paths.workDir = WorkDir();
        session.paths.programDir = root_.Path();
        session.batchMode = batch;
        return session;
    }

private:
    ScratchFolder root_;
};

// The result document in a compact form, one line per group:
//   ROOT modulo|tipo|autor                      (fecha left out: it is the current time)
//   ANNO <C_ANNO>
//   HORARIOS <registros> <child count>
//   <seq> <registros> <X_EMPLEADO>|<F_TOMAPOS>  (a teacher group)
//   <seq> v1|v2|...|v11                         (an activity group)
// It fails the test when a dato's nombre_dato is not the expected one in its place.
inline std::vector<std::string> ReadResultOutline(const fs::path& path) {
    std::vector<std::string> lines;
    const std::optional<ResultElement> root = ReadResultTree(path);
    if (!root) {
        ADD_FAILURE() << "no se puede leer " << path;
        return lines;
    }
    auto elements = [](const ResultElement& parent) -> const std::vector<ResultElement>& {
        if (parent.textAmongChildren) ADD_FAILURE() << "text between elements";
        return parent.children;
    };
    auto datoValues = [&](const std::vector<ResultElement>& datos,
                          const std::vector<std::string>& names) {
        std::string joined;
        if (datos.size() < names.size()) {
            ADD_FAILURE() << "a group with " << datos.size() << " dato";
            return joined;
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(datos[i].Attribute("nombre_dato"), names[i]);
            joined += (i ? "|" : "") + datos[i].content;
        }
        return joined;
    };
    static const std::vector<std::string> kActivityNames = {
        "N_DIASEMANA", "X_TRAMO", "X_DEPENDENCIA", "X_UNIDAD", "X_OFERTAMATRIG", "X_MATERIAOMG",
        "F_INICIO",    "F_FIN",   "N_HORINI",      "N_HORFIN", "X_ACTIVIDAD"};

    lines.push_back("ROOT " + root->Attribute("modulo") + "|" + root->Attribute("tipo") + "|" +
                    root->Attribute("autor"));
    const auto& block = elements(elements(*root).at(0));
    lines.push_back("ANNO " + block.at(0).content);
    const auto& teachers = elements(block.at(1));
    lines.push_back("HORARIOS " + block.at(1).Attribute("registros") + " " +
                    std::to_string(teachers.size()));
    for (const ResultElement& teacher : teachers) {
        const auto& children = elements(teacher);
        lines.push_back(teacher.Attribute("seq") + " " + teacher.Attribute("registros") + " " +
                        datoValues(children, {"X_EMPLEADO", "F_TOMAPOS"}));
        for (std::size_t i = 2; i < children.size(); ++i) {
            const auto& datos = elements(children[i]);
            EXPECT_EQ(datos.size(), 11u);
            lines.push_back(children[i].Attribute("seq") + " " + datoValues(datos, kActivityNames));
        }
    }
    return lines;
}

}  // namespace velmaro::testing
