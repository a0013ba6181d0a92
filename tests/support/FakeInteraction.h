#pragma once
// A scripted stand-in for the user: answers the file dialog and the framework dialog from
// queues, and records every message, error and wait-cursor change.

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/UserInteraction.h"

namespace velmaro::testing {

class FakeInteraction : public UserInteraction {
public:
    // Answers of the file-open dialog, in order; nothing means "cancelled". When the queue is
    // empty the dialog is cancelled.
    std::deque<std::optional<std::filesystem::path>> picks;
    // Answers of the framework dialog, in order. When the queue is empty, ChooseFrameworks
    // throws, so a test never loops forever.
    std::deque<FrameworkSelection> frameworkAnswers;

    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::filesystem::path> frameworkDialogDocuments;
    bool waiting = false;
    int waitCursorChanges = 0;

    std::optional<std::filesystem::path> PickExchangeDocument() override {
        if (picks.empty()) return std::nullopt;
        auto pick = picks.front();
        picks.pop_front();
        return pick;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void SetWaitCursor(bool on) override {
        waiting = on;
        ++waitCursorChanges;
    }
    FrameworkSelection ChooseFrameworks(const std::filesystem::path& document) override {
        frameworkDialogDocuments.push_back(document);
        if (frameworkAnswers.empty()) throw Error("FakeInteraction: no framework answer left");
        auto answer = frameworkAnswers.front();
        frameworkAnswers.pop_front();
        return answer;
    }
};

}  // namespace velmaro::testing
