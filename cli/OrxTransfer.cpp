#include "cli/OrxTransfer.h"

#include "cli/CliCommands.h"
#include "orx/Version.h"
#include "transfer/FileIdentity.h"

#include <CLI/CLI.hpp>
#include <algorithm>

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
void AddHost(CLI::App& command, CliOptions& options) {
    command.add_option("HOST", options.host, "the device: A.B.C.D or a host name")
        ->required()
        ->transform(CLI::Validator(ResolveDeviceHostInPlace, "HOST"));
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
    command.add_option("--retries", options.attempts, RETRIES_HELP)
        ->option_text("N")
        ->capture_default_str()
        ->check(CLI::Range(ATTEMPTS_MIN, ATTEMPTS_MAX));
    command.add_flag("--block-reads", options.blockReads, BLOCK_READS_HELP);
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

void AddUpload(CLI::App& upload, CliOptions& options) {
    AddDevice(upload, options);
    upload.add_flag("-q,--quiet", options.quiet, "errors only");
}

void AddDownload(CLI::App& download, CliOptions& options) {
    AddDevice(download, options);
    download.add_flag("-q,--quiet", options.quiet, "errors only");
    download.add_flag("-y,--yes", options.yes, "do not ask for confirmation");
    AddBackupChoice(download, options);
}

void AddCheck(CLI::App& check, CliOptions& options) {
    check.add_flag("--strict", options.strict, "refuse the file for warnings too");
    check.add_flag("--json", options.json, "the report as JSON on standard output");
    AddFile(check, options);
}

void AddVerify(CLI::App& verify, CliOptions& options) {
    AddDevice(verify, options);
    verify.add_flag("--json", options.json, "the report as JSON on standard output");
}

void AddRestore(CLI::App& restore, CliOptions& options) {
    AddConnection(restore, options);
    restore.add_flag("-q,--quiet", options.quiet, "errors only");
    restore.add_flag("-y,--yes", options.yes, "do not ask for confirmation");
    AddKeep(restore, options);
    AddHost(restore, options);
    restore.add_option("BACKUP", options.file, "a backup of the device instead of its newest");
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

// A file that a command names, with the option that names it.
struct NamedFile {
    const char* option;
    std::string path;
};

// EXIT_USAGE, with both options on err, when two of the command's files are one: writing one
// (a trace, a backup, an upload) would destroy the other before it is read, or both would
// write over each other. Checked before anything is opened.
int RefuseSharedFiles(const CliOptions& options, const CliStreams& io, const std::string& command) {
    std::vector<NamedFile> files;
    if (!options.trace.empty() && options.trace != "-")
        files.push_back({"--trace", options.trace});
    if (!options.backupFile.empty())
        files.push_back({"--backup", options.backupFile});
    if (!options.hostsFile.empty())
        files.push_back({"--hosts", options.hostsFile});
    if (!options.file.empty())
        files.push_back({"FILE", options.file});
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (!SameFile(files[i].path, files[j].path))
                continue;
            io.err << "orx-transfer " << command << ": " << files[i].option << ' ' << files[i].path
                   << " and " << files[j].option << ' ' << files[j].path
                   << " are one file: writing one would destroy the other; give another path\n"
                   << std::flush;
            return EXIT_USAGE;
        }
    }
    return 0;
}

struct Command {
    const char* name;
    const char* summary;
    const char* help;
    void (*addOptions)(CLI::App&, CliOptions&);
    int (*run)(const CliOptions&, const CliStreams&);
};

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
    const Command commands[] = {
        {"upload", "device to file", UPLOAD_HELP, AddUpload, RunUploadCommand},
        {"download", "file to device", DOWNLOAD_HELP, AddDownload, RunDownloadCommand},
        {"check", "a file as a download would read it", CHECK_HELP, AddCheck, RunCheckCommand},
        {"verify", "file against device", VERIFY_HELP, AddVerify, RunVerifyCommand},
        {"restore", "the device's newest backup to the device", RESTORE_HELP, AddRestore,
         RunRestoreCommand},
        {"backup", "several devices to a folder", BACKUP_HELP, AddSiteBackup, RunBackupCommand},
    };
    // Building the options is most of a start's work, so only the commands named on the
    // line get theirs: only such a command can be chosen or have its help shown.
    for (const Command& command : commands) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        sub->footer(command.help);
        if (std::find(args.begin(), args.end(), command.name) != args.end())
            command.addOptions(*sub, options);
    }

    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them so
    try {
        app.parse(reversed);
    } catch (const CLI::Success& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::ParseError& e) {
        io.err << "orx-transfer: " << e.what() << '\n' << SYNOPSIS << std::flush;
        return EXIT_USAGE;
    }
    if (const int refused = RefuseSharedFiles(options, io, app.get_subcommands()[0]->get_name()))
        return refused;
    for (const Command& command : commands)
        if (app.got_subcommand(command.name))
            return command.run(options, io);
    return static_cast<int>(RESULT_INTERNAL_ERROR); // require_subcommand(1) chose one
}
