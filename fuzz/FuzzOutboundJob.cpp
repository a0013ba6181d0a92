// The outbound conversion on arbitrary SOLUC.DBF bytes, with the fixed work tables of a small
// school beside it: the whole job, result document included.
#include "FixedWorkTables.h"
#include "jobs/OutboundJob.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const velmaro::fuzz::FixedSchool& school = velmaro::fuzz::FixedWorkTables();
    velmaro::fuzz::WriteInput(school.workDir, "SOLUC.DBF", data, size);
    velmaro::Session session;
    session.paths = {school.workDir, school.programDir};
    velmaro::fuzz::FuzzInteraction ui;
    ui.picks.push_back(school.exchangeDocument);
    velmaro::fuzz::ExpectOnlyError([&] { velmaro::RunOutboundJob(session, ui); });
    return 0;
}
