#include "inbound/StoredTextReport.h"

#include <algorithm>

#include "text/IntegerText.h"

namespace velmaro {

StoredTextReport::StoredTextReport(ConversionReport& report, DbfTable& table,
                                   const TableLayout& layout, std::string_view section)
    : report_(report), table_(table), layout_(layout), section_(section) {
    table_.WatchStoredText(this);
}

StoredTextReport::~StoredTextReport() { table_.WatchStoredText(nullptr); }

void StoredTextReport::Ignore(std::string_view field) {
    ignored_.push_back(table_.Field(field).index);
}

void StoredTextReport::TextChanged(std::size_t, std::size_t fieldIndex, std::string_view value,
                                   StoredTextChange change) {
    if (!position_ || fieldIndex >= layout_.fields.size()) return;
    if (std::find(ignored_.begin(), ignored_.end(), fieldIndex) != ignored_.end()) return;
    const FieldLayout& field = layout_.fields[fieldIndex];
    const ReportPlace place = SectionRecord(section_, *position_);
    if (change.cut) {
        report_.Add(ReportKind::TextCut, place,
                    {layout_.fileName, field.name, IntegerToText(field.width), value});
    }
    if (change.replaced) {
        report_.Add(ReportKind::CharacterReplaced, place, {layout_.fileName, field.name, value});
    }
}

}  // namespace velmaro
