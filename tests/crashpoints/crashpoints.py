#!/usr/bin/env python3
# Kills and fails every file-system call of small clients of the library
# (Linux, strace). Usage: crashpoints.py <client> [words of the scenarios' names]
# Each scenario runs once under strace to list its calls. Then, for each call,
# it runs again killed as the call is entered, followed by a restart that logs
# "marker", and again for each error the call can return there. check() says
# what must hold after each run. Prints a markdown row per scenario (calls,
# kill runs, fault runs, violations) and exits 1 on any violation.
import concurrent.futures, os, re, shutil, struct, subprocess, sys, tempfile

# The calls traced, with the errors each can return on a local file system
# (lseek and fcntl on an open regular file cannot fail: killed only).
ERRORS = {"openat": "EACCES EMFILE ENOENT", "write": "ENOSPC EIO EDQUOT", "read": "EIO",
          "pread64": "EIO", "close": "EIO", "ftruncate": "EIO", "fstat": "EIO", "flock": "EAGAIN",
          "renameat": "EACCES EBUSY", "renameat2": "EACCES EBUSY", "unlinkat": "EACCES EBUSY",
          "mkdir": "EACCES ENOSPC", "newfstatat": "EACCES", "access": "EACCES",
          "getcwd": "ENOENT", "lseek": "", "fcntl": ""}
EXPERT = "pd/Brivant/LOG.Expert/"
# name: steps (see client.cpp), the restart's steps (by default the first
# two), files made before the run (a number: that many zeros, sparse)
SCENARIOS = {
    "first line, folders missing": (["path={d}/a/b/app.log", "level=2", "i3"], None, {}),
    "two threads": (["path={d}/app.log", "level=2", "i1", "threads6"], None, {"app.log": b""}),
    "rotation at the cap": (["path={d}/app.log", "level=2", "i52"], None, {"app.log": 52428800 - 2600}),
    "path change, start-up log": (["path={d}/p0.log", "level=2", "i2", "path={d}/p1.log", "i2",
                                   "path={d}/p2.log", "i2"], None, {}),
    "expert mode by its marker": (["v3"], [], {EXPERT + "CppLogger.json": b"{}"}),
    "level change": (["path={d}/app.log", "level=2", "i2", "level=3", "d2"], None, {}),
}
LINE = re.compile(r" *\d+ \| \d\d\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} \|(\d)\| (.*)")
HEADER = ["0:Runtime Log continue", "0:========="]


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
            f.truncate(content) if isinstance(content, int) else f.write(content)


def calls(client, scenario, d):
    # The calls after the client's own open and close of its record: (name,
    # its count in its thread so far, as strace's when= counts, arguments).
    prepare(d, SCENARIOS[scenario][2])
    run(client, d, SCENARIOS[scenario][0], ["-o", d + "/trace", "-e", "trace=" + ",".join(ERRORS)])
    counts, found = {}, None
    for m in map(re.compile(r"(\d+) +(\w+)\((.*)").match, open(d + "/trace")):
        if m and "resumed>" not in m.group(3):
            counts[m.group(1, 2)] = counts.get(m.group(1, 2), 0) + 1
            if found is not None:
                found.append((m.group(2), counts[m.group(1, 2)], m.group(3)))
            elif d + "/record" in m.group(3):
                found = []
    return found[1:]


