// orx-transfer download, check and verify: the built program once per command, and the
// download's confirmation on a terminal.

#include "DownloadFixture.h"
#include "cli/TerminalView.h"

#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

// Options are given by name; the ones left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

extern char** environ;

namespace {

constexpr int SLOW_REPLY_MS = 40; // an alarm's writes outlast the wait for an acknowledgement
constexpr auto npos = std::string::npos;
constexpr std::size_t ALARMS_BEFORE_INTERRUPT = 2;
const std::string BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// Alarms begun: each begins with the write of its words.
std::size_t AlarmsBegun(const OrxSimulator& sim) {
    return std::ranges::count(RequestsOf(sim, FN_WRITE_MULTIPLE_REGISTERS), ALARM_WORD_COUNT,
                              &RequestSummary::quantity);
}

// The options naming a device on loopback at port.
std::string At(unsigned port) {
    return " --port " + std::to_string(port) + " 127.0.0.1";
}

// Words of a command line, separated by spaces.
std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

class CliDownload : public ::testing::Test {
protected:
    // Downloads back the device up into the scratch folder, never into the user's.
    CliDownload() { setenv("XDG_DATA_HOME", m_dir.File("data").c_str(), 1); }
    // Starts program with input from /dev/null and every signal's default action, as from a
    // shell; its output goes to the scratch files (standard output to out if given), or both
    // into the pipe whose writing end is pipeFd. -1: not started.
    pid_t Start(std::vector<std::string> args, const std::string& program = ORX_TRANSFER_PATH,
                int pipeFd = -1, const std::string& out = "") {
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        for (const auto& [fd, path] :
             {std::pair{STDOUT_FILENO, out.empty() ? m_outPath : out}, {STDERR_FILENO, m_errPath}})
            pipeFd >= 0 ? posix_spawn_file_actions_adddup2(&actions, pipeFd, fd)
                        : posix_spawn_file_actions_addopen(&actions, fd, path.c_str(),
                                                           O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        return spawned == 0 ? pid : -1;
    }
    // Polls until reached() or a generous limit, to interrupt the program at a known point.
    static void WaitUntil(const std::function<bool()>& reached) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!reached() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // A program blocked for good (in opening a FIFO, or on output nobody reads) is killed after
    // WaitUntil's limit and fails the test instead of hanging it. Not started: status -1.
    ProgramRun Finish(pid_t pid) {
        int status = -1;
        bool ended = false;
        WaitUntil([&] { return ended = pid <= 0 || waitpid(pid, &status, WNOHANG) == pid; });
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return {-1, ReadText(m_outPath), "killed: it never ended"};
        }
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(m_outPath),
                ReadText(m_errPath)};
    }
    ProgramRun Run(const std::vector<std::string>& args,
                   const std::string& program = ORX_TRANSFER_PATH) {
        return Finish(Start(args, program));
    }

    // The words of line, then the simulator's address and the file.
    std::vector<std::string> Args(const std::string& line) const {
        return Words(line + At(m_sim->Port()) + " " + m_file);
    }

    ScratchDir m_dir;
    std::string m_outPath = m_dir.File("stdout.txt");
    std::string m_errPath = m_dir.File("stderr.txt");
    std::unique_ptr<OrxSimulator> m_sim = std::make_unique<OrxSimulator>(ZeroedDevice());
    std::string m_file = m_dir.Write("config.csv", FullFileText());
};

