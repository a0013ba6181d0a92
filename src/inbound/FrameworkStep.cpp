#include "inbound/FrameworkStep.h"

#include <cstddef>
#include <string>
#include <vector>

#include "base/Error.h"
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
constexpr long kCodeLength = 10;
constexpr int kFirstDay = 1;
constexpr int kLastDay = 7;
constexpr long long kMinutesPerHour = 60;
// The start given to a framework without a first slot: the first before every other, the
// second after the whole day.
constexpr int kNoFirstSlotStart = 0;
constexpr int kNoSecondSlotStart = 1440;

// The one or two framework codes the timetable applies; the second is empty with one.
struct ChosenCodes {
    std::string first;
    std::string second;
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

std::string SelectionText(InboundContext& ctx, const std::vector<ExchangeRecord>& frameworks) {
    if (frameworks.empty()) {
        throw Error(
            "El archivo '" + ctx.filenameXML.string() +
            "' no contiene ningún Marco Horario (sección JORNADAS_ESCOLARES sin registros): "
            "no se pueden crear los días y horas del horario.");
    }
    if (frameworks.size() == 1) return TrimBlanks(frameworks.front().Field(0));
    FrameworkSelection selection;
    do {
        selection = ctx.ui.ChooseFrameworks(ctx.filenameXML);
    } while (!selection.resultMH);
    return selection.resultado;
}

// Two codes from a text of exactly twenty characters; otherwise one code from its first ten.
ChosenCodes CutChosenCodes(const std::string& selection) {
    if (CharCount(selection) == 2 * kCodeLength) {
        return {TrimBlanks(LeftChars(selection, kCodeLength)),
                TrimBlanks(RightChars(selection, kCodeLength))};
    }
    return {TrimBlanks(LeftChars(selection, kCodeLength)), std::string()};
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
              const ChosenCodes& chosen, DbfTable& grid, const GridFields& fields,
              StoredTextReport& stored,
              std::vector<bool>& isFirstFramework, std::vector<int>& starts) {
    int firstCounter = 0;
    int secondCounter = 0;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const ExchangeRecord& slot = slots[i];
        if (slot.FieldCount() < time_slots::kFieldCount) continue;
        const std::string framework =
            LeftChars(TrimBlanks(slot.Field(time_slots::kFramework)), kCodeLength);
        const bool first = framework == chosen.first;
        if (!first && framework != chosen.second) continue;

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
void SetFrameworkFlags(DbfTable& grid, const GridFields& fields, const ChosenCodes& chosen,
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

// One PERIODOS row per framework record whose code is a chosen one. The code is compared cut
// to ten characters, as the slots are, so that a long code keeps its dates; CJORNADA gets the
// whole code. The frameworks not chosen are reported.
void WritePeriods(InboundContext& ctx, const ChosenCodes& chosen) {
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
        const std::string compared = LeftChars(code, kCodeLength);
        if (compared != chosen.first && compared != chosen.second) {
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

    const ChosenCodes chosen =
        CutChosenCodes(SelectionText(ctx, ctx.document.Records(kFrameworks)));

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
}

}  // namespace velmaro
