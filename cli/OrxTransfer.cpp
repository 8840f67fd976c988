#include "cli/OrxTransfer.h"

#include "cli/CliCommands.h"
#include "orx/Version.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace {

struct Command {
    const char* name;
    const char* summary;
    const char* usage; // after "orx-transfer "
    AddCommand add;
};

// A new command: its own file with its Add function, and one line here.
constexpr Command COMMANDS[] = {
    {"upload", "device to file", "upload [OPTIONS] HOST[:PORT] FILE", AddUploadCommand},
    {"download", "file to device", "download [OPTIONS] HOST[:PORT] FILE", AddDownloadCommand},
    {"check", "a file as a download would read it", "check [OPTIONS] FILE", AddCheckCommand},
    {"verify", "file against device", "verify [OPTIONS] HOST[:PORT] FILE", AddVerifyCommand},
    {"restore", "the device's newest backup to the device",
     "restore [OPTIONS] HOST[:PORT] [BACKUP]", AddRestoreCommand},
    {"backup", "several devices to a folder", "backup --into DIR [OPTIONS] [HOST[:PORT]...]",
     AddSiteBackupCommand},
};

// The command named first on the line, if any.
const Command* NamedCommand(const std::vector<std::string>& args) {
    for (const Command& command : COMMANDS)
        if (!args.empty() && args[0] == command.name)
            return &command;
    return nullptr;
}

// A usage error with the usage of the command named, or of every command.
int UsageError(const CLI::ParseError& error, const Command* command, const CliStreams& io) {
    if (command) {
        io.err << "orx-transfer " << command->name << ": " << error.what()
               << "\nusage: orx-transfer " << command->usage << "\nRun orx-transfer "
               << command->name << " --help for the options.\n"
               << std::flush;
        return EXIT_USAGE;
    }
    io.err << "orx-transfer: " << error.what() << '\n';
    const char* lead = "usage: ";
    for (const Command& each : COMMANDS) {
        io.err << lead << "orx-transfer " << each.usage << '\n';
        lead = "       ";
    }
    io.err << lead << "orx-transfer [COMMAND] --help | --version\n" << std::flush;
    return EXIT_USAGE;
}

} // namespace

int RunOrxTransfer(const std::vector<std::string>& args, const CliStreams& io) {
    CLI::App app("Moves the alarm configuration of an ORX device between the device and a "
                 "CSV file.",
                 "orx-transfer");
    const std::string version = OrxVersionLine("orx-transfer");
    app.set_version_flag("--version", version);
    app.require_subcommand(1);
    // The same command line on every system: on Windows too, "/x" is a path, not an option.
    app.allow_windows_style_options(false);
    CommandRun run{io};
    // Building the options is most of a start's work, so only the commands named on the
    // line get theirs: only such a command can be chosen or have its help shown.
    for (const Command& command : COMMANDS) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        if (std::find(args.begin(), args.end(), command.name) == args.end())
            continue;
        sub->set_version_flag("--version", version);
        command.add(*sub, run);
    }

    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them so
    try {
        app.parse(reversed);
    } catch (const CLI::Success& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::ParseError& e) {
        return UsageError(e, NamedCommand(args), io);
    }
    return run.status;
}
