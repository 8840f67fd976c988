// orx-transfer backup --into DIR [--jobs N] [--hosts FILE] [HOST[:PORT]...]: every device of a
// site into one folder, a bounded number at a time.

#include "cli/CliCommands.h"
#include "cli/InterruptWatch.h"
#include "cli/Report.h"
#include "modbus/RemoteModbus.h"
#include "transfer/FileIdentity.h"
#include "transfer/TransferJobs.h"
#include "transfer/Utf8Text.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

namespace {

constexpr unsigned DEFAULT_BACKUP_JOBS = 8;
constexpr unsigned JOBS_MAX = 1024;

struct SiteBackupOptions {
    std::string into;                    // the folder
    unsigned jobs = DEFAULT_BACKUP_JOBS; // devices at a time
    std::string hostsFile;               // HOST[:PORT] per line
    std::vector<std::string> hosts;      // HOST[:PORT]...
    ConnectionOptions connection;
    bool quiet = false; // the devices that failed only
    bool json = false;  // the report as JSON, once every device has ended
};

using Clock = std::chrono::steady_clock;

// One entry of the list as given, with its port.
struct SiteDevice {
    std::string given;
    std::string host;
    WORD port = 0; // 0: --port's
};

struct Outcome {
    UINT result = RESULT_CANCELLED;
    std::optional<DWORD> serial;
    WORD port = 0;
    std::string message; // the tool's message when not backed up
    std::string cause;   // and its cause, when known
    double seconds = 0;

    // The message and its cause on one line, or what was done.
    std::string Text() const {
        if (result == RESULT_OK)
            return "backed up";
        return cause.empty() ? message : message + " (" + cause + ")";
    }
};

// A device's transfer shown nowhere: its only trace is the summary line, made of its last
// error; all devices share one cancel.
class CQuietView : public CSilentView {
public:
    explicit CQuietView(const std::atomic<bool>& cancelled) : m_cancelled(cancelled) {}

    void ShowError(const std::string& message, const std::string& cause) override {
        m_message = message;
        m_cause = cause;
    }
    bool IsCancelled() override { return m_cancelled.load(); }

    const std::string& Message() const { return m_message; }
    const std::string& Cause() const { return m_cause; }

private:
    const std::atomic<bool>& m_cancelled;
    std::string m_message;
    std::string m_cause;
};

constexpr std::size_t HOSTS_FILE_LIMIT = 1024 * 1024;
constexpr const char* HOSTS_FILE_LIMIT_TEXT = "longer than 1 MiB";
constexpr const char* UTF8_BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// The hosts file's entries; RESULT_OK, or RESULT_FILE_ERROR with why. Only a regular file is
// read, and only up to a bound: a FIFO would block, a device (/dev/zero) never end.
int ReadHostsFile(const std::string& path, std::vector<std::string>& entries, std::string& why) {
    if (const std::string notPlain = WhyNotAPlainFile(path); !notPlain.empty()) {
        why = notPlain;
        return static_cast<int>(RESULT_FILE_ERROR);
    }
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    std::string text(HOSTS_FILE_LIMIT + 1, '\0');
    if (file)
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file && !file.eof()) {
        why = errno != 0 ? std::strerror(errno) : "read error";
        return static_cast<int>(RESULT_FILE_ERROR);
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > HOSTS_FILE_LIMIT) {
        why = HOSTS_FILE_LIMIT_TEXT;
        return static_cast<int>(RESULT_FILE_ERROR);
    }
    if (text.starts_with(UTF8_BYTE_ORDER_MARK))
        text.erase(0, std::strlen(UTF8_BYTE_ORDER_MARK));
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line = TrimmedBlanks(line.substr(0, line.find('#')));
        if (!line.empty())
            entries.push_back(line);
    }
    return static_cast<int>(RESULT_OK);
}

// The command line's entries, then those of the hosts file. RESULT_OK, or the exit status with
// the reason on err: an unreadable file, an entry that is no HOST[:PORT].
int ListDevices(const SiteBackupOptions& options, const CliStreams& io,
                std::vector<SiteDevice>& devices) {
    std::vector<std::string> entries = options.hosts;
    if (!options.hostsFile.empty()) {
        std::string why;
        if (const int read = ReadHostsFile(options.hostsFile, entries, why); read != 0) {
            io.err << "orx-transfer backup: cannot read " << options.hostsFile << ": " << why
                   << '\n';
            return read;
        }
    }
    for (const std::string& entry : entries) {
        const OrFailure<HostAndPort> split = SplitHostAndPort(entry);
        if (!split) {
            io.err << "orx-transfer backup: " << split.Error().cause << '\n';
            return EXIT_USAGE;
        }
        devices.push_back({EscapedText(entry), split->host, split->port});
    }
    if (devices.empty()) {
        io.err << "orx-transfer backup: no device named: give HOST[:PORT] or --hosts FILE\n";
        return EXIT_USAGE;
    }
    return static_cast<int>(RESULT_OK);
}