// Every download, a restore too, backs the device up first and names the backup; restore puts
// the newest back bit for bit, also values no download takes; beyond the newest --keep a
// device's backups go, oldest first, also among those of one second. Lossy readings are
// shown before anything is written.
TEST_F(CliDownload, DownloadWarnsAndBacksUpRestorePutsBackOldBackupsArePruned) {
    m_dir.Write("config.csv",
                DOWNLOAD_FILE_HEADER + ("A" + DistinctRows(1, ALARM_COUNT).substr(1)));
    m_sim = std::make_unique<OrxSimulator>(); // alarms other than the file's
    m_sim->SetAlarm(1, {7, 0, 65535, 9, 1e14f, FLT_MAX, true});
    m_sim->SetAlarm(2, {1, 1, 0, 0, FLT_TRUE_MIN, -0.0f, false});
    m_sim->SetAlarm(3, {2, 17, 5, 8, INFINITY, -NAN, true});
    const DeviceImage before = m_sim->Image();
    const std::string folder = m_dir.File("data/orx-config/backups/");
    std::vector<std::string> made;
    for (const std::vector<std::string>& args :
         {Args("download --yes --keep 2"), Words("restore -q --yes --keep 2" + At(m_sim->Port())),
          Args("download --yes --keep 2")}) {
        const ProgramRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_EQ(run.out.rfind("Backup: " + folder + "ORX-1234567-", 0), 0u) << run.out;
        made.push_back(run.out.substr(std::strlen("Backup: "), run.out.size() - 9));
        if (made.size() == 1) {
            EXPECT_EQ(DistinctAlarmsOn(*m_sim), ALARM_COUNT);
            EXPECT_NE(run.err.find("Connecting to ORX...\nwarning: row 1, line 6: field 1 (alarm "
                                   "number) \"A\" ignored: the row configures alarm 1\n"),
                      npos);
        }
        EXPECT_TRUE(made.size() != 2 || m_sim->Image() == before) << "restored bit for bit";
    }
    for (const auto& [path, kept] : {std::pair{made[0], false}, {made[1], true}, {made[2], true}})
        EXPECT_EQ(std::filesystem::exists(path), kept) << path;
}

// A restore writes nothing from a backup without all 32 rows or of another serial number and
// names the next older backup that would do, passing over another device's; given, that one
// is restored.
TEST_F(CliDownload, RestoreRefusesAPartialOrForeignBackupAndNamesAnOlderOne) {
    const std::string folder = "data/orx-config/backups/ORX-1234567-";
    std::filesystem::create_directories(m_dir.File("data/orx-config/backups"));
    m_file = m_dir.Write(folder + "20000101-000000.csv", FullFileText());
    const std::string foreign =
        std::regex_replace(FullFileText(), std::regex("1234567"), "7654321");
    m_dir.Write(folder + "20000101-000001.csv", foreign);
    const std::pair<std::string, std::string> newest[] = {
        {DOWNLOAD_FILE_HEADER + DistinctRows(1, ALARM_COUNT - 1), "holds 31 alarm rows, not 32"},
        {foreign, "is not of ORX 1234567: its line 3 is \"Serial Number: 7654321\""}};
    const std::string older =
        "\nNext older backup of ORX 1234567 that would do: made 2000-01-01 00:00:00, ";
    for (const auto& [text, reason] : newest) {
        m_dir.Write(folder + "29991231-235959.csv", text);
        const ProgramRun run = Run(Words("restore --yes" + At(m_sim->Port())));
        EXPECT_EQ(run.status, static_cast<int>(RESULT_CONFIG_ERROR));
        EXPECT_NE(run.err.find("(the backup " + reason + ")" + older + m_file + "\n"), npos)
            << run.err;
        EXPECT_TRUE(RequestsOf(*m_sim, FN_WRITE_MULTIPLE_REGISTERS).empty() &&
                    m_sim->CoilEvents().empty());
    }
    EXPECT_EQ(Run(Args("restore --yes")).status, 0);
    EXPECT_EQ(DistinctAlarmsOn(*m_sim), ALARM_COUNT);
}

// Claims of one second get names of their own; pruning keeps the backup just made whatever the
// time in its name and counts and removes only regular files; a relative XDG_DATA_HOME is
// ignored.
TEST_F(CliDownload, BackupNamesPruningAndFolder) {
    const std::string folder = m_dir.File("backups"), name = folder + "/ORX-7-";
    const std::string named = name + "29991231-235958.csv";
    std::filesystem::create_directories(named);
    std::filesystem::create_symlink("missing", name + "29991231-235957.csv");
    const std::string future = m_dir.Write("backups/ORX-7-29991231-235959.csv", "");
    const std::string old = m_dir.Write("backups/ORX-7-20000101-000000.csv", "");
    const std::string other = m_dir.Write("backups/ORX-8-20000101-000000.csv", "");
    CBackupClaim first, second;
    const std::string made = *first.Claim(folder, 7, 0), plain = made.substr(0, made.size() - 4);
    EXPECT_EQ(*second.Claim(folder, 7, 0), plain + "-2.csv");
    first.Keep();
    EXPECT_TRUE(std::filesystem::exists(*CBackupClaim().Claim(folder, 7, 0)));
    EXPECT_FALSE(std::filesystem::exists(plain + "-3.csv")) << "an unkept claim is removed";
    const std::optional<Failure> pruned = PruneBackups(folder, 7, 2, made);
    EXPECT_FALSE(pruned) << pruned->cause;
    for (const auto& [path, kept] :
         {std::pair{made, true}, {future, true}, {old, false}, {other, true}, {named, true}})
        EXPECT_EQ(std::filesystem::exists(path), kept) << path;
    EXPECT_TRUE(std::filesystem::is_symlink(name + "29991231-235957.csv"));

    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(DefaultBackupFolder(),
              std::string(getenv("HOME")) + "/.local/share/orx-config/backups");
}

