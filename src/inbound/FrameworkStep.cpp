#include "inbound/FrameworkStep.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/Utf8Path.h"
#include "inbound/FrameworkChoice.h"
#include "inbound/RecordValueInteger.h"
#include "inbound/StoredTextReport.h"
#include "inbound/TimeSlotRecord.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"
#include "worktables/DbfTable.h"
#include "worktables/MdxIndex.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {

namespace {

namespace diashorast = layouts::diashorast;

constexpr std::string_view kFrameworks = "JORNADAS_ESCOLARES";
constexpr int kFirstDay = 1;
constexpr int kLastDay = 7;
constexpr long long kMinutesPerHour = 60;
// The start given to a framework without a first slot: the first before every other, the
// second after the whole day.
constexpr int kNoFirstSlotStart = 0;
constexpr int kNoSecondSlotStart = 1440;

// The one or two frameworks the timetable applies, as the slots and PERIODOS are matched
// against them.
struct ChosenFrameworks {
    // Their JORNADAS_ESCOLARES records, in document order.
    std::vector<std::size_t> records;
    // Their table codes; the second is empty with one framework.
    std::string first;
    std::string second;
    // A chosen framework's whole code, when another framework of the document has the same
    // table code: only the slots that name this whole code are then its own.
    std::optional<std::string> firstWhole;
    std::optional<std::string> secondWhole;
};

// One slot as it is written for every day.
struct SlotTimes {
    int start = 0;
    int end = 0;
};

// "hh:mm" for a minute count, each part at least two digits; a negative count gets a "-" in
// front of the clock text of its size.
std::string ClockText(long long minutes) {
    if (minutes < 0) return std::string(1, '-') + ClockText(-minutes);
    auto twoDigits = [](long long value) {
        const std::string text = IntegerToText(value);
        return text.size() < 2 ? std::string(1, '0') + text : text;
    };
    return twoDigits(minutes / kMinutesPerHour) + ":" + twoDigits(minutes % kMinutesPerHour);
}

// A start or end time (`meaning`) of the time slot `slot`, from its value `field`: the trimmed
// text, read with a "0" in front when it is shorter than four characters, so that an empty one
// reads as 0. A text that is not a whole number is quoted as the document has it.
int MinutesFromText(const ExchangeDocument& document, const ExchangeRecord& slot,
                    std::string_view meaning, const std::string& field) {
    const std::string text = TrimBlanks(field);
    try {
        return ParseInteger(CharCount(text) < 4 ? "0" + text : text);
    } catch (const Error&) {
        throw NotAnIntegerValue(document, slot, time_slots::kSection, meaning, field);
    }
}

// The document changed between the job's reading and the dialog's: the entries chosen are
// not those the job converts.
Error ChosenFromAnotherDocument(const InboundContext& ctx) {
    return Error("El archivo '" + Utf8FromPath(ctx.filenameXML) +
                 "' ha cambiado mientras se elegían los Marcos Horarios: la elección no "
                 "corresponde a los Marcos Horarios que se están convirtiendo.");
}

// The entries of `selection`, checked again by the dialog's own rule against the document the
// step converts, so that a choice the tables could not keep apart never reaches them.
std::vector<std::size_t> CheckedEntries(const InboundContext& ctx,
                                        const FrameworkSelection& selection) {
    const FrameworkCatalog catalog(ctx.document);
    std::vector<bool> selected(catalog.Codes().size(), false);
    for (std::size_t entry : selection.chosen) {
        if (entry >= selected.size()) throw ChosenFromAnotherDocument(ctx);
        selected[entry] = true;
    }
    const SelectionOutcome outcome = CloseFrameworkSelection(catalog, selected);
    if (outcome.message) {
        throw Error("La elección de Marcos Horarios para el archivo '" +
                    Utf8FromPath(ctx.filenameXML) + "' no es válida: " + *outcome.message);
    }
    if (outcome.selection.resultado != selection.resultado) throw ChosenFromAnotherDocument(ctx);
    return outcome.selection.chosen;
}

// The records chosen: the only one, or those the user picks (asked again, and again, while the
// choice is not valid).
std::vector<std::size_t> ChosenRecords(InboundContext& ctx,
                                       const std::vector<ExchangeRecord>& frameworks) {
    if (frameworks.empty()) {
        throw Error(
            "El archivo '" + Utf8FromPath(ctx.filenameXML) +
            "' no contiene ningún Marco Horario (sección JORNADAS_ESCOLARES sin registros): "
            "no se pueden crear los días y horas del horario.");
    }
    if (frameworks.size() == 1) return {0};
    FrameworkSelection selection;
    do {
        selection = ctx.ui.ChooseFrameworks(ctx.filenameXML);
    } while (!selection.resultMH);
    return CheckedEntries(ctx, selection);
}

// The whole code of `record` when another framework record has the same table code.
std::optional<std::string> WholeCodeWhenShared(const std::vector<ExchangeRecord>& frameworks,
                                               std::size_t record) {
    const std::string tableCode = TableCode(frameworks[record].Field(0));
    for (std::size_t other = 0; other < frameworks.size(); ++other) {
        if (other != record && TableCode(frameworks[other].Field(0)) == tableCode) {
            return TrimBlanks(frameworks[record].Field(0));
        }
    }
    return std::nullopt;
}

// The chosen frameworks with the codes their slots are matched by.
ChosenFrameworks ChooseFrameworks(InboundContext& ctx,
                                  const std::vector<ExchangeRecord>& frameworks) {
    ChosenFrameworks chosen;
    chosen.records = ChosenRecords(ctx, frameworks);
    chosen.first = TableCode(frameworks[chosen.records[0]].Field(0));
    chosen.firstWhole = WholeCodeWhenShared(frameworks, chosen.records[0]);
    if (chosen.records.size() == 2) {
        chosen.second = TableCode(frameworks[chosen.records[1]].Field(0));
        chosen.secondWhole = WholeCodeWhenShared(frameworks, chosen.records[1]);
    }
    return chosen;
}

// Whether a slot naming `framework` (its trimmed code) belongs to the chosen framework of
// `tableCode`: by the table code, and by the whole code where the table code is shared.
bool SlotOf(const std::string& framework, const std::string& tableCode,
            const std::optional<std::string>& wholeCode) {
    return TableCode(framework) == tableCode && (!wholeCode || framework == *wholeCode);
}

// Whether PERIODOS.DBF gets framework record `record`: a chosen one, or, with one framework
// chosen, one with an empty code, which the empty second code matches as it matches the slots
// that name no framework.
bool PeriodOf(const ChosenFrameworks& chosen, const std::vector<ExchangeRecord>& frameworks,
              std::size_t record) {
    if (std::find(chosen.records.begin(), chosen.records.end(), record) != chosen.records.end()) {
        return true;
    }
    return chosen.records.size() == 1 && !chosen.first.empty() &&
           TableCode(frameworks[record].Field(0)).empty();
}

// The fields of DIASHORAST.DBF the step sets, found once.
struct GridFields {
    explicit GridFields(const DbfTable& grid)
        : diho(grid.Field(diashorast::DIHO)), hora(grid.Field(diashorast::HORA)),
          dia(grid.Field(diashorast::DIA)), textoHor(grid.Field(diashorast::TEXTOHOR)),
          codDiho(grid.Field(diashorast::CODDIHO)), horaDesde(grid.Field(diashorast::HORADESDE)),
          horaHasta(grid.Field(diashorast::HORAHASTA)), minutos(grid.Field(diashorast::MINUTOS)),
          marco(grid.Field(diashorast::MARCO)), marcoXml(grid.Field(diashorast::MARCOXML)) {}
    DbfTable::FieldHandle diho, hora, dia, textoHor, codDiho, horaDesde, horaHasta, minutos, marco,
        marcoXml;
};

// Records the slots that name no framework, which no day gets.
void ReportShortSlots(ConversionReport& report, const std::vector<ExchangeRecord>& slots) {
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const ExchangeRecord& slot = slots[i];
        if (slot.FieldCount() >= time_slots::kFieldCount) continue;
        report.Add(ReportKind::ShortTimeSlotSkipped, SectionRecord(time_slots::kSection, i),
                   {IntegerToText(static_cast<long long>(slot.FieldCount())),
                    TrimBlanks(slot.Field(time_slots::kCode))});
    }
}

