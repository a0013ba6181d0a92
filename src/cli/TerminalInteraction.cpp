#include "cli/TerminalInteraction.h"

#include <ostream>

namespace velmaro {

TerminalInteraction::TerminalInteraction(std::optional<std::filesystem::path> exchangeDocument,
                                         std::optional<std::string> marcos, std::ostream& messages)
    : exchangeDocument_(std::move(exchangeDocument)),
      marcos_(std::move(marcos)),
      messages_(messages) {}

TerminalInteraction::TerminalInteraction(std::optional<std::filesystem::path> exchangeDocument,
                                         std::optional<std::string> marcos, std::ostream& messages,
                                         std::optional<FrameworkCatalog> catalog)
    : exchangeDocument_(std::move(exchangeDocument)),
      marcos_(std::move(marcos)),
      messages_(messages),
      catalog_(std::move(catalog)) {}

std::optional<std::filesystem::path> TerminalInteraction::PickExchangeDocument() {
    return exchangeDocument_;
}

void TerminalInteraction::ShowMessage(const std::string& text) { messages_ << text << '\n'; }

void TerminalInteraction::ShowError(const std::string& text) {
    messages_ << "Error: " << text << '\n';
}

void TerminalInteraction::SetWaitCursor(bool) {}

}  // namespace velmaro
