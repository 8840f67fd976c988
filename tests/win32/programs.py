#!/usr/bin/env python3
"""orx-transfer.exe under Wine against orx-sim on Linux, and the simulator the Windows tests share.

  programs.py start-sim DIR ORX_SIM ORX_TRANSFER   orx-sim in the background: its port in
      DIR/port, its log in DIR/log, and DIR/linux-upload.csv uploaded from it by the Linux
      orx-transfer, for the Windows uploads to be compared with
  programs.py stop-sim DIR
  programs.py runs WINE_RUN ORX_TRANSFER_EXE ORX_SIM ORX_TRANSFER
      every case of the table with the Windows program and with the Linux one: each must
      give the case's exit status and text, and both the same output (line ends aside)
"""
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time

LIMIT = 30  # seconds any one program may take
HEADER = ("ORX Configuration Transfer Utility Version 1.00.00\nSat Dec 05 21:31:52 2026\n"
          "Serial Number: 0\nAlarm,Alarm,Source,Source,Output,Trip Point,Deadband,"
          "Enunciate System\nNumber,Mode,Module,Channel,Relay,,,Faults\n")


def start_sim(options, log):
    sim = subprocess.Popen([SIM, "--port", "0", "--log"] + options, stdout=log,
                           stderr=subprocess.STDOUT)
    deadline = time.monotonic() + LIMIT
    while time.monotonic() < deadline:
        with open(log.name) as text:
            found = re.search(r"listening on [0-9.]+:([0-9]+)", text.read())
        if found:
            return sim, found.group(1)
        time.sleep(0.02)
    sim.kill()
    raise RuntimeError("orx-sim did not start")


def refusing_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return str(s.getsockname()[1])


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def sim_start(folder, transfer):
    os.makedirs(folder, exist_ok=True)
    process, port = start_sim([], open(os.path.join(folder, "log"), "w"))
    write(os.path.join(folder, "pid"), str(process.pid))
    reference = os.path.join(folder, "linux-upload.csv")
    trace = os.path.join(folder, "linux-trace")
    subprocess.run([transfer, "upload", "-q", "--port", port, "--trace", trace, "127.0.0.1",
                    reference],
                   check=True, timeout=LIMIT)
    write(os.path.join(folder, "port"), port)


def sim_stop(folder):
    with open(os.path.join(folder, "pid")) as f:
        os.kill(int(f.read()), signal.SIGTERM)


# name, simulator options (None: no simulator), arguments ({port}, {refusing}), exit status,
# text the output holds, interrupts sent once the transfer has begun its second alarm.
CASES = [
    ("upload", [], ["upload", "--port", "{port}", "127.0.0.1", "up.csv"], 0,
     "Uploading Alarm 32/32...\nUpload Complete!\n", 0),
    ("upload replacing a file named without a folder", [],
     ["upload", "-q", "--port", "{port}", "127.0.0.1", "up.csv"], 0, "", 0),
    ("quiet upload of a host name", [], ["upload", "-q", "--port", "{port}", "localhost", "q.csv"],
     0, "", 0),
    ("refused", None, ["upload", "--port", "{refusing}", "127.0.0.1", "x.csv"], 3,
     "Error connecting to ORX! (127.0.0.1:{refusing}: connection refused)", 0),
    ("not an ORX", ["--identity", "1234"], ["upload", "--port", "{port}", "127.0.0.1", "x.csv"],
     3, "This is not an ORX! (identity register 3495 holds 0x1234, 0x52C7 expected)", 0),
    ("no reply", ["--stall-after", "0"],
     ["upload", "--timeout", "50", "--port", "{port}", "127.0.0.1", "x.csv"], 3,
     "(read input registers 3495 x4: no reply within 50 ms)", 0),
    ("split replies", ["--split"], ["upload", "--port", "{port}", "127.0.0.1", "split.csv"], 0,
     "Upload Complete!", 0),
    ("download", [], ["download", "--yes", "--port", "{port}", "127.0.0.1", "good.csv"], 0,
     "Download Complete!", 0),
    ("download to a locked device", ["--locked"],
     ["download", "--yes", "--port", "{port}", "127.0.0.1", "good.csv"], 4,
     "Error! Configuration Locked!", 0),
    ("download of a refused file", [],
     ["download", "--yes", "--port", "{port}", "127.0.0.1", "bad.csv"], 6,
     "Configuration Error! (row 1, line 6: field 3 (source module) \"1\"", 0),
    ("download without a terminal", [],
     ["download", "--port", "{port}", "127.0.0.1", "good.csv"], 64,
     "not on a terminal: give --yes", 0),
    ("Ctrl-C", ["--delay-ms", "40"],
     ["download", "--yes", "--port", "{port}", "127.0.0.1", "good.csv"], 5,
     "Download Cancelled!", 1),
    ("Ctrl-C twice", ["--delay-ms", "40"],
     ["download", "--yes", "--port", "{port}", "127.0.0.1", "good.csv"], 130,
     "Still cancelling", 2),
    ("Ctrl-C twice in an upload", ["--delay-ms", "40"],
     ["upload", "--port", "{port}", "127.0.0.1", "cut.csv"], 130, "Still cancelling", 2),
    ("check", None, ["check", "good.csv"], 0, "OK: a download would write all 32 alarms.", 0),
    ("check --json", None, ["check", "--json", "bad.csv"], 6, '"fieldName": "source module"', 0),
    ("check of a missing file", None, ["check", "missing.csv"], 2, "cannot read missing.csv", 0),
    ("verify", [], ["verify", "--port", "{port}", "127.0.0.1", "good.csv"], 0,
     "The device holds what the file says", 0),
    ("verify --json of another file", [],
     ["verify", "--json", "--port", "{port}", "127.0.0.1", "other.csv"], 7,
     '"field": "mode"', 0),
    ("usage", None, [], 64, "usage: orx-transfer", 0),
    ("port 0", None, ["upload", "--port", "0", "127.0.0.1", "x.csv"], 64, "--port", 0),
    ("not an address", None, ["upload", "1.2.3", "x.csv"], 64, "not an IPv4 address", 0),
    ("version", None, ["--version"], 0, "orx-transfer 1.0.00 (", 0),
]