// Appends the rows of one day; `isFirstFramework` and `starts` get one entry per row. Every day
// stores the same slot texts, so only the first day's rows tell `stored` where they came from.
void WriteDay(int day, const ExchangeDocument& document, const std::vector<ExchangeRecord>& slots,
              const ChosenFrameworks& chosen, DbfTable& grid, const GridFields& fields,
              StoredTextReport& stored,
              std::vector<bool>& isFirstFramework, std::vector<int>& starts) {
    int firstCounter = 0;
    int secondCounter = 0;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const ExchangeRecord& slot = slots[i];
        if (slot.FieldCount() < time_slots::kFieldCount) continue;
        const std::string wholeCode = TrimBlanks(slot.Field(time_slots::kFramework));
        const bool first = SlotOf(wholeCode, chosen.first, chosen.firstWhole);
        if (!first && !SlotOf(wholeCode, chosen.second, chosen.secondWhole)) continue;
        const std::string framework = TableCode(wholeCode);

        const SlotTimes times{
            MinutesFromText(document, slot, "hora de inicio", slot.Field(time_slots::kStart)),
            MinutesFromText(document, slot, "hora de fin", slot.Field(time_slots::kEnd))};
        const int period = first ? ++firstCounter : ++secondCounter;
        if (day == kFirstDay) {
            stored.From(i);
        } else {
            stored.Quiet();
        }
        const std::size_t row = grid.Append();
        grid.SetText(row, fields.diho, IntegerToText(day) + IntegerToText(period));
        grid.SetText(row, fields.hora, IntegerToText(period));
        grid.SetText(row, fields.dia, IntegerToText(day));
        grid.SetText(row, fields.textoHor, TrimBlanks(slot.Field(time_slots::kLabel)));
        grid.SetText(row, fields.codDiho, TrimBlanks(slot.Field(time_slots::kCode)));
        grid.SetText(row, fields.horaDesde, ClockText(times.start));
        grid.SetText(row, fields.horaHasta, ClockText(times.end));
        grid.SetText(row, fields.minutos,
                     IntegerToText(static_cast<long long>(times.end) - times.start));
        grid.SetText(row, fields.marcoXml, framework);
        isFirstFramework.push_back(first);
        starts.push_back(times.start);
    }
}

