#!/usr/bin/env python3
# Kills and fails every file-system call of small clients of the library
# (Linux, strace). Usage: crashpoints.py <client> [--only TEXT]
# Each scenario runs once under strace to list its calls. Then, for each call,
# it runs again killed as the call is entered, followed by a restart that logs
# "marker", and again for each error the call can return there. check() says
# what must hold after each run. Prints a markdown row per scenario (calls,
# kill runs, fault runs, violations) and exits 1 on any violation.
import argparse, concurrent.futures, os, re, shutil, struct, subprocess, sys, tempfile

CAP = 52428800
# The calls traced, with the errors each can return on a local file system
# (lseek and fcntl on an open regular file cannot fail: killed only).
ERRORS = {"openat": "EACCES EMFILE ENOENT", "write": "ENOSPC EIO EDQUOT", "read": "EIO",
          "pread64": "EIO", "close": "EIO", "ftruncate": "EIO", "fstat": "EIO", "flock": "EAGAIN",
          "rename": "EACCES EBUSY", "renameat": "EACCES EBUSY", "renameat2": "EACCES EBUSY",
          "unlink": "EACCES EBUSY", "unlinkat": "EACCES EBUSY", "mkdir": "EACCES ENOSPC",
          "newfstatat": "EACCES", "statx": "EACCES", "access": "EACCES", "faccessat": "EACCES",
          "getcwd": "ENOENT", "lseek": "", "fcntl": ""}
EXPERT = "pd/Brivant/LOG.Expert"
# name: steps (see client.cpp), the restart's steps, files made before the run
SCENARIOS = {
    "first line, folders missing": (["path={d}/a/b/app.log", "level=2", "i3"], 0, {}),
    "two threads": (["path={d}/app.log", "level=2", "threads6"], 0, {"app.log": b""}),
    "rotation at the cap": (["path={d}/app.log", "level=2", "i52"], 0, {"app.log": CAP - 2600}),
    "path change, start-up log": (["path={d}/p0.log", "level=2", "i2", "path={d}/p1.log", "i2",
                                   "path={d}/p2.log", "i2"], 0, {}),
    "expert mode by its marker": (["v3"], [], {EXPERT + "/CppLogger.json": b"{}"}),
    "level change": (["path={d}/app.log", "level=2", "i2", "level=3", "d2"], 0, {}),
}
LINE = re.compile(r" *\d+ \| \d\d\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} \|(\d)\| (.*)")
HEADER = ["0:Runtime Log continue", "0:========="]
SWITCH = "Switch Runtime Log Level from 'Info' to 'Debug'"


def run(client, d, steps, strace):
    # The client in d under strace: (exit status, its record of returned calls).
    with open(d + "/record", "wb") as f:
        f.write(bytes(4096))
    command = ["strace", "-f", "-qq"] + strace + [client, d + "/record"]
    try:
        status = subprocess.run(command + [s.format(d=d + "/logs") for s in steps], timeout=30,
                                cwd=d + "/logs", env=dict(os.environ, PROGRAMDATA=d + "/logs/pd"),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    except subprocess.TimeoutExpired:
        status = "a hang"
    with open(d + "/record", "rb") as f:
        return status, struct.unpack("4I", f.read(16))


def prepare(d, made):
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d + "/logs/pd")
    for name, content in made.items():
        os.makedirs(os.path.dirname(os.path.join(d, "logs", name)), exist_ok=True)
        with open(os.path.join(d, "logs", name), "wb") as f:
            f.truncate(content) if isinstance(content, int) else f.write(content)  # sparse


def calls(client, scenario, d):
    # The calls after the client's own open of its record: (name, its count
    # in its thread so far, as strace's when= counts, arguments).
    prepare(d, SCENARIOS[scenario][2])
    run(client, d, SCENARIOS[scenario][0], ["-o", d + "/trace", "-e", "trace=" + ",".join(ERRORS)])
    counts, found = {}, None
    for text in open(d + "/trace"):
        m = re.match(r"(\d+) +(\w+)\((.*)", text)
        if m and "resumed>" not in text:
            counts[m.group(1, 2)] = counts.get(m.group(1, 2), 0) + 1
            if found is not None:
                found.append((m.group(2), counts[m.group(1, 2)], m.group(3)))
            elif d + "/record" in text:
                found = []
    return found[1:]  # past the record's close


