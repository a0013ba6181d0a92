#pragma once
// The conversion report: what a run of either conversion changed or dropped, item by item, each
// with the place it came from (a record of an exchange-document section, or a row of a table),
// grouped by kind with counts. Items are kept compactly (a kind, a place, a few short texts in
// one shared block) and worded in Spanish only when the report is written out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro {

enum class ReportKind : std::uint8_t {
    // inbound conversion
    SubjectWithoutName,    // a MATERIAS record without a name, skipped
    ShortRecordSkipped,    // a record with fewer than two fields, skipped
    CodeSuffixed,          // a code already taken, given a number: table, field, wanted, got
    TextCut,               // a text longer than its field: table, field, width, the text
    CharacterReplaced,     // characters Windows-1252 cannot hold, stored as '?': table, field, text
    UnknownLevel,          // a course given the level "Niv": course key, why
    ShortTimeSlotSkipped,  // a TRAMOS_HORARIOS record with fewer than five fields, skipped
    FrameworkNotChosen,    // a framework left out of the timetable: code, name
    // a framework whose code equals an earlier one's in the ten characters the tables keep, so
    // that the tables cannot tell the two apart: code, name, the earlier one's record number,
    // code, name
    FrameworkLikeAnother,
    // outbound conversion
    RowOfUnknownTeacher,  // a placed SOLUC row whose teacher is not in PROFT, not sent
    SlotNotFound,         // a SOLUC row whose day and period its framework lacks
    KeyNotFound,          // a key that resolved to nothing, sent empty
};

inline constexpr std::size_t kReportKindCount = 12;

// The kinds each conversion can record, in the order the report lists them.
inline constexpr std::array<ReportKind, 9> kInboundReportKinds = {
    ReportKind::SubjectWithoutName,   ReportKind::ShortRecordSkipped,
    ReportKind::CodeSuffixed,         ReportKind::TextCut,
    ReportKind::CharacterReplaced,    ReportKind::UnknownLevel,
    ReportKind::ShortTimeSlotSkipped, ReportKind::FrameworkNotChosen,
    ReportKind::FrameworkLikeAnother};
inline constexpr std::array<ReportKind, 3> kOutboundReportKinds = {
    ReportKind::RowOfUnknownTeacher, ReportKind::SlotNotFound, ReportKind::KeyNotFound};

// Where an item came from: record `number` of section `name`, or row `number` of table `name`,
// counted from 1 in document or stored order.
struct ReportPlace {
    enum class Of : std::uint8_t { SectionRecord, TableRow };
    Of of;
    std::string_view name;
    std::size_t number;
};

// The place of the record at 0-based `position` of `section`.
ReportPlace SectionRecord(std::string_view section, std::size_t position);
// The place of the row at 0-based `position` of `table` (a file name such as "SOLUC.DBF").
ReportPlace TableRow(std::string_view table, std::size_t position);

class ConversionReport {
public:
    // Records one item; `details` are the texts its kind words (see ReportKind), copied.
    void Add(ReportKind kind, const ReportPlace& place,
             std::initializer_list<std::string_view> details);

    // How many items of `kind` were recorded.
    std::size_t Count(ReportKind kind) const;
    // The Spanish title of `kind`, as the summary and the report list it.
    static std::string_view Title(ReportKind kind);

    // The report's body for `kinds`: a summary line per kind with its count, then, for every kind
    // with items, its title and one line per item ("  MATERIAS, registro 12: ..."), in the order
    // they were recorded. UTF-8, lines ended by CR LF.
    std::string Text(std::span<const ReportKind> kinds) const;

private:
    struct Item {
        ReportKind kind;
        ReportPlace::Of placeOf;
        std::uint16_t placeName;  // index into names_
        std::uint32_t placeNumber;
        std::uint32_t firstDetail;  // index into detailEnds_ of the item's first detail
        std::uint8_t detailCount;
    };

    std::uint16_t NameIndex(std::string_view name);
    std::string_view Detail(std::uint32_t index) const;
    void AppendItemLine(const Item& item, std::string& text) const;

    std::vector<Item> items_;
    std::vector<std::string> names_;         // section and table names, each once
    std::string details_;                    // every detail text, one after another
    std::vector<std::uint32_t> detailEnds_;  // where each detail ends in details_
    std::array<std::size_t, kReportKindCount> counts_{};
};

}  // namespace velmaro
