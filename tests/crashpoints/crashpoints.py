#!/usr/bin/env python3
"""Kills and fails every file-system call of small clients of the library.

Usage: crashpoints.py <client> [--jobs N] [--only NAME]

Each scenario runs once under strace to list its calls. Then, for every call,
it runs again killed as that call is entered (a restart of the same client
then logs "marker"), and again for each error the call can return there.
After every run the logs are checked (see check()); a violation is printed and
fails the run. Prints one markdown row per scenario: calls, kill runs, fault
runs, violations.
"""
import argparse
import concurrent.futures
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

CAP = 52428800
TRACED = ("openat,write,read,pread64,close,rename,renameat,renameat2,link,linkat,unlink,unlinkat,"
          "mkdir,mkdirat,ftruncate,fstat,newfstatat,statx,access,faccessat,faccessat2,flock,lseek,"
          "getcwd,fcntl")
# The errors each call can return on a local file system; lseek and fcntl on
# an open regular file cannot fail, and are only killed.
ERRORS = {"write": "ENOSPC EIO EDQUOT", "read": "EIO", "pread64": "EIO", "close": "EIO",
          "openat": "EACCES EMFILE ENOENT", "rename": "EACCES EBUSY", "renameat": "EACCES EBUSY",
          "renameat2": "EACCES EBUSY", "unlink": "EACCES EBUSY", "unlinkat": "EACCES EBUSY",
          "link": "EACCES EEXIST", "linkat": "EACCES EEXIST", "mkdir": "EACCES ENOSPC",
          "mkdirat": "EACCES ENOSPC", "ftruncate": "EIO", "fstat": "EIO", "newfstatat": "EACCES",
          "statx": "EACCES", "access": "EACCES", "faccessat": "EACCES", "faccessat2": "EACCES",
          "flock": "EAGAIN", "getcwd": "ENOENT"}
EXPERT = "pd/Brivant/LOG.Expert"
# name: (steps, restart steps, files made before the run)
SCENARIOS = {
    "first line, folders missing": (["path={d}/a/b/app.log", "level=2", "i3"],
                                    ["path={d}/a/b/app.log", "level=2"], {}),
    "two threads": (["path={d}/app.log", "level=2", "threads6"], ["path={d}/app.log", "level=2"],
                    {"app.log": b""}),
    "rotation at the cap": (["path={d}/app.log", "level=2", "i52"], ["path={d}/app.log", "level=2"],
                            {"app.log": CAP - 2600}),
    "path change, start-up log": (["path={d}/p0.log", "level=2", "i2", "path={d}/p1.log", "i2",
                                   "path={d}/p2.log", "i2"], ["path={d}/p0.log", "level=2"], {}),
    "expert mode": (["v3"], [], {EXPERT + "/CppLogger.json": b"{}"}),
    "level change": (["path={d}/app.log", "level=2", "i2", "level=3", "d2"],
                     ["path={d}/app.log", "level=2"], {}),
}
LINE = re.compile(r" *\d+ \| \d\d\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} \|(\d)\| (.*)")
HEADER = ["0:Runtime Log continue", "0:========="]
CALL = re.compile(r"(\d+) +(\w+)\((.*)")


