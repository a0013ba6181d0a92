// The run modes of the program: batch mode from the argument count, the command words, and the
// result code written for Tavolin when the window closes.

#include "jobs/RunModes.h"

#include "jobs/InboundJob.h"
#include "jobs/TavolinIni.h"
#include "jobs/OutboundJob.h"

namespace velmaro {
namespace {

// Tavolin starts the program with exactly this many arguments (the program name not counted).
constexpr std::size_t kBatchArgumentCount = 2;

// `s` with the letters A to Z made small; every other character unchanged.
std::string LowerCaseAsciiLetters(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

}  // namespace

Session CreateSession(const std::vector<std::string>& arguments, PlatformPaths paths) {
    Session session;
    session.paths = std::move(paths);
    session.resultCode = 0;
    session.batchMode = arguments.size() == kBatchArgumentCount;
    return session;
}

void ShowSession(Session& session, const std::vector<std::string>& arguments, UserInteraction& ui) {
    if (!session.batchMode || arguments.size() != kBatchArgumentCount) return;
    const std::string command = LowerCaseAsciiLetters(arguments[0]);
    if (command == "importar") RunOutboundJob(session, ui);
    if (command == "exportar") RunInboundJob(session, ui);
}

void CloseSession(const Session& session) {
    if (!session.batchMode) return;
    WriteProfileInteger(session.paths.programDir / "Tavolin.ini", "Transformadores", "Transformado",
                        session.resultCode);
}

}  // namespace velmaro
