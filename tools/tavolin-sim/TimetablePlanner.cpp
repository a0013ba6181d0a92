#include "TimetablePlanner.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "text/TextHelpers.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro::sim {
namespace {

constexpr int kLastSchoolDay = 5;
constexpr std::size_t kUnplacedLessonEvery = 13;
constexpr std::size_t kUnplacedTaskEvery = 6;
constexpr std::size_t kLessonWithoutRoomEvery = 5;

struct Period {
    int dia = 0;
    int hora = 0;
};

struct Lesson {
    std::string subject;  // ASIGT.CASIG
    std::string group;    // ASIGT.CGRUP
    double hours = 0;     // ASIGT.HORAS, the weekly load
};

// What the work tables offer to plan with.
struct SchoolData {
    std::vector<std::string> teachers;                        // PROFT.ABREV
    std::vector<Lesson> lessons;                              // ASIGT rows
    std::unordered_map<std::string, std::size_t> groupIndex;  // GRUPOST.ABREV -> position
    std::vector<std::string> tasks;                           // ASIGNOMT.COD of task rows
    std::map<std::string, std::vector<Period>> periods;       // MARCO -> periods, by day and hour
    std::vector<std::string> rooms;                           // AULAT.ABREV
};

DbfTable OpenTable(const std::filesystem::path& workDir, const TableLayout& layout) {
    return DbfTable::Open(workDir / layout.fileName, TableAccess::Shared);
}

// The non-blank values of one field, in stored order and exactly as stored: a code may begin
// with a blank, and the timetable must name it as the other tables do.
std::vector<std::string> FieldValues(DbfTable& table, std::string_view field) {
    std::vector<std::string> values;
    for (std::size_t row = 0; row < table.RecordCount(); ++row) {
        std::string value = table.Text(row, field);
        if (!TrimBlanks(value).empty()) values.push_back(std::move(value));
    }
    return values;
}

std::map<std::string, std::vector<Period>> ReadPeriods(DbfTable& table) {
    std::map<std::string, std::vector<Period>> all;
    for (std::size_t row = 0; row < table.RecordCount(); ++row) {
        all[table.Text(row, layouts::diashorast::MARCO)].push_back(
            {table.Integer(row, layouts::diashorast::DIA), table.Integer(row, layouts::diashorast::HORA)});
    }
    std::map<std::string, std::vector<Period>> periods;
    for (auto& [marco, list] : all) {
        std::sort(list.begin(), list.end(), [](const Period& a, const Period& b) {
            return a.dia != b.dia ? a.dia < b.dia : a.hora < b.hora;
        });
        std::vector<Period> schoolWeek;
        for (const Period& period : list) {
            if (period.dia >= 1 && period.dia <= kLastSchoolDay) schoolWeek.push_back(period);
        }
        periods[marco] = schoolWeek.empty() ? list : schoolWeek;
    }
    return periods;
}

SchoolData ReadSchool(const std::filesystem::path& workDir) {
    SchoolData school;
    DbfTable proft = OpenTable(workDir, layouts::PROFT);
    school.teachers = FieldValues(proft, layouts::proft::ABREV);

    DbfTable asigt = OpenTable(workDir, layouts::ASIGT);
    for (std::size_t row = 0; row < asigt.RecordCount(); ++row) {
        std::string hoursText = "0";  // a blank HORAS reads as no hours
        hoursText += asigt.Text(row, layouts::asigt::HORAS);
        const double hours = std::stod(hoursText);
        school.lessons.push_back({asigt.Text(row, layouts::asigt::CASIG), asigt.Text(row, layouts::asigt::CGRUP), hours});
    }

    DbfTable grupost = OpenTable(workDir, layouts::GRUPOST);
    const std::vector<std::string> groups = FieldValues(grupost, layouts::grupost::ABREV);
    for (std::size_t i = 0; i < groups.size(); ++i) school.groupIndex.emplace(groups[i], i);

    DbfTable asignomt = OpenTable(workDir, layouts::ASIGNOMT);
    for (std::size_t row = 0; row < asignomt.RecordCount(); ++row) {
        if (asignomt.Text(row, layouts::asignomt::ESTAREA) == "T") school.tasks.push_back(asignomt.Text(row, layouts::asignomt::COD));
    }

    DbfTable diashorast = OpenTable(workDir, layouts::DIASHORAST);
    school.periods = ReadPeriods(diashorast);

    DbfTable aulat = OpenTable(workDir, layouts::AULAT);
    school.rooms = FieldValues(aulat, layouts::aulat::ABREV);
    return school;
}

// Who is busy when: one key per teacher or group, framework and period.
class Occupancy {
public:
    bool IsFree(const std::string& who, const std::string& marco, const Period& p) const {
        return busy_.count(Key(who, marco, p)) == 0;
    }
    void Take(const std::string& who, const std::string& marco, const Period& p) {
        busy_.insert(Key(who, marco, p));
    }

private:
    static std::string Key(const std::string& who, const std::string& marco, const Period& p) {
        return who + '\x1F' + marco + '\x1F' + std::to_string(p.dia) + '.' + std::to_string(p.hora);
    }
    std::unordered_set<std::string> busy_;
};

class Planner {
public:
    explicit Planner(SchoolData school) : school_(std::move(school)) {
        for (const auto& [marco, list] : school_.periods) {
            if (!list.empty()) frameworks_.push_back(marco);
        }
        for (const Lesson& lesson : school_.lessons) ++subjectsOfGroup_[lesson.group];
    }

