#include "cli/CliCommands.h"

// Where this system keeps a user's backups.
#ifdef _WIN32
#define BACKUP_FOLDER_HELP "%LOCALAPPDATA%\\orx-config\\backups"
#define DEFAULT_BACKUP_HELP BACKUP_FOLDER_HELP "\\ORX-<serial>-<YYYYMMDD-HHMMSS>.csv,\n"
#define RESTORE_FOLDER_HELP "(" BACKUP_FOLDER_HELP ")"
#else
#define BACKUP_FOLDER_HELP "$XDG_DATA_HOME/orx-config/backups"
#define DEFAULT_BACKUP_HELP                                                                        \
    BACKUP_FOLDER_HELP "/ORX-<serial>-<YYYYMMDD-HHMMSS>.csv\n"                                     \
                       "(~/.local/share/... when XDG_DATA_HOME is unset or relative),"
#define RESTORE_FOLDER_HELP "(" BACKUP_FOLDER_HELP ", or\n~/.local/share/orx-config/backups)"
#endif

const char* const UPLOAD_HELP =
    "Reads the 32 alarm definitions, the serial number and the identity of the ORX device at\n"
    "HOST (A.B.C.D, or a host name) and saves them in FILE as comma-separated text. An\n"
    "existing FILE is replaced without asking, and only when the whole upload succeeded;\n"
    "otherwise it is left as it was. The replacement keeps the file's owner and permissions;\n"
    "where FILE is a symbolic link, the file it leads to is replaced. Ctrl-C, SIGTERM or\n"
    "SIGHUP cancels (a second one makes the exit status 130); before the device is contacted\n"
    "it ends the program at once (130). After a complete upload, every row of FILE that a\n"
    "download would refuse is named on stderr, as `check` does.\n"
    "\n"
    "Exit status: 0 complete, 1 no file named, 2 file error, 3 device error (no connection,\n"
    "not an ORX, failed read), 5 cancelled, 8 internal error, 64 usage error, 130 second\n"
    "Ctrl-C, or one before the device was contacted.\n";

const char* const DOWNLOAD_HELP =
    "Checks every row of FILE and writes them into the ORX device at HOST (A.B.C.D, or a host\n"
    "name), as \"Download to ORX\" does: a FILE with any refused row, or without any row,\n"
    "writes nothing; a locked device, or one whose lock cannot be read, is refused; a failed\n"
    "write stops the download (the alarms before it stay written) and sets the device's abort\n"
    "coil; a finished download sets its completion coil. A coil that fails because the\n"
    "connection was lost or stalled is set once more on a new connection (within the 5 s\n"
    "connect limit); the error then says how many alarms were written and whether the device\n"
    "was told that the download stopped. `orx-transfer check FILE` names the refused rows.\n"
    "Fields that the download reads otherwise than their text says are named in warnings\n"
    "before anything is written.\n"
    "Once the device is identified it asks on the terminal, e.g. \"Write edit.csv (32 alarms)\n"
    "to ORX 1234567 at 10.1.2.3?\"; without a terminal it writes only with --yes. Ctrl-C,\n"
    "SIGTERM or SIGHUP cancels: the alarm being written is finished and the abort coil set (a\n"
    "second one makes the exit status 130; the coil is still set); before the first write,\n"
    "also while the backup is being saved, nothing is written. While FILE is read and at the\n"
    "question it ends the program at once (130).\n"
    "\n"
    "Before its first write (after the lock check) the download reads the device's whole\n"
    "configuration into a backup, as upload writes a file: by default\n" DEFAULT_BACKUP_HELP
    " keeping --keep (20)\n"
    "backups of each device there: the one just made, whatever its time, and the newest\n"
    "others; --backup FILE puts it in FILE instead, --no-backup makes none. Backups are\n"
    "exact: each real is written with the digits that read back as the device's 32 bits.\n"
    "A backup that cannot be made writes nothing to the device: \"Error downloading!\" (3)\n"
    "when the device fails, \"Error writing to file!\" (2) when the file does. The backup's\n"
    "path is printed on stdout as \"Backup: PATH\"; `orx-transfer restore HOST` downloads it.\n"
    "\n"
    "Exit status: 0 complete, 2 FILE cannot be opened or the backup not written, 3 device\n"
    "error (no connection, not an ORX, lock input not readable, failed read of the backup,\n"
    "failed write), 4 device configuration locked, 5 cancelled or not confirmed, 6 a row of\n"
    "FILE refused, 8 internal error, 64 usage error or no confirmation possible (no terminal\n"
    "and no --yes), 130 second Ctrl-C, or one while FILE is read or at the question.\n";