class CSiteBackup {
public:
    CSiteBackup(const SiteBackupOptions& options, const CliStreams& io, CCommandTrace& trace,
                std::vector<SiteDevice> devices)
        : m_options(options), m_io(io), m_trace(trace), m_devices(std::move(devices)),
          m_outcomes(m_devices.size()) {
        for (const SiteDevice& device : m_devices)
            m_width = std::max(m_width, device.given.size());
    }

    // Every device, at most --jobs at a time; returns the worst result.
    UINT Run();
    // Cancels every device; false when no device's transfer runs, nor will: nothing to finish.
    bool Cancel();
    int WriteError() const { return m_writeError; }

private:
    void Work();
    Outcome BackUp(const SiteDevice& device);
    // Counts a device's transfer, unless cancelled; EndTransfer uncounts it.
    bool BeginTransfer();
    void EndTransfer();
    std::string Claim(DWORD serial, const std::string& given);
    void Print(const SiteDevice& device, const Outcome& outcome);
    nlohmann::json JsonReport(std::size_t backedUp, double seconds) const;
    void Write(const std::string& line);

    const SiteBackupOptions& m_options;
    const CliStreams& m_io;
    CCommandTrace& m_trace;
    const std::vector<SiteDevice> m_devices;
    std::vector<Outcome> m_outcomes;
    std::size_t m_width = 0;
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex; // output, claims and the count of transfers
    std::map<DWORD, std::string> m_claims;
    int m_writeError = 0; // the system's reason when a report line could not be written
    int m_transfers = 0;
};

UINT CSiteBackup::Run() {
    const auto start = Clock::now();
    std::vector<std::thread> workers;
    const std::size_t count = std::min<std::size_t>(m_options.jobs, m_devices.size());
    for (std::size_t w = 0; w < count; ++w)
        workers.emplace_back([this] { Work(); });
    for (std::thread& worker : workers)
        worker.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    UINT worst = RESULT_OK;
    std::size_t backedUp = 0;
    for (const Outcome& outcome : m_outcomes) {
        worst = std::max(worst, outcome.result);
        backedUp += outcome.result == RESULT_OK ? 1 : 0;
    }
    if (m_options.json) {
        std::lock_guard lock(m_mutex);
        PrintJson(JsonReport(backedUp, seconds), m_io.out);
    } else if (!m_options.quiet) {
        char total[160];
        std::snprintf(total, sizeof total, "%zu of %zu device(s) backed up in %.3f s", backedUp,
                      m_devices.size(), seconds);
        Write(total);
    }
    return worst;
}

void CSiteBackup::Work() {
    for (std::size_t i = m_next++; i < m_devices.size(); i = m_next++) {
        m_outcomes[i] = BackUp(m_devices[i]);
        Print(m_devices[i], m_outcomes[i]);
    }
}

Outcome CSiteBackup::BackUp(const SiteDevice& device) {
    const auto start = Clock::now();
    Outcome outcome;
    CQuietView view(m_cancelled);
    DeviceEndpoint endpoint = m_options.connection.At({}, device.port);
    outcome.port = endpoint.port;
    outcome.message = "Upload Cancelled!";
    outcome.cause = "not started";
    const OrFailure<std::string> host =
        m_cancelled ? Failure{RESULT_CANCELLED, {}} : ResolveDeviceHost(device.host);
    if (!host && host.Error().result != RESULT_CANCELLED) {
        outcome.result = host.Error().result;
        outcome.message = "Error connecting to ORX!";
        outcome.cause = host.Error().cause;
    } else if (host && BeginTransfer()) {
        endpoint.host = *host;
        CRemoteModbus modbus;
        m_trace.Attach(modbus);
        const auto claim = [&](DWORD serial) { return Claim(serial, device.given); };
        outcome.result =
            RunSiteBackupJob(endpoint, modbus, view, m_options.into, claim, outcome.serial);
        outcome.cause = view.Cause();
        outcome.message = outcome.result == RESULT_OK ? ""
                          : view.Message().empty()    ? "Upload Cancelled!"
                                                      : view.Message();
        EndTransfer();
    }
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return outcome;
}

bool CSiteBackup::BeginTransfer() {
    std::lock_guard lock(m_mutex);
    m_transfers += m_cancelled ? 0 : 1;
    return !m_cancelled;
}

void CSiteBackup::EndTransfer() {
    std::lock_guard lock(m_mutex);
    --m_transfers;
}

bool CSiteBackup::Cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    return m_transfers > 0;
}

