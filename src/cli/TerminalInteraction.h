#pragma once
// The user-interaction seam of velmaro-cli: answers from the command line, messages on stderr.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "base/UserInteraction.h"
#include "inbound/FrameworkChoice.h"

namespace velmaro {

class TerminalInteraction : public UserInteraction {
public:
    // `exchangeDocument` answers the file dialog (nothing: cancelled); `marcos` holds the
    // --marcos codes ("CODE[,CODE]") for the framework choice. Messages go to `messages`.
    TerminalInteraction(std::optional<std::filesystem::path> exchangeDocument,
                        std::optional<std::string> marcos, std::ostream& messages);
    // The same, answering the framework choice from `catalog`, the frameworks of the exchange
    // document as this run read it, instead of reading the document again.
    TerminalInteraction(std::optional<std::filesystem::path> exchangeDocument,
                        std::optional<std::string> marcos, std::ostream& messages,
                        std::optional<FrameworkCatalog> catalog);

    // The --xml path.
    std::optional<std::filesystem::path> PickExchangeDocument() override;
    // Prints the message on its own line.
    void ShowMessage(const std::string& text) override;
    // Prints the message after "Error: ".
    void ShowError(const std::string& text) override;
    // A terminal has no cursor to change.
    void SetWaitCursor(bool waiting) override;
    // The frameworks named by --marcos, or chosen from a numbered list; from the catalog given
    // at construction when it lists frameworks, otherwise read from `exchangeDocument`.
    FrameworkSelection ChooseFrameworks(const std::filesystem::path& exchangeDocument) override;

private:
    std::optional<std::filesystem::path> exchangeDocument_;
    std::optional<std::string> marcos_;
    std::ostream& messages_;
    std::optional<FrameworkCatalog> catalog_;
};

}  // namespace velmaro