// Ctrl-C, SIGTERM and SIGHUP cancel alike: the alarm being written is finished and the abort
// coil set. A second Ctrl-C ends the program with 130, but not before that.
TEST_F(CliDownload, SignalsFinishTheAlarmAndSetTheAbortCoil) {
    for (const std::vector<int>& signals :
         {std::vector{SIGINT}, {SIGTERM}, {SIGHUP}, {SIGINT, SIGINT}}) {
        SCOPED_TRACE(::testing::PrintToString(signals));
        m_sim =
            std::make_unique<OrxSimulator>(SimulatorOptions{.image = {}, .delayMs = SLOW_REPLY_MS});
        const pid_t pid = Start(Args("download --yes --no-backup"));
        ASSERT_GT(pid, 0);
        WaitUntil([&] { return AlarmsBegun(*m_sim) >= ALARMS_BEFORE_INTERRUPT; });
        for (const int signal : signals) {
            kill(pid, signal); // acknowledged at once, so the next one is not merged with it
            WaitUntil([&] { return ReadText(m_errPath).find("Cancelling after alarm ") != npos; });
        }
        EXPECT_EQ(Finish(pid).status,
                  signals.size() > 1 ? EXIT_INTERRUPTED : int(RESULT_CANCELLED));
        const std::vector<CoilEvent> coils = m_sim->CoilEvents();
        EXPECT_EQ(coils.empty() ? CoilEvent{} : coils.back(),
                  (CoilEvent{COIL_DOWNLOAD_ABORTED, COIL_ON}));
        EXPECT_LT(AlarmsBegun(*m_sim), static_cast<std::size_t>(ALARM_COUNT));
        EXPECT_EQ(coils.size(), AlarmsBegun(*m_sim) + 1) << "every alarm begun got its faults coil";
    }
}

// A closed pipe for standard output and error ends no transfer half-way: the download sets its
// coil, the upload replaces its file and leaves no temporary one.
TEST_F(CliDownload, AClosedPipeEndsNoTransfer) {
    const std::string up = m_dir.File("up.csv");
    const std::pair<std::vector<std::string>, std::optional<CoilEvent>> cases[] = {
        {Args("download --yes --no-backup"), CoilEvent{COIL_DOWNLOAD_COMPLETE, COIL_ON}},
        {Words("upload" + At(m_sim->Port()) + " " + up), {}}}; // the last coil the program set
    for (const auto& [args, newCoil] : cases) {
        SCOPED_TRACE(args[0]);
        const std::size_t coilsBefore = m_sim->CoilEvents().size();
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        close(pipeFds[0]);
        EXPECT_EQ(Finish(Start(args, ORX_TRANSFER_PATH, pipeFds[1])).status, 0);
        close(pipeFds[1]);
        const std::vector<CoilEvent> coils = m_sim->CoilEvents();
        EXPECT_EQ(coils.size() > coilsBefore ? std::optional(coils.back()) : std::nullopt, newCoil);
    }
    EXPECT_EQ(ReadLines(up).size(), ReadLines(m_file).size());
    EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"config.csv", "up.csv"}));
}

// The progress line never wraps: it leaves the terminal's last column free.
TEST(ProgressLine, FitsTheTerminal) {
    const std::string line = "[#.] 1/32 Uploading"; // 19 characters
    for (const auto& [columns, kept] : {std::pair{0, 19}, {40, 19}, {19, 18}, {10, 9}})
        EXPECT_EQ(FitToColumns(line, columns), line.substr(0, kept)) << columns;
}