// Two devices of one serial number would share a file: the first keeps it.
std::string CSiteBackup::Claim(DWORD serial, const std::string& given) {
    std::lock_guard lock(m_mutex);
    const auto [claimed, added] = m_claims.emplace(serial, given);
    if (added || claimed->second == given)
        return {};
    return "ORX-" + std::to_string(serial) + ".csv is the backup of " + claimed->second +
           ", which has the same serial number";
}

void CSiteBackup::Print(const SiteDevice& device, const Outcome& outcome) {
    const std::string serial = outcome.serial ? std::to_string(*outcome.serial) : "-";
    if (m_options.json || (m_options.quiet && outcome.result == RESULT_OK))
        return;
    const std::string result = outcome.result == RESULT_OK
                                   ? outcome.Text()
                                   : std::to_string(outcome.result) + ' ' + outcome.Text();
    char columns[64]; // serial and time: their widths are bounded
    std::snprintf(columns, sizeof columns, "  %10s  %7.3f s  ", serial.c_str(), outcome.seconds);
    std::string line = device.given;
    line.resize(std::max(m_width, line.size()), ' ');
    line += columns + EscapedText(result);
    Write(line);
}

nlohmann::json CSiteBackup::JsonReport(std::size_t backedUp, double seconds) const {
    nlohmann::json devices = nlohmann::json::array();
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const Outcome& outcome = m_outcomes[i];
        nlohmann::json device{{"host", m_devices[i].host},
                              {"port", outcome.port},
                              {"result", outcome.result},
                              {"seconds", outcome.seconds}};
        device["serial"] = outcome.serial ? nlohmann::json(*outcome.serial) : nullptr;
        if (outcome.result == RESULT_OK)
            device["file"] = (std::filesystem::path(m_options.into) /
                              ("ORX-" + std::to_string(*outcome.serial) + ".csv"))
                                 .string();
        else
            device["error"] = {{"message", outcome.message}, {"cause", outcome.cause}};
        devices.push_back(device);
    }
    const double msPerDevice = 1000 * seconds / static_cast<double>(m_devices.size());
    return {{"into", m_options.into},
            {"backedUp", backedUp},
            {"devices", devices},
            {"seconds", seconds},
            {"msPerDevice", msPerDevice}};
}

void CSiteBackup::Write(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_io.out << line << '\n' << std::flush;
    if (!m_io.out && m_writeError == 0)
        m_writeError = errno;
}

int RunSiteBackup(const SiteBackupOptions& options, const CliStreams& io) {
    RefuseSharedFiles({{"--trace", options.connection.trace}, {"--hosts", options.hostsFile}});
    std::vector<SiteDevice> devices;
    if (const int listed = ListDevices(options, io, devices); listed != 0)
        return listed;
    std::error_code error;
    std::filesystem::create_directories(options.into, error);
    if (error) {
        io.err << "orx-transfer backup: cannot make " << options.into << ": " << error.message()
               << '\n';
        return static_cast<int>(RESULT_FILE_ERROR);
    }
    CCommandTrace trace(options.connection.trace, io);
    if (!trace.Opened())
        return static_cast<int>(RESULT_FILE_ERROR);
    CSiteBackup backup(options, io, trace, std::move(devices));
    // Workers that only look host names up are not waited for.
    CInterruptWatch watch([&](int count) {
        if (!backup.Cancel())
            EndInterrupted();
        io.err << (count == 1 ? "Cancelling every device...\n"
                              : "Still cancelling; the program ends once that is done.\n")
               << std::flush;
    });
    const UINT worst = backup.Run();
    if (watch.Interrupts() > 1)
        return EXIT_INTERRUPTED;
    return FlushReport(io, "backup", backup.WriteError()) ? static_cast<int>(worst)
                                                          : static_cast<int>(RESULT_FILE_ERROR);
}

} // namespace

void AddSiteBackupCommand(CLI::App& command, CommandRun& run) {
    const auto options = std::make_shared<SiteBackupOptions>();
    command.add_option("--into", options->into, "the folder of the backups")
        ->required()
        ->option_text("DIR");
    command
        .add_option("--jobs", options->jobs,
                    "devices backed up at a time (default " + std::to_string(DEFAULT_BACKUP_JOBS) +
                        ")")
        ->option_text("N")
        ->check(WholeNumber())
        ->check(CLI::Range(1u, JOBS_MAX));
    command.add_option("--hosts", options->hostsFile, "HOST[:PORT] per line, # comments")
        ->option_text("FILE");
    AddConnectionOptions(command, options->connection);
    AddQuiet(command, options->quiet);
    command.add_flag("--json", options->json, "the report as JSON on standard output");
    command.add_option("HOST", options->hosts, "HOST[:PORT] of a device (default port --port)")
        ->type_name("");
    command.footer(BACKUP_HELP);
    command.callback([options, &run] { run.status = RunSiteBackup(*options, run.io); });
}
