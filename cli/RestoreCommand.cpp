// orx-transfer restore [OPTIONS] HOST[:PORT] [BACKUP]: the device's newest backup back into it.

#include "cli/TransferRun.h"

#include <CLI/CLI.hpp>

namespace {

struct RestoreOptions {
    DeviceOptions device;
    std::string backup; // empty: the device's newest in the folder
    bool quiet = false;
    bool yes = false;
    int keep = DEFAULT_BACKUPS_KEPT;
};

// After the newest backup was refused: the next older one a restore would take, if any.
void NameOlderBackup(const RestoreTarget& target, const CliStreams& io) {
    if (const BackupFile* older = OlderUsableBackup(target))
        io.err << "Next older backup of ORX " << target.serial << " that would do: made "
               << older->Made() << ", " << older->path << '\n'
               << std::flush;
    else
        io.err << "No older backup of ORX " << target.serial << " would do\n" << std::flush;
}

// The device's serial number first, to find its newest backup (or to check the one given); the
// download of that backup then backs the device up as any download does, and refuses another
// device.
int Restore(const RestoreOptions& options, const DeviceEndpoint& device, const CliStreams& io,
            CModbus& modbus) {
    const TerminalSettings settings =
        Settings(options.quiet, options.yes, options.device.connection.trace, io);
    TerminalSettings step = settings;
    step.step = true;
    CTerminalView identifying({}, io.err, step);
    const std::string folder = DefaultBackupFolder();
    RestoreTarget target;
    const int found = RunTransfer(
        [&](const DeviceEndpoint& endpoint, CModbus& client, CTransferView& view) {
            return RunRestoreLookup(endpoint, client, view, folder, options.backup, target);
        },
        device, modbus, identifying);
    if (found == static_cast<int>(RESULT_NO_FILE)) {
        io.err << "orx-transfer restore: no backup of ORX " << target.serial << " in " << folder
               << '\n'
               << std::flush;
        return found;
    }
    if (found != static_cast<int>(RESULT_OK))
        return found;
    const DownloadOptions restore = RestoreDownload(target, folder, options.keep);
    if (!options.backup.empty())
        return Download(device, settings, io, modbus, options.backup, restore);
    // Shown even when quiet: it is what the confirmation is about.
    io.err << "Newest backup of ORX " << target.serial << ": made " << target.backups.back().Made()
           << ", " << target.path << '\n'
           << std::flush;
    const int restored = Download(device, settings, io, modbus, target.path, restore);
    if (restored == static_cast<int>(RESULT_CONFIG_ERROR))
        NameOlderBackup(target, io);
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