def check(d, scenario, record, restarted, fault):
    steps, problems, where, files = SCENARIOS[scenario][0], [], {}, {}
    for root, _, names in os.walk(d + "/logs"):
        for name in set(names) - {"CppLogger.json"}:
            files[os.path.relpath(os.path.join(root, name), d + "/logs")] = \
                open(os.path.join(root, name), "rb").read()
    # No file but the logs named, the start-up logs of later changes, the
    # rotation's and the expert log.
    paths = [step.split("/")[-1] for step in steps if step.startswith("path=")]
    known = set(paths) | {p.replace(".log", ".startup.log") for p in paths[1:]}
    problems += ["unknown file " + n for n in files if not n.startswith(EXPERT) and
                 os.path.basename(n) not in known | {"app.log_old", "app_.log", "app.log_new"}]
    for name, data in sorted(files.items()):
        text = data[: len(data) // 2 * 2].decode("utf-16-le", "replace")
        marked = text.startswith("\ufeff")
        raw = (text[1:] if marked else text.lstrip("\0")).split("\r\n")  # prefilled: NULs first
        lines = [m.group(1) + ":" + m.group(2) for m in map(LINE.fullmatch, raw[:-1]) if m]
        bad = len(data) % 2 or raw[-1] or len(lines) < len(raw) - 1
        if name.endswith("_new"):  # a fresh log not yet in place: empty or whole
            bad = data and (bad or lines != HEADER)
        elif marked and lines[:2] != HEADER:
            bad = "a byte order mark without the header"
        elif "app.log_old" in files and not marked and name in ("app.log", "app_.log") and \
                (not restarted or lines != ["2:marker"]):  # a restart's placement may make it
            bad = "started by the rotation without its header"
        if bad:
            problems.append("%s: bad shape (%s)" % (name, bad))
        last = {}
        for line in [l[2:] for l in lines if l not in HEADER and l[:2] != "1:"]:  # not a failed close's report
            if line in where:
                problems.append("%r in %s and %s" % (line, name, where[line]))
            where[line] = name
            m = re.fullmatch(r"(m|t\d\.)(\d+)", line)
            if m and int(m[2]) <= last.get(m[1], 0):
                problems.append("%s: %s out of order" % (name, line))
            last[m[1] if m else ""] = int(m[2]) if m else 0
    lost = []
    for kind, count in zip(("m", "t0.", "t1."), record[1:]):
        lost += [kind + str(i) for i in range(1, count + 1) if kind + str(i) not in where]
        if kind + str(count + 2) in where:
            problems.append("%s%d logged before its call" % (kind, count + 2))
    if "level=3" in steps[: record[0]] and "Switch Runtime Log Level from 'Info' to 'Debug'" not in where:
        lost.append("m, the switch line")
    if fault:  # the line whose write failed, in each thread (strace counts
        # per thread; a thread may be writing another's line), and all meant
        # for a log that the fault kept from being made
        names = [os.path.basename(n) if n[: len(EXPERT)] != EXPERT else None for n in files]
        lost = [t for t in lost if target(steps, t) in names]
        lost = lost[1 + any(step.startswith("threads") for step in steps):]
    if lost:
        problems.append("returned but missing: " + " ".join(lost))
    # The start-up log holds what was logged before the last path change (or
    # the next one, when killed inside it).
    changes = [i for i, step in enumerate(steps) if step.startswith("path=")][1:]
    done = [p.replace(".log", ".startup.log") for i, p in zip(changes, paths[1:]) if record[0] >= i]
    if not fault and changes and record[0] > changes[0] and any(where.get(t) not in done[-2:] for t in ("m1", "m2")):
        problems.append("the start-up log lacks m1, m2")
    return problems + ["no marker line after the restart"] * (restarted and "marker" not in where)


def target(steps, line):
    # The file name that line "m<n>" was meant for; None: the expert log.
    left, path = int(line[1:]) if line[1:].isdigit() else 0, None
    for step in steps:
        path = step.split("/")[-1] if step.startswith("path=") else path
        left -= int(step[1:]) if step[0] in "idv" else 0
        if left <= 0 and step[0] in "idv":
            break
    return path


def one_run(client, work, scenario, index, call, error):
    # (problems, whether the call was reached).
    steps, restart, made = SCENARIOS[scenario]
    d = "%s/%s-%d-%s" % (work, scenario[:4], index, error)
    action = "error=" + error if error != "kill" else "signal=KILL"
    # A thread that holds the lock writes the lines of threads waiting for
    # it, so how many writes each thread makes varies from run to run, and
    # strace counts per thread: a late call may need a few runs to come up.
    for attempt in range(20 if error == "kill" else 1):
        prepare(d, made)
        status, record = run(client, d, steps, ["-o", "/dev/null", "-e", "trace=" + call[0], "-e",
                                                "inject=%s:%s:when=%d" % (call[0], action, call[1])])
        if status == -9:
            break
    if error != "kill":
        problems = ["ended with %s" % status] * (status != 0)
        problems += ["%d of %d calls returned" % (record[0], len(steps))] * (record[0] != len(steps))
        problems += check(d, scenario, record, False, True)
    else:
        problems, killed = check(d, scenario, record, False, False), status == -9
        status = run(client, d, (steps[:2] if restart is None else restart) + ["mark"], [])[0]
        problems += ["the restart ended with %s" % status] * (status != 0)
        problems += ["after the restart: " + p for p in check(d, scenario, record, True, False)]
    if not problems:
        shutil.rmtree(d)
    return ["%s, call %d %s(%s, %s: %s" % (scenario, index, call[0], call[2][:60], error, p)
            for p in problems], error != "kill" or killed


def main():
    client, only = os.path.abspath(sys.argv[1]), " ".join(sys.argv[2:])
    work, failed = tempfile.mkdtemp(prefix="crashpoints-"), 0
    print("| scenario | calls | kill runs | fault runs | violations |\n|---|---|---|---|---|")
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for scenario in [s for s in SCENARIOS if only in s]:
            found = calls(client, scenario, work + "/trace")
            jobs = [(i, call, e) for i, call in enumerate(found, 1)
                    for e in ["kill"] + ERRORS[call[0]].split() + ["ENOSPC"] * ("O_CREAT" in call[2])]
            results = list(pool.map(lambda job: one_run(client, work, scenario, *job), jobs))
            violations = sum((problems for problems, _ in results), [])
            print("\n".join(violations[:20]), file=sys.stderr) if violations else None
            failed += len(violations)
            kills = sum(reached for (_, reached), job in zip(results, jobs) if job[2] == "kill")
            # A call that 20 runs never reached is said, not counted as killed.
            print("| %s | %d | %d | %d | %d |" % (scenario, len(found), kills, len(jobs) - len(found),
                                                  len(violations)), flush=True)
    if not failed:
        shutil.rmtree(work)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
