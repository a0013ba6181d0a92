#pragma once
// Work tables made once per process by the inbound conversion of a small fixed school
// (fuzz/data/EscuelaPequena.xml), for the targets that run the outbound conversion.

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "FuzzInput.h"
#include "FuzzInteraction.h"
#include "jobs/InboundJob.h"
#include "jobs/Session.h"

namespace velmaro::fuzz {

// The folders of the fixed school: work tables, program folder and the exchange document.
struct FixedSchool {
    std::filesystem::path workDir;
    std::filesystem::path programDir;
    std::filesystem::path exchangeDocument;
};

// Converts the small school into a work-table folder of the process's temporary folder, once.
inline const FixedSchool& FixedWorkTables() {
    static const FixedSchool school = [] {
        namespace fs = std::filesystem;
        FixedSchool made{ProcessFolder() / "TTEMP", ProcessFolder() / "programa",
                         ProcessFolder() / "racima" / "horario.xml"};
        for (const fs::path& folder :
             {made.workDir, made.programDir, made.exchangeDocument.parent_path()}) {
            fs::create_directories(folder);
        }
        fs::copy_file(fs::path(VELMARO_SOURCE_DIR) / "fuzz/data/EscuelaPequena.xml",
                      made.exchangeDocument);
        fs::copy_file(fs::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF",
                      made.programDir / "NIVELLARI.DBF");
        Session session;
        session.paths = {made.workDir, made.programDir};
        FuzzInteraction ui;
        ui.picks.push_back(made.exchangeDocument);
        RunInboundJob(session, ui);
        if (session.resultCode != 1) {
            std::fprintf(stderr, "No se pudieron preparar las tablas de trabajo: %s\n",
                         ui.errors.empty() ? "" : ui.errors.front().c_str());
            std::abort();
        }
        return made;
    }();
    return school;
}

}  // namespace velmaro::fuzz