// The question comes once the file is read and the device identified, and names both.
TEST_F(CliDownload, OnlyYesOnTheTerminalDownloads) {
    const auto onTerminal = [&](const char* answer) { // the download in this process
        int master = -1, slave = -1;
        if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            return ProgramRun{-1, "", "no terminal"};
        const auto length = static_cast<ssize_t>(std::strlen(answer));
        const ProgramRun run = write(master, answer, length) == length
                                   ? RunCommand(Args("download"), slave)
                                   : ProgramRun{-1, "", "no answer written"};
        close(slave);
        close(master);
        return run;
    };
    const std::string question = "Write " + m_file + " (32 alarms) to ORX 1234567 at 127.0.0.1:" +
                                 std::to_string(m_sim->Port()) + "? [y/N] ";
    for (const char* answer : {"n\n", "\n", "yep\n"}) {
        const ProgramRun run = onTerminal(answer);
        EXPECT_EQ(run.status, static_cast<int>(RESULT_CANCELLED)) << answer;
        EXPECT_NE(run.err.find("Connecting to ORX...\n" + question), npos) << run.err;
    }
    EXPECT_TRUE(RequestsOf(*m_sim, FN_WRITE_MULTIPLE_REGISTERS).empty());
    EXPECT_EQ(onTerminal("y\n").status, 0);
    EXPECT_EQ(DistinctAlarmsOn(*m_sim), ALARM_COUNT);
}

