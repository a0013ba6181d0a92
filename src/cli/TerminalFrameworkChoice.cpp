#include "cli/TerminalFrameworkChoice.h"

#include <algorithm>
#include <iostream>
#include <system_error>
#include <unordered_map>

#include "base/Error.h"
#include "base/ProcessConsole.h"
#include "base/QuotedPath.h"
#include "cli/TerminalInteraction.h"
#include "exchange/ExchangeDocument.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"

namespace velmaro {

namespace {

constexpr const char* kPrompt =
    "Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su Horario en Tavolin.";
constexpr const char* kAnswerHint = "Números de la lista separados por comas (por ejemplo 1,2): ";

// The comma-separated pieces of `text`, trimmed; empty pieces are dropped.
std::vector<std::string> CommaSeparated(const std::string& text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string piece = TrimBlanks(text.substr(start, comma - start));
        if (!piece.empty()) pieces.push_back(std::move(piece));
        start = comma + 1;
    }
    return pieces;
}

std::string FrameworkListFor(const std::filesystem::path& document,
                             const FrameworkCatalog& catalog) {
    return "Marcos Horarios del archivo " + Quoted(document) + ":\n" +
           NumberedFrameworkList(catalog);
}

// The list entries numbered in `line` (from 1), or nothing when a piece is not such a number.
std::optional<std::vector<bool>> EntriesNumbered(const std::string& line, std::size_t entries,
                                                 std::ostream& out) {
    std::vector<bool> selected(entries, false);
    for (const std::string& piece : CommaSeparated(line)) {
        int number = 0;
        try {
            number = ParseInteger(piece);
        } catch (const Error&) {
            number = 0;
        }
        if (number < 1 || static_cast<std::size_t>(number) > entries) {
            out << "'" << piece << "' no es un número de la lista (1 a " << entries << ").\n";
            return std::nullopt;
        }
        selected[static_cast<std::size_t>(number) - 1] = true;
    }
    return selected;
}

// How to choose one of several frameworks that share a code given in `marcos`, which chooses
// them all; nothing when no given code names more than one.
std::string SharedCodeHint(const FrameworkCatalog& catalog, const std::string& marcos) {
    for (const std::string& given : CommaSeparated(marcos)) {
        const CodeMatch match = MatchFrameworkCodes(catalog.Codes(), given);
        if (std::count(match.selected.begin(), match.selected.end(), true) > 1) {
            return "El código " + given +
                   " es el de varios Marcos Horarios y --marcos los elige a todos: para elegir "
                   "solo uno, ejecute la orden en un terminal sin --marcos y elíjalo por su "
                   "número de la lista.\n";
        }
    }
    return {};
}

// Why a run without --marcos cannot choose when nobody can answer on the terminal.
std::string NoCodesGivenMessage(const std::filesystem::path& document,
                                const FrameworkCatalog& catalog) {
    return "El archivo " + Quoted(document) + " tiene " + std::to_string(catalog.Codes().size()) +
           " Marcos Horarios y la entrada no es un terminal: indique 1 o 2 con "
           "--marcos CÓDIGO[,CÓDIGO]. No se ha modificado ninguna tabla.\n" +
           FrameworkListFor(document, catalog);
}

}  // namespace

std::string NumberedFrameworkList(const FrameworkCatalog& catalog) {
    std::string list;
    for (std::size_t i = 0; i < catalog.Entries().size(); ++i) {
        const FrameworkEntry& entry = catalog.Entries()[i];
        list += "  " + std::to_string(i + 1) + ") " + entry.code + "  " + entry.name + "  " +
                entry.startDate + " - " + entry.endDate + "\n";
    }
    return list;
}

CodeMatch MatchFrameworkCodes(const std::vector<std::string>& codes, const std::string& marcos) {
    std::unordered_map<std::string, std::vector<std::size_t>> entriesByCode;
    for (std::size_t i = 0; i < codes.size(); ++i) entriesByCode[TrimBlanks(codes[i])].push_back(i);
    CodeMatch match{std::vector<bool>(codes.size(), false), {}};
    for (const std::string& given : CommaSeparated(marcos)) {
        const auto entries = entriesByCode.find(given);
        if (entries == entriesByCode.end()) {
            match.unknown.push_back(given);
            continue;
        }
        for (std::size_t entry : entries->second) match.selected[entry] = true;
    }
    return match;
}

FrameworkSelection SelectFrameworksByCode(const FrameworkCatalog& catalog,
                                          const std::string& marcos,
                                          const std::filesystem::path& document) {
    const CodeMatch match = MatchFrameworkCodes(catalog.Codes(), marcos);
    if (!match.unknown.empty()) {
        std::string unknown;
        for (const std::string& code : match.unknown)
            unknown += (unknown.empty() ? "" : ", ") + code;
        throw Error("--marcos nombra Marcos Horarios que no están en el archivo " +
                    Quoted(document) + ": " + unknown + "\n" + FrameworkListFor(document, catalog));
    }
    const SelectionOutcome outcome = CloseFrameworkSelection(catalog, match.selected);
    if (outcome.message) {
        throw Error("--marcos " + marcos + ": " + *outcome.message + "\n" +
                    SharedCodeHint(catalog, marcos) + FrameworkListFor(document, catalog));
    }
    return outcome.selection;
}

FrameworkSelection AskFrameworksOnTerminal(const FrameworkCatalog& catalog, std::istream& in,
                                           std::ostream& out) {
    out << kPrompt << '\n' << NumberedFrameworkList(catalog);
    for (;;) {
        out << kAnswerHint << std::flush;
        std::string line;
        if (!std::getline(in, line)) {
            throw Error("No se ha elegido ningún Marco Horario: la entrada se ha cerrado.");
        }
        const auto selected = EntriesNumbered(line, catalog.Codes().size(), out);
        if (!selected) continue;
        const SelectionOutcome outcome = CloseFrameworkSelection(catalog, *selected);
        if (outcome.message) out << *outcome.message << '\n';
        return outcome.selection;
    }
}

std::optional<ExchangeDocument> LoadIfReadable(const std::filesystem::path& document) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(document, ignored)) return std::nullopt;
    try {
        return ExchangeDocument::Load(document);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<std::string> FrameworkChoiceProblem(const std::filesystem::path& document,
                                                  const FrameworkCatalog& catalog,
                                                  const std::optional<std::string>& marcos,
                                                  bool interactive) {
    if (catalog.Codes().empty()) return std::nullopt;
    if (marcos) {
        try {
            SelectFrameworksByCode(catalog, *marcos, document);
        } catch (const Error& error) {
            return error.what();
        }
        return std::nullopt;
    }
    if (interactive) return std::nullopt;
    return NoCodesGivenMessage(document, catalog);
}

FrameworkSelection TerminalInteraction::ChooseFrameworks(const std::filesystem::path& document) {
    const FrameworkCatalog catalog =
        catalog_ && !catalog_->Codes().empty() ? *catalog_ : FrameworkCatalog::Load(document);
    if (marcos_) return SelectFrameworksByCode(catalog, *marcos_, document);
    if (!StandardInputIsTerminal()) {
        throw Error(NoCodesGivenMessage(document, catalog));
    }
    return AskFrameworksOnTerminal(catalog, std::cin, messages_);
}

}  // namespace velmaro