def interrupt(program, err, count):
    deadline = time.monotonic() + LIMIT
    for _ in range(count):
        while "Alarm 2/" not in open(err.name).read() and time.monotonic() < deadline:
            time.sleep(0.01)
        program.send_signal(signal.SIGINT)  # Wine makes it the console's Ctrl-C
        while "Cancelling" not in open(err.name).read() and time.monotonic() < deadline:
            time.sleep(0.01)


def run(command, case, folder):
    name, options, args, status, text, interrupts = case
    log = open(os.path.join(folder, "sim.log"), "w")
    sim, port = start_sim(options, log) if options is not None else (None, "")
    refusing = refusing_port()
    args = [a.format(port=port, refusing=refusing) for a in args]
    with open(os.path.join(folder, "out"), "w") as out, open(os.path.join(folder, "err"), "w") as err:
        program = subprocess.Popen(command + args, cwd=folder, stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=err,
                                   env=dict(os.environ, XDG_DATA_HOME=folder))
        interrupt(program, err, interrupts)
        got = program.wait(timeout=LIMIT)
    if sim:
        sim.terminate()
        sim.wait()
    output = (open(out.name).read() + open(err.name).read()).replace("\r\n", "\n")
    problems = []
    if got != status:
        problems.append(f"exit status {got}, {status} expected")
    if text.format(refusing=refusing) not in output:
        problems.append(f"no {text!r}")
    if interrupts and args[0] == "download" and not open(log.name).read().rstrip().endswith(
            "coil 3394 ON"):
        problems.append("the abort coil was not the last write")
    left = [name for name in os.listdir(folder) if name.startswith(".orx-") or name == "cut.csv"]
    if left:
        problems.append(f"left {left} behind")
    # What may differ between the two runs: the ports, the backups' paths, and the commits the
    # programs came from.
    output = output.replace(refusing, "{refusing}").replace(port or "{port}", "{port}")
    output = re.sub(r"^Backup: .*$", "Backup: {path}", output, flags=re.M)
    return problems, re.sub(r" \([^)\n]*\)\n$", " (commit)\n", output)


def write_files(folder, reference):
    lines = open(reference).read().splitlines(keepends=True)
    write(os.path.join(folder, "good.csv"), "".join(lines))
    write(os.path.join(folder, "other.csv"),
          "".join(lines[:5]) + "1,1,2,1,0,0.0000,0.0000,0\n" + "".join(lines[6:]))
    write(os.path.join(folder, "bad.csv"), HEADER + "1,1,1,1,0,0,0,0\n")


def uploads_match(windows, linux):
    """The same bytes but for the time line and the CR before every line end."""
    w, l = open(windows, "rb").read(), open(linux, "rb").read()
    if l.count(b"\n") != 38 or w.count(b"\r\n") != w.count(b"\n"):
        return False
    drop_time = lambda text: text.split(b"\n", 2)[0] + text.split(b"\n", 2)[2]
    return drop_time(w.replace(b"\r\n", b"\n")) == drop_time(l)


def runs(wine_run, exe, transfer):
    failures = 0
    with tempfile.TemporaryDirectory() as linux, tempfile.TemporaryDirectory() as windows:
        sim_start(os.path.join(linux, "sim"), transfer)
        write_files(linux, os.path.join(linux, "sim", "linux-upload.csv"))
        write_files(windows, os.path.join(linux, "sim", "linux-upload.csv"))
        sim_stop(os.path.join(linux, "sim"))
        for case in CASES:
            win_problems, win_output = run([wine_run, exe], case, windows)
            linux_problems, linux_output = run([transfer], case, linux)
            if win_output != linux_output:
                win_problems.append("other output than on Linux:\n" + win_output + "\n--- Linux:\n"
                                    + linux_output)
            for where, problems in (("Windows", win_problems), ("Linux", linux_problems)):
                for problem in problems:
                    print(f"{case[0]} ({where}): {problem}")
                    failures += 1
        if not uploads_match(os.path.join(windows, "up.csv"), os.path.join(linux, "up.csv")):
            print("the Windows upload differs from the Linux one in more than the line ends")
            failures += 1
    print(f"{len(CASES)} cases, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    what = sys.argv[1]
    if what == "start-sim":
        SIM = sys.argv[3]
        sim_start(sys.argv[2], sys.argv[4])
    elif what == "stop-sim":
        sim_stop(sys.argv[2])
    elif what == "runs":
        SIM = sys.argv[4]
        sys.exit(runs(sys.argv[2], sys.argv[3], sys.argv[5]))
