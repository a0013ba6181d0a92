// velmaro-cli on one work-table folder from several processes, and on a disk that fills up:
// exportar started while another job holds the folder is refused at once, naming the folder,
// and runs once the folder is free; two exportar started together leave the tables of one
// whole run, however their runs fall; importar and restore are refused while a job runs there;
// a real full disk (a small tmpfs, when the test runs as root) stops exportar with every table
// as it was.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "jobs/ReplacedWorkFiles.h"
#include "jobs/StagedTables.h"
#include "jobs/WorkFolderRun.h"
#include "support/RunProgram.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"

extern char** environ;

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScratchFolder;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSample = fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";
constexpr int kParallelRounds = 12;
const std::string kNothingChanged = "No se ha modificado ninguna tabla.\n";

// The content of every file the conversion replaces or removes; nothing for an absent one.
using FileStates = std::map<std::string, std::optional<std::string>>;

FileStates Snapshot(const fs::path& workDir) {
    FileStates states;
    for (const std::string& name : ReplacedWorkFiles()) {
        states[name] =
            fs::exists(workDir / name) ? std::optional(ReadBytes(workDir / name)) : std::nullopt;
    }
    return states;
}

// A velmaro-cli run started in the background, its output going to files.
struct Started {
    pid_t pid = -1;
    fs::path out;
    fs::path err;
};

