// orx-transfer download [OPTIONS] HOST[:PORT] FILE: file to device, backing the device up first.

#include "cli/TransferRun.h"

#include <CLI/CLI.hpp>

namespace {

struct DownloadCommandOptions : TransferCommandOptions {
    bool yes = false;
    std::string backupFile; // the backup's file instead of the folder
    bool noBackup = false;
    int keep = DEFAULT_BACKUPS_KEPT;
};

BackupPlan PlannedBackup(const DownloadCommandOptions& options) {
    if (options.noBackup)
        return {};
    if (!options.backupFile.empty())
        return {BackupPlan::Kind::File, options.backupFile, options.keep};
    return BackupPlan::IntoFolder(DefaultBackupFolder(), options.keep);
}

void AddBackupChoice(CLI::App& command, DownloadCommandOptions& options) {
    CLI::Option* file = command
                            .add_option("--backup", options.backupFile,
                                        "back the device up into FILE, not the backup folder")
                            ->option_text("FILE");
    CLI::Option* none =
        command.add_flag("--no-backup", options.noBackup, "write without backing up first");
    AddKeep(command, options.keep)->excludes(file)->excludes(none);
    file->excludes(none);
}

int RunDownload(const DownloadCommandOptions& options, const CliStreams& io) {
    const std::string& trace = options.device.connection.trace;
    RefuseSharedFiles(
        {{"--trace", trace}, {"--backup", options.backupFile}, {"FILE", options.file}});
    const DeviceEndpoint device = options.device.Endpoint();
    if (!CanConfirm(options.yes, io, "download"))
        return EXIT_USAGE;
    return WithClient(trace, io, [&](CModbus& modbus) {
        return Download(device, Settings(options.quiet, options.yes, trace, io), io, modbus,
                        options.file, {PlannedBackup(options), {}});
    });
}

} // namespace

void AddDownloadCommand(CLI::App& command, CommandRun& run) {
    const auto options = std::make_shared<DownloadCommandOptions>();
    AddTransferOptions(command, *options, "the configuration file to write to the device");
    AddYes(command, options->yes);
    AddBackupChoice(command, *options);
    command.footer(DOWNLOAD_HELP);
    command.callback([options, &run] { run.status = RunDownload(*options, run.io); });
}