// The start of a framework's first slot on day 1 (the row DIHO 11 with its code), or `absent`.
int FirstSlotStart(DbfTable& grid, const GridFields& fields, const std::string& code,
                   const std::vector<int>& starts, int absent) {
    const auto row = grid.Locate({{fields.diho, "11"}, {fields.marcoXml, code}});
    return row ? starts[*row] : absent;
}

// MARCO 0 for the framework whose first slot starts earlier (the first one on equal starts).
void SetFrameworkFlags(DbfTable& grid, const GridFields& fields, const ChosenFrameworks& chosen,
                       const std::vector<bool>& isFirstFramework, const std::vector<int>& starts) {
    const int firstStart = FirstSlotStart(grid, fields, chosen.first, starts, kNoFirstSlotStart);
    const int secondStart =
        FirstSlotStart(grid, fields, chosen.second, starts, kNoSecondSlotStart);
    const bool firstIsEarlier = firstStart <= secondStart;
    const std::string firstFlag = firstIsEarlier ? "0" : "1";
    const std::string secondFlag = firstIsEarlier ? "1" : "0";
    for (std::size_t row = 0; row < grid.RecordCount(); ++row) {
        grid.SetText(row, fields.marco, isFirstFramework[row] ? firstFlag : secondFlag);
    }
}