Started Start(const std::vector<std::string>& arguments, const fs::path& outputs) {
    std::vector<std::string> all = {kCli.string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    Started started{-1, outputs.string() + ".out", outputs.string() + ".err"};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, started.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, started.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const int failed =
        posix_spawn(&started.pid, kCli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("posix_spawn");
    return started;
}

int ExitStatus(const Started& started) {
    int status = 0;
    while (::waitpid(started.pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ExportarRuns : public ::testing::Test {
protected:
    std::vector<std::string> Exportar(const fs::path& xml, const fs::path& workDir) const {
        return {"exportar",          "--xml",          xml.string(),
                "--work-dir",        workDir.string(), "--program-dir",
                VELMARO_RUNTIME_DIR, "--marcos",       "4401,4402"};
    }

    // A small school, different from the sample in every table.
    fs::path SmallSchool() const {
        return scratch.File(
            "pequena.xml",
            testing::SchoolXml()
                .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
                .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}})
                .Section("MATERIAS", {{"60101", "300101", "Lengua Castellana y Literatura"}})
                .Section("ACTIVIDADES", {{"N", "1", "Guardia"}})
                .Section("EMPLEADOS", {{"1048000", "01/09/2026", "590", "García", "López", "Ana"}})
                .Section("DEPENDENCIAS", {{"A101", "Aula 1.01"}})
                .Section("JORNADAS_ESCOLARES",
                         {{"4401", "Jornada de mañana", "09/09/2026", "22/06/2027"}})
                .Section("TRAMOS_HORARIOS", {{"170001", "1ª hora", "510", "565", "4401"}})
                .Text());
    }

    // A clean run of `xml` on an empty folder: its tables and what it printed, with the folder's
    // path (in the report's path) as kFolderMark.
    std::pair<FileStates, std::string> CleanRun(const fs::path& xml, const std::string& name) {
        const fs::path workDir = scratch.Folder(name);
        const testing::ProgramRun run = testing::RunProgram(kCli, Exportar(xml, workDir), scratch);
        EXPECT_EQ(run.status, 0) << run.err;
        return {Snapshot(workDir), WithFolderMarked(run.out, workDir)};
    }

    static constexpr std::string_view kFolderMark = "{carpeta}";

    // `text` with every occurrence of `folder`'s path as kFolderMark.
    static std::string WithFolderMarked(std::string text, const fs::path& folder) {
        const std::string path = folder.string();
        for (std::size_t at = text.find(path); at != std::string::npos;
             at = text.find(path, at + kFolderMark.size())) {
            text.replace(at, path.size(), kFolderMark);
        }
        return text;
    }

    std::string LockMessage(const fs::path& workDir) const {
        return "Otro trabajo de Velmaro (exportar, importar o restaurar una copia) está usando la "
               "carpeta de las tablas de trabajo '" +
               workDir.string() + "'";
    }

    ScratchFolder scratch;
};

// The other job is this test holding the folder's run lock as a job does, so the two surely
// overlap: the refused run changes nothing, and the same run completes once the lock is free.
TEST_F(ExportarRuns, ARunWhileAnotherHoldsTheFolderIsRefusedAndRunsOnceItIsFree) {
    const fs::path small = SmallSchool();
    const auto [sampleTables, sampleSummary] = CleanRun(kSample, "limpia-ejemplo");
    const auto [smallTables, smallSummary] = CleanRun(small, "limpia-pequena");
    const fs::path workDir = scratch.Folder("TTEMP");
    ASSERT_EQ(testing::RunProgram(kCli, Exportar(kSample, workDir), scratch).status, 0);
    {
        const WorkFolderRun otherJob = WorkFolderRun::Begin(workDir);
        const testing::ProgramRun refused =
            testing::RunProgram(kCli, Exportar(small, workDir), scratch);
        EXPECT_EQ(refused.status, 1) << refused.err;
        EXPECT_NE(refused.err.find(LockMessage(workDir)), std::string::npos) << refused.err;
        EXPECT_TRUE(refused.err.ends_with(kNothingChanged)) << refused.err;
        EXPECT_EQ(Snapshot(workDir), sampleTables);
    }
    const testing::ProgramRun run = testing::RunProgram(kCli, Exportar(small, workDir), scratch);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(WithFolderMarked(run.out, workDir), smallSummary);
    EXPECT_EQ(Snapshot(workDir), smallTables);
}

// Two runs started at the same moment, which the machine may run one after the other or
// overlapping: each completes as a clean run or is refused naming the folder, and the tables
// are those of the one that completed last.
TEST_F(ExportarRuns, TwoRunsTogetherLeaveTheTablesOfOneWholeRun) {
    const fs::path small = SmallSchool();
    const auto [sampleTables, sampleSummary] = CleanRun(kSample, "limpia-ejemplo");
    const auto [smallTables, smallSummary] = CleanRun(small, "limpia-pequena");
    for (int round = 0; round < kParallelRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const fs::path workDir = scratch.Folder("TTEMP-" + std::to_string(round));
        const Started first = Start(Exportar(kSample, workDir), scratch / "primera");
        const Started second = Start(Exportar(small, workDir), scratch / "segunda");
        const int firstStatus = ExitStatus(first);
        const int secondStatus = ExitStatus(second);

        // Each run either completed, with the summary of a clean run, or was refused.
        for (const auto& [started, status, summary] :
             {std::tuple(first, firstStatus, sampleSummary),
              std::tuple(second, secondStatus, smallSummary)}) {
            const std::string err = ReadBytes(started.err);
            if (status == 0) {
                EXPECT_EQ(WithFolderMarked(ReadBytes(started.out), workDir), summary);
            } else {
                EXPECT_EQ(status, 1) << err;
                EXPECT_NE(err.find(LockMessage(workDir)), std::string::npos) << err;
                EXPECT_TRUE(err.ends_with(kNothingChanged)) << err;
            }
        }
        EXPECT_TRUE(firstStatus == 0 || secondStatus == 0);
        const FileStates tables = Snapshot(workDir);
        EXPECT_TRUE(tables == sampleTables || tables == smallTables)
            << "the tables mix the two runs";
        if (firstStatus != 0) {
            EXPECT_EQ(tables, smallTables);
        }
        if (secondStatus != 0) {
            EXPECT_EQ(tables, sampleTables);
        }
    }
}

TEST_F(ExportarRuns, ImportarAndRestoreAreRefusedWhileAJobRuns) {
    const fs::path workDir = scratch.Folder("TTEMP");
    ASSERT_EQ(testing::RunProgram(kCli, Exportar(kSample, workDir), scratch).status, 0);
    const WorkFolderRun running = WorkFolderRun::Begin(workDir);
    const std::vector<std::vector<std::string>> refused = {
        {"importar", "--xml", kSample.string(), "--work-dir", workDir.string(), "--program-dir",
         VELMARO_RUNTIME_DIR},
        {"restore", "20260101-000000", "--work-dir", workDir.string()},
        Exportar(kSample, workDir),
    };
    const FileStates tables = Snapshot(workDir);
    for (const std::vector<std::string>& arguments : refused) {
        SCOPED_TRACE(arguments[0]);
        const testing::ProgramRun run = testing::RunProgram(kCli, arguments, scratch);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(LockMessage(workDir)), std::string::npos) << run.err;
    }
    EXPECT_EQ(Snapshot(workDir), tables);
}

// A tmpfs mounted over a folder for the life of a test, when the system allows it.
class SmallDisk {
public:
    SmallDisk(const fs::path& at, const std::string& size) : at_(at) {
        fs::create_directories(at);
        mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }

private:
    fs::path at_;
    bool mounted_ = false;
};

TEST_F(ExportarRuns, FullDiskChangesNoTable) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small disk needs root";
    const fs::path workDir = scratch / "disco";
    // Room for the small school's tables, not for the sample's beside them.
    const SmallDisk disk(workDir, "96k");
    if (!disk.Mounted()) GTEST_SKIP() << "this system does not let the test mount a tmpfs";
    ASSERT_EQ(testing::RunProgram(kCli, Exportar(SmallSchool(), workDir), scratch).status, 0);
    const FileStates tables = Snapshot(workDir);

    const testing::ProgramRun run = testing::RunProgram(kCli, Exportar(kSample, workDir), scratch);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no queda espacio en el disco"), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with(kNothingChanged)) << run.err;
    EXPECT_EQ(Snapshot(workDir), tables);
    EXPECT_FALSE(fs::exists(workDir / kStagingFolderName));
}

}  // namespace
}  // namespace velmaro