const char* const CHECK_HELP =
    "Reads FILE as a download would, without a device, and reports every row that a\n"
    "download would refuse: its row (the alarm it configures) and line, the field, the\n"
    "value and the rule it breaks. Rows after a refused row are checked too, reading on\n"
    "from the end of the refused row's eighth field. Also says how many alarms a download\n"
    "would write: every row of an acceptable file, nothing when any row is refused. A\n"
    "download reads at most 32 rows and stops at the end of the file; the note line is\n"
    "never read.\n"
    "A field that a download reads otherwise than its text says is named in a warning,\n"
    "e.g. a mode of 1.9 (read as 1), a faults field of 2 (read as 1), a source module of\n"
    "-1 in a disabled alarm (read as 65535), or an alarm number that is not the row's.\n"
    "\n"
    "Exit status: 0 every row acceptable, 2 FILE cannot be opened or the report cannot be\n"
    "written, 6 a row would be refused (or, with --strict, a warning), 64 usage error.\n";

const char* const VERIFY_HELP =
    "Reads the ORX device at HOST (A.B.C.D, or a host name) without writing to it and compares\n"
    "it with FILE alarm by alarm and field by field, printing each difference, e.g.\n"
    "  alarm 3 trip point: file 75.5000, device 75.4000\n"
    "Only the rows a download would write are compared: a file with k rows compares alarms\n"
    "1 to k. Every field is compared, also those of a disabled alarm. Trip point and deadband\n"
    "are compared as the file's text rounded to single precision, as a download writes them.\n"
    "FILE is checked first, as `check` does; a row a download would refuse stops the verify\n"
    "before the device is contacted. Ctrl-C, SIGTERM or SIGHUP ends it at once.\n"
    "\n"
    "Exit status: 0 the device holds what FILE says, 2 FILE cannot be opened or the report\n"
    "cannot be written, 3 device error (no connection, not an ORX, failed read), 6 a row of\n"
    "FILE would be refused, 7 the device differs from FILE, 64 usage error, 130 Ctrl-C.\n";

const char* const RESTORE_HELP =
    "Reads the serial number of the ORX device at HOST, finds the newest backup of that\n"
    "device in the backup folder " RESTORE_FOLDER_HELP
    ", shows when it was made and downloads it as\n"
    "`download` does: after confirmation (--yes beforehand), with a backup of the device as it\n"
    "is now (so a restore can be undone by the next one), and never into a device of another\n"
    "serial number. Every value the backup holds is written back, also those a download\n"
    "refuses (a mode of 7, an infinite trip point): the device held them. A backup without\n"
    "all 32 rows, or whose \"Serial Number:\" line is not the device's, is refused (6,\n"
    "nothing written), and the next older backup that would do is named: `restore HOST\n"
    "BACKUP` restores that one instead of the newest, under the same checks.\n"
    "\n"
    "Exit status: as download; 1 no backup of the device in the folder.\n";

const char* const BACKUP_HELP =
    "Uploads every device named as HOST[:PORT] (on the command line, or one per line of\n"
    "--hosts FILE, a regular file of at most 1 MiB where # starts a comment; IPv4 only) into\n"
    "DIR/ORX-<serial>.csv, --jobs devices at a time. Each file is written beside its place and\n"
    "put there only when complete, replacing the device's previous backup; a device that fails\n"
    "leaves its previous file as it was and never stops the others. One line per device on\n"
    "stdout as it ends (host, serial number, time, result), then a total; with -q only the\n"
    "devices that fail. --json prints one report instead: into, backedUp, seconds,\n"
    "msPerDevice and devices, each with host, port, serial, result, seconds, and file or\n"
    "error (message, cause). Ctrl-C, SIGTERM or SIGHUP cancels every device; while no device\n"
    "is being read (host names being looked up) it ends the program at once (130).\n"
    "Over slow or lossy links (VPNs, cellular routers) give --block-reads and --retries 3.\n"
    "\n"
    "Exit status: the worst (highest) result of the devices: 0 all backed up, 2 a file error,\n"
    "3 a device error, 5 cancelled; 2 also when DIR or FILE cannot be used or the report not\n"
    "written, 64 usage error.\n";