// The options of the three programs, each run as a user runs it (their --version is a test of
// its own): usage errors, a host name, --timeout, -q, a trace, and the JSON reports read back.
TEST_F(CliDownload, ProgramOptions) {
    const OrxSimulator silent({.image = {}, .stallAfter = 0});
    OrxSimulator nan; // a download would refuse alarm 3
    nan.SetAlarm(3, {2, 4, 2, 5, NAN, 1.25f, true});
    // HOST is read as upload reads it: 010 is ten.
    const OrxSimulator tenth({.listenAddress = "127.0.0.10", .image = {}});
    // It drops the connection after the identity and alarm 1's three reads.
    const OrxSimulator dropped({.image = {}, .dropAfter = 4});
    const std::string refusing = At(RefusingPort()), port = std::to_string(m_sim->Port());
    const std::string refused = " 127.0.0.1:" + std::to_string(RefusingPort());
    const std::string at = At(m_sim->Port()) + " ", to = at + m_file;
    const std::string stalled = " --timeout 50" + At(silent.Port());
    const std::string bad = m_dir.Write("bad.csv", DOWNLOAD_FILE_HEADER + "1,1,1,1,0,0,0,0\n");
    const std::string up = " " + m_dir.File("up.csv"), atUp = At(m_sim->Port()) + up;
    const std::string no = " " + m_dir.File("no/file");
    // The input under other names: a "./" spelling and a hard link.
    const std::string dotted = " " + m_dir.File(".") + "/config.csv";
    const std::string linked = " " + m_dir.File("linked.csv");
    ASSERT_EQ(link(m_file.c_str(), linked.c_str() + 1), 0);
    const std::string fifo = " " + m_dir.File("fifo"); // without a reader: opening it blocks
    ASSERT_EQ(mkfifo(fifo.c_str() + 1, S_IRUSR | S_IWUSR), 0);
    const std::string site = "backup --into " + m_dir.File("site");
    const std::string full = " " + m_dir.Write("full.txt", std::string(1024 * 1024, '#'));
    const std::string big = " " + m_dir.Write("big.txt", std::string(1024 * 1024 + 1, '#'));
    const std::string longName = std::string(60, 'x') + ".invalid";
    const std::string hosts =
        " --hosts " + m_dir.Write("hosts.txt", BYTE_ORDER_MARK + "127.0.0.1 : " + port + "\n" +
                                                   longName + "\n\x01\xff.invalid\n");
    const int DEVICE = RESULT_DEVICE_ERROR, FILE = RESULT_FILE_ERROR, USAGE = EXIT_USAGE;
    const struct {
        std::string line; // arguments of orx-transfer, or a program's name and its arguments
        int status;
        std::string text; // found in stdout or stderr
    } cases[] = {
        {"orx-transfer", USAGE, "usage: orx-transfer"},
        {"upload 127.0.0.1", USAGE, "FILE"},
        {"upload --port 0 127.0.0.1" + up, USAGE, "--port"},
        {"upload --port 70000 127.0.0.1" + up, USAGE, "--port"},
        {"upload --timeout 0 127.0.0.1" + up, USAGE, "--timeout"},
        {"upload --bogus 127.0.0.1" + up, USAGE,
         "--bogus\nusage: orx-transfer upload [OPTIONS] HOST[:PORT] FILE\nRun orx-transfer upload"},
        {"upload --port abc 127.0.0.1" + up, USAGE, "--port: abc is not a number"},
        {"verify -p 1 127.0.0.1:2 " + m_file, USAGE,
         "HOST 127.0.0.1:2 and --port 1 name two ports: give one"},
        {"upload -p " + port + " 127.0.0.1:" + port + up, 0, "Upload Complete!"},
        {"verify localhost:" + port + " " + m_file, RESULT_DIFFERENT, "differs"},
        {"upload 1.2.3" + up, USAGE, "not an IPv4 address"},
        {"upload 0.1.2.3" + up, DEVICE, "(0.1.2.3: addresses 0.x.x.x stand for this network"},
        {"upload 224.0.0.0" + up, DEVICE, "(224.0.0.0: addresses 224.0.0.0 to 239.255.255.255"},
        {"upload 240.0.0.0" + up, DEVICE, "(240.0.0.0: addresses from 240.0.0.0 on are reserved"},
        {"upload 255.255.255.255" + up, DEVICE, "255.255.255.255 is the broadcast address"},
        {"verify no-such-host.invalid" + up, USAGE, "no IPv4 address"},
        {"download" + to, USAGE, "not on a terminal: give --yes"},
        {"download --backup" + up + " --no-backup 127.0.0.1" + up, USAGE, "--no-backup"},
        {"restore 127.0.0.1", USAGE, "not on a terminal: give --yes"},
        {"backup 127.0.0.1", USAGE, "--into"},
        {site + " 127.0.0.1:0", USAGE, "not a port"},
        {site + " 127.0.0.1:5o2", USAGE, "not a port"},
        {"--help", 0, "download"},
        {"upload" + At(nan.Port()) + up, 0,
         "Upload Complete!\nwarning: a download would refuse row 3, line 8: field 6 (trip point)"},
        {"upload" + refusing + up, DEVICE,
         "Connecting to ORX...\nError connecting to ORX! (127.0.0.1:"},
        {"verify" + refusing + no, FILE, "Error opening file! (" + no.substr(1) + ": No such"},
        {"verify --port " + std::to_string(tenth.Port()) + " 127.0.0.010 " + m_file,
         RESULT_DIFFERENT, "The device differs from the file."},
        {"verify" + At(dropped.Port()) + " " + m_file, DEVICE,
         "Error reading alarm 2 from the ORX! (read input registers 3008 x4: the device "
         "closed the connection)\n"},
        {"upload" + stalled + up, DEVICE,
         "This is not an ORX! (read input registers 3495 x4: no reply within 50 ms)\n"},
        {"verify --trace -" + stalled + " " + m_file, DEVICE,
         " us | read input registers 3495 x4 | identity | 01 04 0D A7 00 04 | - | 1001 Modbus "
         "TCP/IP: socket error: no reply within 50 ms\n"},
        {"download --yes" + at + bad, RESULT_CONFIG_ERROR,
         "Configuration Error! (row 1, line 6: field 3 (source module) \"1\": source module must "
         "be 2 to 16 when mode is not 0)"},
        {"download --yes --backup" + no + to, FILE,
         "Error writing to file! (no backup, nothing written:" + no},
        {"upload --trace" + no + " 127.0.0.1" + up, FILE, "cannot write the trace"},
        {"verify --trace " + m_file + to, USAGE,
         "--trace " + m_file + " and FILE " + m_file + " are one file"},
        {"download --yes --backup" + dotted + to, USAGE,
         "--backup" + dotted + " and FILE " + m_file + " are one file"},
        {"upload --trace" + linked + to, USAGE, "--trace" + linked + " and FILE"},
        {"restore --yes --trace" + linked + to, USAGE, "--trace" + linked + " and BACKUP"},
        {"download --yes --trace none.txt --backup ./none.txt" + to, USAGE,
         "--trace none.txt and --backup ./none.txt are one file"},
        {site + " --trace " + m_file + " --hosts" + dotted, USAGE, "and --hosts" + dotted},
        {"upload --trace" + fifo + atUp, FILE, fifo + ": not a regular file"},
        {"upload --trace /dev/null" + atUp, 0, "Upload Complete!"},
        {site + " --hosts" + fifo, FILE, fifo + ": not a regular file"},
        {site + " --hosts /dev/zero", FILE, "not a regular file"},
        {site + " --hosts " + m_dir.File(""), FILE, "a folder"},
        {site + " --hosts" + big, FILE, big + ": longer than 1 MiB"},
        {site + " --hosts" + full, USAGE, "no device named"},
        {site + " ::1", USAGE, "not an IPv4 address: ::1 (this tool speaks IPv4 only)"},
        {site + hosts, DEVICE, "127.0.0.1 : " + port},
        {site + hosts, DEVICE, "  backed up\n"},
        {site + hosts, DEVICE, "(no IPv4 address for host name " + longName + ")\n"},
        {site + hosts, DEVICE, "(no IPv4 address for host name \\x01\\xff.invalid)\n"},
        {"check --json " + bad, RESULT_CONFIG_ERROR, "\"fieldName\": \"source module\""},
        {"check --json" + no, FILE, "\"message\": \"Error opening file!\""},
        {site + " --json 127.0.0.1:" + port + refused, DEVICE,
         "\"file\": \"" + m_dir.File("site") + "/ORX-1234567.csv\""},
        {site + " --json 127.0.0.1:" + port + refused, DEVICE,
         "\"message\": \"Error connecting to ORX!\""},
        {"orx-sim --save" + fifo, USAGE, fifo + ": not a regular file"},
        {"orx-sim --help", 0, "--fail-write"},
#ifdef ORX_CONFIG_PATH
        {"orx-config --host 1.2.3", USAGE, "--host"},
        {"orx-config --timeout x", USAGE, "--timeout"},
        {"orx-config --trace" + no, 2, "cannot write the trace"},
        {"orx-config --help", 0, "A port given with --port is for that run only"},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> args = Words(c.line);
        const std::string program = args[0] == "orx-sim" ? ORX_SIM_PATH
#ifdef ORX_CONFIG_PATH
                                    : args[0] == "orx-config" ? ORX_CONFIG_PATH
#endif
                                                              : ORX_TRANSFER_PATH;
        if (args[0].starts_with("orx-"))
            args.erase(args.begin());
        const ProgramRun run = Run(args, program);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE((run.out + run.err).find(c.text), npos) << run.out << run.err;
    }
    for (const char* command : {"upload", "download", "check", "verify", "restore", "backup"}) {
        const std::string help = Run({command, "--help"}).out;
        EXPECT_TRUE(help.find("UINT") == npos && help.find("TEXT") == npos) << help;
    }
    const std::string trace = m_dir.File("trace.txt");
    const ProgramRun quiet =
        Run(Words("upload -q --trace " + trace + " --port " + port + " localhost" + up));
    EXPECT_EQ(quiet.err, "") << "errors only, and none";
    const std::vector<std::string> traced = ReadLines(trace);
    ASSERT_EQ(traced.size(), 98u) << "one line per exchange";
    EXPECT_NE(traced[21].find(" | read input registers 3052 x4 | alarm 7 floats | 01 04 0B EC 00 "
                              "04 | 01 04 08 "),
              npos);
    EXPECT_NE(traced[1].find("| read input registers 1899 x2 | serial number |"), npos);
    EXPECT_NE(traced[4].find("| read discrete inputs 3000 x1 | alarm 1 faults bit |"), npos);
    EXPECT_EQ(AlarmsBegun(*m_sim), 0u) << "only read, and never without a confirmation";
    const nlohmann::json verify = nlohmann::json::parse(Run(Words("verify --json" + to)).out);
    EXPECT_EQ(verify.at("result"), RESULT_DIFFERENT);
    EXPECT_EQ(verify.at("differences").at(0),
              (nlohmann::json{{"alarm", 1}, {"field", "mode"}, {"file", "1"}, {"device", "0"}}));
    EXPECT_EQ(Run(Words(site + " -q 127.0.0.1:" + port)).out, "") << "errors only, and none";
    EXPECT_EQ(Run(Words(site + " 127.0.0.1:" + port)).out.find("per device"), npos);
    EXPECT_EQ(ReadText(m_file), FullFileText()) << "a file named twice is never written";
    // A report that cannot be written is a file error.
    for (const std::string& line : {"check " + bad, "verify" + to, site + " 127.0.0.1:" + port}) {
        const ProgramRun run = Finish(Start(Words(line), ORX_TRANSFER_PATH, -1, "/dev/full"));
        EXPECT_EQ(run.status, FILE) << line;
        EXPECT_NE(run.err.find("cannot write"), npos) << run.err;
    }
}

} // namespace
