#pragma once
// Runs converter steps on a small exchange document in a scratch work-table folder, with a
// scripted user and a program folder beside it.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "exchange/ExchangeDocument.h"
#include "inbound/InboundContext.h"
#include "support/FakeInteraction.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"
#include "support/TableRows.h"

namespace velmaro::testing {

class StepFixture {
public:
    // A fixture without a document yet (Run or Load gives it one).
    StepFixture() = default;
    // A fixture with `school` written and loaded.
    explicit StepFixture(const SchoolXml& school) { Load(school); }

    // Writes `school` as the exchange document and loads it.
    void Load(const SchoolXml& school) {
        scratch_.File(kDocumentName, school.Text());
        document_ = std::make_unique<ExchangeDocument>(ExchangeDocument::Load(DocumentPath()));
    }

    // A fresh context for one run of a step (fresh lists, as every inbound conversion gets).
    InboundContext Context() {
        return InboundContext{*document_, WorkDir(), ProgramDir(), DocumentPath(), user, {}};
    }

    // Loads `school` and runs `steps` on it, in order, with one context.
    void Run(const SchoolXml& school, const std::vector<void (*)(InboundContext&)>& steps) {
        Load(school);
        InboundContext context = Context();
        for (auto step : steps) step(context);
        lastLists_ = std::move(context.lists);
        lastReport_ = std::move(context.report);
    }

    std::filesystem::path WorkDir() const { return scratch_.Folder("TTEMP"); }
    std::filesystem::path ProgramDir() const { return scratch_.Folder("programa"); }
    std::filesystem::path DocumentPath() const { return scratch_ / kDocumentName; }
    std::filesystem::path WorkTable(const std::string& file) const { return WorkDir() / file; }

    // The text of `fields` in every row of the work table `table`.
    std::vector<TableRow> Rows(const std::string& table, const std::vector<std::string>& fields) {
        return TableRows(WorkTable(table), fields);
    }

    // The subject-name lists as the last Run left them.
    const SubjectNameLists& LastLists() const { return lastLists_; }
    // What the steps of the last Run reported.
    const ConversionReport& LastReport() const { return lastReport_; }

    FakeInteraction user;

private:
    static constexpr const char* kDocumentName = "escuela.xml";
    ScratchFolder scratch_;
    std::unique_ptr<ExchangeDocument> document_;
    SubjectNameLists lastLists_;
    ConversionReport lastReport_;
};

}  // namespace velmaro::testing