// Records every framework that the tables cannot tell apart from an earlier one, whatever was
// chosen: two such frameworks are never applied together.
void ReportFrameworksAlike(ConversionReport& report, const std::vector<ExchangeRecord>& frameworks) {
    std::vector<std::string> codes;
    for (const ExchangeRecord& framework : frameworks) codes.push_back(framework.Field(0));
    const std::vector<std::optional<std::size_t>> alike = EarlierEntryAlike(codes);
    for (std::size_t i = 0; i < frameworks.size(); ++i) {
        if (!alike[i]) continue;
        const ExchangeRecord& earlier = frameworks[*alike[i]];
        report.Add(ReportKind::FrameworkLikeAnother, SectionRecord(kFrameworks, i),
                   {TrimBlanks(codes[i]), TrimBlanks(frameworks[i].Field(1)),
                    IntegerToText(static_cast<long long>(*alike[i] + 1)),
                    TrimBlanks(earlier.Field(0)), TrimBlanks(earlier.Field(1))});
    }
}

// One PERIODOS row per chosen framework record (CJORNADA gets the whole code, which the table
// cuts to its width). The frameworks not chosen are reported.
void WritePeriods(InboundContext& ctx, const ChosenFrameworks& chosen) {
    DbfTable periods =
        DbfTable::Open(ctx.workDir / layouts::PERIODOS.fileName, TableAccess::Shared);
    StoredTextReport stored(ctx.report, periods, layouts::PERIODOS, kFrameworks);
    const DbfTable::FieldHandle cJornada = periods.Field(layouts::periodos::CJORNADA);
    const DbfTable::FieldHandle jornada = periods.Field(layouts::periodos::JORNADA);
    const DbfTable::FieldHandle fecIni = periods.Field(layouts::periodos::FECINI);
    const DbfTable::FieldHandle fecFin = periods.Field(layouts::periodos::FECFIN);
    const std::vector<ExchangeRecord> frameworks = ctx.document.Records(kFrameworks);
    for (std::size_t i = 0; i < frameworks.size(); ++i) {
        const ExchangeRecord& framework = frameworks[i];
        const std::string code = TrimBlanks(framework.Field(0));
        if (!PeriodOf(chosen, frameworks, i)) {
            ctx.report.Add(ReportKind::FrameworkNotChosen, SectionRecord(kFrameworks, i),
                           {code, TrimBlanks(framework.Field(1))});
            continue;
        }
        stored.From(i);
        const std::size_t row = periods.Append();
        periods.SetText(row, cJornada, code);
        periods.SetText(row, jornada, TrimBlanks(framework.Field(1)));
        periods.SetText(row, fecIni, TrimBlanks(framework.Field(2)));
        periods.SetText(row, fecFin, TrimBlanks(framework.Field(3)));
    }
    periods.Close();
}

}  // namespace

void RunFrameworkStep(InboundContext& ctx) {
    for (const TableLayout* layout : {&layouts::DIASHORAST, &layouts::DIASHORAST2}) {
        RemoveWorkFile(ctx.workDir, layout->fileName);
        RemoveWorkFile(ctx.workDir, dbf::IndexFileName(layout->fileName));
    }
    RemoveWorkFile(ctx.workDir, std::string(layouts::JORNADAS_FILE_NAME));
    DbfTable grid = RebuildWorkTable(ctx.workDir, layouts::DIASHORAST);
    RebuildWorkTable(ctx.workDir, layouts::DIASHORAST2).Close();
    // Created over an earlier PERIODOS.DBF without removing it first.
    DbfTable::Create(ctx.workDir / layouts::PERIODOS.fileName, layouts::PERIODOS).Close();

    const ChosenFrameworks chosen = ChooseFrameworks(ctx, ctx.document.Records(kFrameworks));

    std::vector<bool> isFirstFramework;
    std::vector<int> starts;
    const GridFields fields(grid);
    {
        StoredTextReport stored(ctx.report, grid, layouts::DIASHORAST, time_slots::kSection);
        ReportShortSlots(ctx.report, ctx.document.Records(time_slots::kSection));
        for (int day = kFirstDay; day <= kLastDay; ++day) {
            WriteDay(day, ctx.document, ctx.document.Records(time_slots::kSection), chosen, grid,
                     fields, stored, isFirstFramework, starts);
        }
    }
    SetFrameworkFlags(grid, fields, chosen, isFirstFramework, starts);
    grid.Close();

    WritePeriods(ctx, chosen);
    ReportFrameworksAlike(ctx.report, ctx.document.Records(kFrameworks));
}

}  // namespace velmaro