def check(d, scenario, record, restarted, fault):
    steps, problems, where, files = SCENARIOS[scenario][0], [], {}, {}
    for root, _, names in os.walk(d + "/logs"):
        for name in set(names) - {"CppLogger.json"}:
            files[os.path.relpath(os.path.join(root, name), d + "/logs")] = \
                open(os.path.join(root, name), "rb").read()
    # Nothing else appears: the logs named, start-up logs of later changes, the
    # rotation's files, the expert log.
    paths = [i for i, step in enumerate(steps) if step.startswith("path=")]
    known = {steps[i].split("/")[-1] for i in paths} | {"app.log_old", "app_.log", "app.log_new"}
    known |= {steps[i].split("/")[-1].replace(".log", ".startup.log") for i in paths[1:]}
    problems += ["unknown file " + n for n in files
                 if os.path.basename(n) not in known and not n.startswith(EXPERT)]
    for name, data in sorted(files.items()):
        text = data[: len(data) // 2 * 2].decode("utf-16-le", "replace")
        marked = text.startswith("\ufeff")
        text = text[1:] if marked else text.lstrip("\0")  # a prefilled log starts with NULs
        raw = text.split("\r\n")
        lines = [m.group(1) + ":" + m.group(2) for m in map(LINE.fullmatch, raw[:-1]) if m]
        bad = len(data) % 2 or raw[-1] or len(lines) < len(raw) - 1
        if name.endswith("_new"):  # a fresh log not yet in place: empty or whole
            bad = data and (bad or lines != HEADER)
        elif marked and lines[:2] != HEADER:
            bad = "a byte order mark without the header"
        elif scenario.startswith("rotation") and "app.log_old" in files and not marked and \
                name in ("app.log", "app_.log") and (not restarted or lines != ["2:marker"]):
            bad = "started by the rotation without its header"  # (or by a restart's placement)
        if bad:
            problems.append("%s: bad shape (%s)" % (name, bad))
        last = {}
        for line in lines:
            if line in HEADER or line[:2] == "1:":
                continue  # header lines; a failed close's report
            if line[2:] in where:
                problems.append("%r in %s and %s" % (line, name, where[line[2:]]))
            where[line[2:]] = name
            m = re.fullmatch(r"(m|t\d\.)(\d+)", line[2:])
            if m and int(m.group(2)) <= last.get(m.group(1), 0):
                problems.append("%s: %s out of order" % (name, line))
            if m:
                last[m.group(1)] = int(m.group(2))
    lost = []
    for kind, count in zip(("m", "t0.", "t1."), record[1:]):
        lost += [kind + str(i) for i in range(1, count + 1) if kind + str(i) not in where]
        problems += ["%s%d logged before its call" % (kind, count + 2)] * (kind + str(count + 2) in where)
    if "level=3" in steps and record[0] > steps.index("level=3") and SWITCH not in where:
        lost.append("m: the switch line")
    if fault:  # the line whose call failed (one a thread), and those meant
        # for a log that the fault kept from being made
        lost = [t for t in lost if target_exists(files, steps, t)]
        group = [t[:2] if t[0] == "t" else "m" for t in lost]
        lost = [t for i, t in enumerate(lost) if group[i] in group[:i]]
    problems += ["returned but missing: " + " ".join(lost)] * bool(lost)
    # The start-up log holds what was logged before the last path change (or
    # the next one's, when killed inside that change).
    if not fault and len(paths) > 1 and record[0] > paths[1]:
        names = [steps[i].split("/")[-1].replace(".log", ".startup.log") for i in paths
                 if record[0] >= i]
        problems += ["the start-up log lacks m1, m2"] * any(where.get(t) not in names[-2:]
                                                             for t in ("m1", "m2"))
    return problems + ["no marker line after the restart"] * (restarted and "marker" not in where)


def target_exists(files, steps, text):
    # Whether the log that line `text` was meant for exists.
    left, path = int(text[1:]) if text[1:].isdigit() else 0, None
    for step in steps:
        if step.startswith("path="):
            path = step.split("/")[-1]
        elif step[0] in "idv" and step[1:].isdigit():
            left -= int(step[1:])
            if left <= 0:
                break
    if path is None:  # expert mode: a log in the expert folder
        return any(n.startswith(EXPERT) and n.endswith(".log") for n in files)
    return path in [os.path.basename(n) for n in files]


def one_run(client, work, scenario, index, call, error):
    steps, restart, made = SCENARIOS[scenario]
    d = "%s/%s-%d-%s" % (work, scenario[:4], index, error)
    prepare(d, made)
    action = "error=" + error if error != "kill" else "signal=KILL"
    status, record = run(client, d, steps, ["-o", "/dev/null", "-e", "trace=" + call[0], "-e",
                                            "inject=%s:%s:when=%d" % (call[0], action, call[1])])
    if error != "kill":
        problems = ["ended with %s" % status] * (status != 0)
        problems += ["%d of %d calls returned" % (record[0], len(steps))] * (record[0] != len(steps))
        problems += check(d, scenario, record, False, True)
    else:
        problems = ["not killed"] * (status != -9) + check(d, scenario, record, False, False)
        restart = steps[:2] if restart == 0 else restart
        problems += ["restart: ended with %s" % s for s in [run(client, d, restart + ["mark"], [])[0]] if s]
        problems += ["after the restart: " + p for p in check(d, scenario, record, True, False)]
    if not problems:
        shutil.rmtree(d)
    return ["%s, call %d %s(%s, %s: %s" % (scenario, index, call[0], call[2][:60], error, p)
            for p in problems]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("client")
    parser.add_argument("--only", default="")
    options = parser.parse_args()
    client, work, failed = os.path.abspath(options.client), tempfile.mkdtemp(prefix="crashpoints-"), 0
    print("| scenario | calls | kill runs | fault runs | violations |\n|---|---|---|---|---|")
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for scenario in [s for s in SCENARIOS if options.only in s]:
            found = calls(client, scenario, work + "/trace")
            jobs = [(i, call, e) for i, call in enumerate(found, 1)
                    for e in ["kill"] + ERRORS[call[0]].split() + ["ENOSPC"] * ("O_CREAT" in call[2])]
            violations = sum(pool.map(lambda job: one_run(client, work, scenario, *job), jobs), [])
            if violations:
                print("\n".join(violations[:20]), file=sys.stderr)
            failed += len(violations)
            kills = sum(1 for job in jobs if job[2] == "kill")
            print("| %s | %d | %d | %d | %d |" % (scenario, len(found), kills, len(jobs) - kills,
                                                  len(violations)), flush=True)
    if not failed:
        shutil.rmtree(work)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