    std::vector<SolucRow> Plan() {
        if (school_.teachers.empty()) return rows_;
        for (std::size_t i = 0; i < school_.lessons.size(); ++i) PlanLessons(i);
        for (std::size_t t = 0; t < school_.teachers.size() && !school_.tasks.empty(); ++t) {
            PlanTask(t);
        }
        return rows_;
    }

private:
    // The framework of a group: the frameworks in turn over the groups of GRUPOST.
    std::string FrameworkOfGroup(const std::string& group) const {
        if (frameworks_.empty()) return "0";
        const auto found = school_.groupIndex.find(group);
        const std::size_t index = found == school_.groupIndex.end() ? 0 : found->second;
        return frameworks_[index % frameworks_.size()];
    }

    // Lessons a week of one subject of a group: its weekly load, but no more than the group's
    // share of its framework's week, so that a group's subjects fit the week as in a real plan.
    int LessonsAWeek(const Lesson& lesson, const std::string& marco) const {
        const auto found = school_.periods.find(marco);
        const std::size_t periods = found == school_.periods.end() ? 0 : found->second.size();
        const std::size_t share = periods / subjectsOfGroup_.at(lesson.group);
        const int load = static_cast<int>(std::lround(lesson.hours));
        return std::clamp(load, 1, std::max(1, static_cast<int>(share)));
    }

    // The first period, from `start` on and round, in which every one of `who` is free.
    std::optional<Period> FreePeriod(const std::vector<std::string>& who, const std::string& marco,
                                     std::size_t start) const {
        const auto found = school_.periods.find(marco);
        if (found == school_.periods.end() || found->second.empty()) return std::nullopt;
        const std::vector<Period>& list = found->second;
        for (std::size_t step = 0; step < list.size(); ++step) {
            const Period& period = list[(start + step) % list.size()];
            const bool free = std::all_of(who.begin(), who.end(), [&](const std::string& w) {
                return occupancy_.IsFree(w, marco, period);
            });
            if (free) return period;
        }
        return std::nullopt;
    }

    void Place(SolucRow row, const std::vector<std::string>& who, std::size_t start,
               bool leaveUnplaced) {
        if (!leaveUnplaced) {
            if (auto period = FreePeriod(who, row.marco, start)) {
                row.dia = period->dia;
                row.hora = period->hora;
                for (const std::string& w : who) occupancy_.Take(w, row.marco, *period);
            }
        }
        rows_.push_back(std::move(row));
    }

    void PlanLessons(std::size_t index) {
        const Lesson& lesson = school_.lessons[index];
        const std::string& teacher = school_.teachers[index % school_.teachers.size()];
        SolucRow row;
        row.prof = teacher;
        row.marco = FrameworkOfGroup(lesson.group);
        row.asig = lesson.subject;
        row.codGrupo = lesson.group;
        if (!school_.rooms.empty() &&
            index % kLessonWithoutRoomEvery != kLessonWithoutRoomEvery - 1) {
            row.aula = school_.rooms[index % school_.rooms.size()];
        }
        const int count = LessonsAWeek(lesson, row.marco);
        for (int n = 0; n < count; ++n) {
            ++lessonCount_;
            const bool unplaced = lessonCount_ % kUnplacedLessonEvery == 0;
            Place(row, {"P:" + teacher, "G:" + lesson.group}, index * 7 + n * 11, unplaced);
        }
    }

    void PlanTask(std::size_t teacherIndex) {
        const std::string& teacher = school_.teachers[teacherIndex];
        const std::string& task = school_.tasks[teacherIndex % school_.tasks.size()];
        SolucRow row;
        row.prof = teacher;
        row.marco = frameworks_.empty() ? "0" : frameworks_[teacherIndex % frameworks_.size()];
        row.asig = task;
        row.tarea = task;
        const bool unplaced = teacherIndex % kUnplacedTaskEvery == kUnplacedTaskEvery - 1;
        Place(row, {"P:" + teacher}, teacherIndex * 5, unplaced);
    }

    SchoolData school_;
    std::vector<std::string> frameworks_;
    std::unordered_map<std::string, std::size_t> subjectsOfGroup_;
    Occupancy occupancy_;
    std::vector<SolucRow> rows_;
    std::size_t lessonCount_ = 0;
};

}  // namespace

std::vector<SolucRow> PlanTimetable(const std::filesystem::path& workDir) {
    return Planner(ReadSchool(workDir)).Plan();
}

}  // namespace velmaro::sim