def run_client(client, d, steps, inject=None, timeout=30):
    """Runs the client in folder d; returns (exit status or None on a hang, record)."""
    record = os.path.join(d, "record")
    with open(record, "wb") as f:
        f.write(bytes(4096))
    command = [client, record] + [s.format(d=d + "/logs") for s in steps]
    if inject:
        command = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + inject[0],
                   "-e", "inject=%s:%s:when=%d" % inject] + command
    env = dict(os.environ, PROGRAMDATA=d + "/logs/pd")
    try:
        status = subprocess.run(command, cwd=d + "/logs", env=env, timeout=timeout,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    except subprocess.TimeoutExpired:
        status = None
    with open(record, "rb") as f:
        return status, struct.unpack("4I", f.read(16))


def prepare(d, made):
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d + "/logs/pd")
    for name, content in made.items():
        path = os.path.join(d, "logs", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            if isinstance(content, int):
                f.truncate(content)  # sparse: zeros that cost no disk
            else:
                f.write(content)


def calls(client, scenario, work):
    """The scenario's file-system calls as (syscall, n-th of that call in its thread, args)."""
    steps, _, made = SCENARIOS[scenario]
    d = tempfile.mkdtemp(dir=work)
    prepare(d, made)
    trace = os.path.join(work, "trace-" + os.path.basename(d))
    command = ["strace", "-f", "-qq", "-o", trace, "-e", "trace=" + TRACED, client, d + "/record"]
    command += [s.format(d=d + "/logs") for s in steps]
    with open(d + "/record", "wb") as f:
        f.write(bytes(4096))
    subprocess.run(command, cwd=d + "/logs", env=dict(os.environ, PROGRAMDATA=d + "/logs/pd"),
                   check=True, timeout=60)
    counts, found, started = {}, [], False
    with open(trace) as f:
        for text in f:
            m = CALL.match(text)
            if not m or "resumed>" in text:
                continue
            key = (m.group(1), m.group(2))
            counts[key] = counts.get(key, 0) + 1
            if started:
                found.append((m.group(2), counts[key], m.group(3)))
            elif d + "/record" in text:
                started = True  # the client's own open and close come first
    shutil.rmtree(d)
    return found[1:]


def parse(data):
    """The lines of one log as "level:text", and what is wrong with its shape."""
    problems = []
    if len(data) % 2:
        problems.append("odd length")
    text = data[: len(data) // 2 * 2].decode("utf-16-le", "replace")
    marked = text.startswith("\ufeff")
    text = text[1:] if marked else text.lstrip("\0")  # a prefilled log starts with NULs
    if text and not text.endswith("\r\n"):
        problems.append("last line without its end")
    lines = []
    for line in text.split("\r\n")[:-1]:
        m = LINE.fullmatch(line)
        if not m:
            problems.append("damaged line %r" % line[:60])
        else:
            lines.append(m.group(1) + ":" + m.group(2))
    if marked and lines[:2] != HEADER:
        problems.append("byte order mark without the header")
    return lines, marked, problems


def check(d, scenario, record, restarted, fault):
    """Violations of what holds after a run (and its restart)."""
    steps = SCENARIOS[scenario][0]
    logs, problems, where = d + "/logs", [], {}
    files = {}
    for root, _, names in os.walk(logs):
        for name in names:
            if name != "CppLogger.json":
                path = os.path.join(root, name)
                files[os.path.relpath(path, logs)] = open(path, "rb").read()
    for name, data in sorted(files.items()):
        lines, marked, bad = parse(data)
        if name.endswith("_new"):  # a fresh log not yet in place: empty or whole
            if data and (bad or lines != HEADER):
                problems.append("%s: neither empty nor mark and header" % name)
            continue
        problems += ["%s: %s" % (name, p) for p in bad]
        last = {}
        for i, line in enumerate(lines):
            text = line[2:]
            if line.startswith("0:Runtime") or line.startswith("0:====") or line.startswith("1:"):
                continue  # header lines; a failed close's report
            if text in where:
                problems.append("%s: %r also in %s" % (name, text, where[text]))
            where[text] = name
            m = re.fullmatch(r"(m|t\d\.)(\d+)", text)
            if m:
                if int(m.group(2)) <= last.get(m.group(1), 0):
                    problems.append("%s: %r out of order" % (name, text))
                last[m.group(1)] = int(m.group(2))
        # A log that a rotation started is whole: mark and header, or absent.
        rotated = scenario.startswith("rotation") and "app.log_old" in files
        if rotated and name in ("app.log", "app_.log") and not marked:
            if not restarted or [l for l in lines if l != "2:marker"]:
                problems.append("%s: started by the rotation without mark and header" % name)
    returned = {"m": record[1], "t0.": record[2], "t1.": record[3]}
    lost = []
    for kind, count in returned.items():
        lost += [kind + str(i) for i in range(1, count + 1) if kind + str(i) not in where]
        if kind + str(count + 2) in where:
            problems.append("%s%d written before its call" % (kind, count + 2))
    switch = "Switch Runtime Log Level from 'Info' to 'Debug'"
    if "level=3" in steps and record[0] > steps.index("level=3") and switch not in where:
        lost.append("the switch line")
    if fault:  # the line whose call failed (one a thread), and those meant
        # for a log that the fault kept from being made
        lost = [t for t in lost if target_exists(files, steps, t)]
        group = [t[:2] if t[1].isdigit() else "m" for t in lost]  # t0, t1 or the main thread
        lost = [t for i, t in enumerate(lost) if group[i] in group[:i]]
    if lost:
        problems.append("returned but missing: %s" % " ".join(lost[:8]))
    # The start-up log holds what was logged before the last path change (or
    # the next one's, when killed inside that change).
    paths = [i for i, st in enumerate(steps) if st.startswith("path=")]
    if not fault and len(paths) > 1 and record[0] > paths[1]:
        names = [steps[i].split("/")[-1].replace(".log", ".startup.log")
                 for i in paths if record[0] >= i]
        if any(where.get(t) not in names[-2:] for t in ("m1", "m2")):
            problems.append("start-up log %s lacks the first lines" % names[-2])
    if restarted and "marker" not in where:
        problems.append("restart: no marker line")
    return problems


def target_exists(files, steps, text):
    """Whether the log that line `text` was meant for exists (faults may keep
    a log from being made, and its lines are dropped until the next change)."""
    number = int(text[1:]) if text[0] == "m" else 0
    path, seen = None, 0
    for step in steps:
        if step.startswith("path="):
            path = step.split("/")[-1]
        elif step[0] in "idv" and step[1:].isdigit():
            seen += int(step[1:])
            if number <= seen:
                break
    if path is None:  # expert mode: its log in the expert folder
        return any(n.startswith(EXPERT) and n.endswith(".log") for n in files)
    return any(os.path.basename(n) == path for n in files)


def one_run(client, work, scenario, call, index, error):
    steps, restart, made = SCENARIOS[scenario]
    d = os.path.join(work, "run-%d-%s" % (index, error or "kill"))
    prepare(d, made)
    name, nth, args = call
    status, record = run_client(client, d, steps, (name, "error=" + error if error else "signal=KILL", nth))
    problems = []
    if error:
        if status != 0:
            problems.append("ended with %s" % ("a hang" if status is None else status))
        elif record[0] != len(steps):
            problems.append("only %d of %d calls returned" % (record[0], len(steps)))
        problems += check(d, scenario, record, False, True)
    else:
        problems += ["before restart: " + p for p in check(d, scenario, record, False, False)]
        if run_client(client, d, restart + ["mark"])[0] != 0:
            problems.append("restart failed")
        problems += ["after restart: " + p for p in check(d, scenario, record, True, False)]
    if not problems:
        shutil.rmtree(d)
    return ["%s, call %d %s(%s, %s: %s" % (scenario, index, name, args[:70], error or "kill", p)
            for p in problems]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("client")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--only", default="")
    options = parser.parse_args()
    options.client = os.path.abspath(options.client)
    work = tempfile.mkdtemp(prefix="crashpoints-")
    rows, failed = [], 0
    with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
        for scenario in SCENARIOS:
            if options.only not in scenario:
                continue
            found = calls(options.client, scenario, work)
            jobs = [(call, i, None) for i, call in enumerate(found, 1)]
            jobs += [(call, i, e) for i, call in enumerate(found, 1)
                     for e in ERRORS.get(call[0], "").split() +
                     (["ENOSPC"] if call[0] == "openat" and "O_CREAT" in call[2] else [])]
            results = pool.map(lambda j: one_run(options.client, work, scenario, *j), jobs)
            violations = [v for r in results for v in r]
            for v in violations[:20]:
                print(v, file=sys.stderr)
            failed += len(violations)
            kills = sum(1 for j in jobs if j[2] is None)
            rows.append("| %s | %d | %d | %d | %d |" % (scenario, len(found), kills,
                                                        len(jobs) - kills, len(violations)))
            print(rows[-1], flush=True)
    if not failed:
        shutil.rmtree(work)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
