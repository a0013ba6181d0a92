#pragma once
// Runs converter steps on a small exchange document in a scratch work-table folder.

#include <gtest/gtest.h>

#include <functional>
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
    // Loads `school` and runs `steps` on it, in order, with one context.
    void Run(const SchoolXml& school, const std::vector<void (*)(InboundContext&)>& steps) {
        const auto file = scratch_.File("escuela.xml", school.Text());
        const ExchangeDocument document = ExchangeDocument::Load(file);
        InboundContext context{document, WorkDir(), scratch_.Folder("programa"), file, ui_, {}};
        for (auto step : steps) step(context);
        lastLists_ = std::move(context.lists);
    }

    std::filesystem::path WorkDir() const { return scratch_.Folder("TTEMP"); }

    std::vector<TableRow> Rows(const std::string& table, const std::vector<std::string>& fields) {
        return TableRows(WorkDir() / table, fields);
    }

    // The subject-name lists as the last run left them.
    const SubjectNameLists& LastLists() const { return lastLists_; }

private:
    ScratchFolder scratch_;
    FakeInteraction ui_;
    SubjectNameLists lastLists_;
};

}  // namespace velmaro::testing
