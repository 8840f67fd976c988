#include "cli/OrxTransfer.h"

#include "cli/CliCommands.h"
#include "orx/Version.h"

#include <CLI/CLI.hpp>

namespace {

constexpr int KEEP_MAX = 100000;
constexpr unsigned JOBS_MAX = 1024;

constexpr const char* SYNOPSIS =
    "usage: orx-transfer upload [OPTIONS] HOST FILE\n"
    "       orx-transfer download [OPTIONS] HOST FILE\n"
    "       orx-transfer check [OPTIONS] FILE\n"
    "       orx-transfer verify [OPTIONS] HOST FILE\n"
    "       orx-transfer restore [OPTIONS] HOST [BACKUP]\n"
    "       orx-transfer backup --into DIR [OPTIONS] [HOST[:PORT]...]\n"
    "       orx-transfer [COMMAND] --help | --version\n";

// HOST becomes "A.B.C.D", a host name being resolved here, once.
const CLI::Validator DEVICE_HOST(ResolveDeviceHostInPlace, "HOST");

void AddHost(CLI::App& command, CliOptions& options) {
    command.add_option("HOST", options.host, "the device: A.B.C.D or a host name")
        ->required()
        ->transform(DEVICE_HOST);
}

void AddFile(CLI::App& command, CliOptions& options) {
    command.add_option("FILE", options.file, "the configuration file")->required();
}

// The connection's options.
void AddConnection(CLI::App& command, CliOptions& options) {
    command.add_option("--port", options.port, "the device's Modbus TCP port")
        ->capture_default_str()
        ->check(CLI::Range(DEVICE_PORT_MIN, DEVICE_PORT_MAX));
    command.add_option("--timeout", options.timeoutMs, "time-out of each exchange, in ms")
        ->capture_default_str()
        ->check(CLI::Range(EXCHANGE_TIMEOUT_MIN_MS, EXCHANGE_TIMEOUT_MAX_MS));
    command
        .add_option("--trace", options.trace,
                    "one line per exchange with the device in FILE (- for standard error)")
        ->option_text("FILE");
}

// HOST FILE with the connection's options.
void AddDevice(CLI::App& command, CliOptions& options) {
    AddConnection(command, options);
    AddHost(command, options);
    AddFile(command, options);
}

CLI::Option* AddKeep(CLI::App& command, CliOptions& options) {
    return command.add_option("--keep", options.keep, "backups kept per device in the folder")
        ->capture_default_str()
        ->check(CLI::Range(1, KEEP_MAX));
}

void AddBackupChoice(CLI::App& download, CliOptions& options) {
    CLI::Option* file = download
                            .add_option("--backup", options.backupFile,
                                        "back the device up into FILE, not the backup folder")
                            ->option_text("FILE");
    CLI::Option* none =
        download.add_flag("--no-backup", options.noBackup, "write without backing up first");
    AddKeep(download, options)->excludes(file)->excludes(none);
    file->excludes(none);
}

void AddSiteBackup(CLI::App& backup, CliOptions& options) {
    backup.add_option("--into", options.into, "the folder of the backups")
        ->required()
        ->option_text("DIR");
    backup.add_option("--jobs", options.jobs, "devices backed up at a time")
        ->capture_default_str()
        ->check(CLI::Range(1u, JOBS_MAX));
    backup.add_option("--hosts", options.hostsFile, "HOST[:PORT] per line, # comments")
        ->option_text("FILE");
    AddConnection(backup, options);
    backup.add_option("HOST", options.hosts, "HOST[:PORT] of a device (default port --port)");
}

CLI::App* AddCommand(CLI::App& app, const char* name, const char* summary, const char* help) {
    CLI::App* command = app.add_subcommand(name, summary);
    command->footer(help);
    return command;
}

} // namespace

int RunOrxTransfer(const std::vector<std::string>& args, const CliStreams& io) {
    CLI::App app("Moves the alarm configuration of an ORX device between the device and a "
                 "CSV file.",
                 "orx-transfer");
    app.set_version_flag("--version", OrxVersionLine("orx-transfer"));
    app.require_subcommand(1);
    // The same command line on every system: on Windows too, "/x" is a path, not an option.
    app.allow_windows_style_options(false);
    CliOptions options;

    CLI::App* upload = AddCommand(app, "upload", "device to file", UPLOAD_HELP);
    AddDevice(*upload, options);
    upload->add_flag("-q,--quiet", options.quiet, "errors only");

    CLI::App* download = AddCommand(app, "download", "file to device", DOWNLOAD_HELP);
    AddDevice(*download, options);
    download->add_flag("-q,--quiet", options.quiet, "errors only");
    download->add_flag("-y,--yes", options.yes, "do not ask for confirmation");
    AddBackupChoice(*download, options);

    CLI::App* check = AddCommand(app, "check", "a file as a download would read it", CHECK_HELP);
    check->add_flag("--strict", options.strict, "refuse the file for warnings too");
    check->add_flag("--json", options.json, "the report as JSON on standard output");
    AddFile(*check, options);

    CLI::App* verify = AddCommand(app, "verify", "file against device", VERIFY_HELP);
    AddDevice(*verify, options);
    verify->add_flag("--json", options.json, "the report as JSON on standard output");

    CLI::App* restore =
        AddCommand(app, "restore", "the device's newest backup to the device", RESTORE_HELP);
    AddConnection(*restore, options);
    restore->add_flag("-q,--quiet", options.quiet, "errors only");
    restore->add_flag("-y,--yes", options.yes, "do not ask for confirmation");
    AddKeep(*restore, options);
    AddHost(*restore, options);
    restore->add_option("BACKUP", options.file, "a backup of the device instead of its newest");

    CLI::App* backup = AddCommand(app, "backup", "several devices to a folder", BACKUP_HELP);
    AddSiteBackup(*backup, options);

    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them so
    try {
        app.parse(reversed);
    } catch (const CLI::Success& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::ParseError& e) {
        io.err << "orx-transfer: " << e.what() << '\n' << SYNOPSIS << std::flush;
        return EXIT_USAGE;
    }
    if (upload->parsed())
        return RunUploadCommand(options, io);
    if (download->parsed())
        return RunDownloadCommand(options, io);
    if (check->parsed())
        return RunCheckCommand(options, io);
    if (restore->parsed())
        return RunRestoreCommand(options, io);
    if (backup->parsed())
        return RunBackupCommand(options, io);
    return RunVerifyCommand(options, io);
}
