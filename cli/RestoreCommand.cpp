// orx-transfer restore [OPTIONS] HOST[:PORT] [BACKUP]: the device's newest backup back into it.

#include "cli/TransferRun.h"
#include "transfer/ConfigCheck.h"

#include <CLI/CLI.hpp>
#include <iterator>

namespace {

struct RestoreOptions {
    DeviceOptions device;
    std::string backup; // empty: the device's newest in the folder
    bool quiet = false;
    bool yes = false;
    int keep = DEFAULT_BACKUPS_KEPT;
};

// After the newest backup was refused: the next older one a restore would take, if any.
void NameOlderBackup(const std::vector<BackupFile>& backups, DWORD serial, const CliStreams& io) {
    for (auto older = std::next(backups.rbegin()); older != backups.rend(); ++older) {
        if (CheckBackupFile(older->path, serial).Accepted()) {
            io.err << "Next older backup of ORX " << serial << " that would do: made "
                   << older->Made() << ", " << older->path << '\n'
                   << std::flush;
            return;
        }
    }
    io.err << "No older backup of ORX " << serial << " would do\n" << std::flush;
}

// The device's serial number first, to find its newest backup (or to check the one given); the
// download of that backup then backs the device up as any download does, and refuses another
// device.
int Restore(const RestoreOptions& options, const DeviceEndpoint& device, const CliStreams& io,
            CModbus& modbus) {
    const TerminalSettings settings =
        Settings(options.quiet, options.yes, options.device.connection.trace, io);
    DWORD serial = 0;
    TerminalSettings step = settings;
    step.step = true;
    CTerminalView identifying({}, io.err, step);
    const int identified = RunTransfer(
        [&serial](const DeviceEndpoint& endpoint, CModbus& client, CTransferView& view) {
            return RunIdentifyJob(endpoint, client, view, serial);
        },
        device, modbus, identifying);
    if (identified != static_cast<int>(RESULT_OK))
        return identified;
    const std::string folder = DefaultBackupFolder();
    const DownloadOptions restore{BackupPlan::IntoFolder(folder, options.keep), serial};
    if (!options.backup.empty())
        return Download(device, settings, io, modbus, options.backup, restore);
    const std::vector<BackupFile> backups = ListBackups(folder, serial);
    if (backups.empty()) {
        io.err << "orx-transfer restore: no backup of ORX " << serial << " in " << folder << '\n'
               << std::flush;
        return static_cast<int>(RESULT_NO_FILE);
    }
    // Shown even when quiet: it is what the confirmation is about.
    io.err << "Newest backup of ORX " << serial << ": made " << backups.back().Made() << ", "
           << backups.back().path << '\n'
           << std::flush;
    const int restored = Download(device, settings, io, modbus, backups.back().path, restore);
    if (restored == static_cast<int>(RESULT_CONFIG_ERROR))
        NameOlderBackup(backups, serial, io);
    return restored;
}

int RunRestore(const RestoreOptions& options, const CliStreams& io) {
    const std::string& trace = options.device.connection.trace;
    RefuseSharedFiles({{"--trace", trace}, {"BACKUP", options.backup}});
    const DeviceEndpoint device = options.device.Endpoint();
    if (!CanConfirm(options.yes, io, "restore"))
        return EXIT_USAGE;
    return WithClient(trace, io,
                      [&](CModbus& modbus) { return Restore(options, device, io, modbus); });
}

} // namespace

void AddRestoreCommand(CLI::App& command, CommandRun& run) {
    const auto options = std::make_shared<RestoreOptions>();
    AddDeviceOptions(command, options->device);
    AddQuiet(command, options->quiet);
    AddYes(command, options->yes);
    AddKeep(command, options->keep);
    command.add_option("BACKUP", options->backup, "a backup of the device instead of its newest")
        ->type_name("");
    command.footer(RESTORE_HELP);
    command.callback([options, &run] { run.status = RunRestore(*options, run.io); });
}
