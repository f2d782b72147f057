#!/usr/bin/env python3
"""The reader's cost on many logs, measured (never a timed test).

    python3 scripts/reader_scale.py [path/to/vuzavov-log]

Makes one-record logs in a scratch folder and reports, for each case, the
wall time, the CPU time and the peak resident memory of the reader (from
wait4), with the open-file limit at 1,024:
  - the first pass of --follow DIR over 5,000 logs, and how often the state
    was saved (counted with strace, when it is installed);
  - the same over 20,000 logs, then 30 s of following them idle, and 30 s
    with one of them written 10 times a second;
  - one-shot DIR over 5,000 logs, plain and with --all --json.
"""
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import threading
import time

READER = sys.argv[1] if len(sys.argv) > 1 else "build/linux/bin/vuzavov-log"


def make_logs(folder, first, count):
    os.makedirs(folder, exist_ok=True)
    for i in range(first, first + count):
        record = "%5d | 26.12.05 14:%02d:%02d.%03d |2| record of log %d\r\n" % (
            7, i // 60000 % 60, i // 1000 % 60, i % 1000, i)
        with open(os.path.join(folder, "app-%05d.log" % i), "wb") as f:
            f.write(b"\xff\xfe" + record.encode("utf-16-le"))


def limit_files():
    resource.setrlimit(resource.RLIMIT_NOFILE, (1024, 1024))


def run(args, out=subprocess.DEVNULL, prefix=()):
    start = time.monotonic()
    process = subprocess.Popen(list(prefix) + [READER] + args, stdout=out,
                               stderr=subprocess.PIPE, preexec_fn=limit_files)
    stderr = process.stderr.read()
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    cpu = usage.ru_utime + usage.ru_stime
    errors = [line for line in stderr.decode(errors="replace").splitlines()
              if not line.startswith("note:")]
    return wall, cpu, usage.ru_maxrss / 1024, os.waitstatus_to_exitcode(status), errors


def report(name, result, extra=""):
    wall, cpu, rss, code, errors = result
    print("%-44s wall %6.2f s  cpu %6.2f s  peak RSS %6.1f MiB  exit %d  errors %d%s"
          % (name, wall, cpu, rss, code, len(errors), extra))
    for line in errors[:3]:
        print("    " + line)


def lines(path):
    with open(path, "rb") as f:
        return sum(1 for _ in f)


def main():
    scratch = tempfile.mkdtemp(prefix="vzv-scale-")
    try:
        logs = os.path.join(scratch, "logs")
        state, out = os.path.join(scratch, "state"), os.path.join(scratch, "out.json")
        make_logs(logs, 0, 5000)
        follow = ["--follow", logs, "--state", state, "--out", out]
        report("--follow DIR, first pass, 5,000 logs", run(follow + ["--follow-for", "0"]),
               "  records %d  state %d KiB" % (lines(out), os.path.getsize(state) // 1024))
        if shutil.which("strace"):
            os.remove(state)
            os.remove(out)
            trace = os.path.join(scratch, "trace")
            run(follow + ["--follow-for", "0"],
                prefix=("strace", "-f", "-qq", "-e", "trace=rename", "-o", trace))
            with open(trace) as f:
                saves = sum(1 for line in f if ".tmp" in line)
            print("    state saved %d times for 5,000 logs" % saves)

        make_logs(logs, 5000, 15000)
        report("--follow DIR, first pass, 20,000 logs", run(follow + ["--follow-for", "0"]),
               "  records %d" % lines(out))
        wall, cpu, rss, code, errors = run(follow + ["--follow-for", "30"])
        report("--follow DIR, 30 s idle, 20,000 logs", (wall, cpu, rss, code, errors),
               "  %.1f%% of one core" % (100 * cpu / wall))

        before = lines(out)
        done = threading.Event()

        def write_one_log():
            record = "    7 | 26.12.05 15:00:00.000 |2| one more\r\n".encode("utf-16-le")
            while not done.wait(0.1):
                with open(os.path.join(logs, "app-00042.log"), "ab") as f:
                    f.write(record)

        writer = threading.Thread(target=write_one_log)
        writer.start()
        wall, cpu, rss, code, errors = run(follow + ["--follow-for", "30"])
        done.set()
        writer.join()
        report("--follow DIR, 30 s, 20,000 logs, one written", (wall, cpu, rss, code, errors),
               "  %.1f%% of one core  records %d" % (100 * cpu / wall, lines(out) - before))

        shutil.rmtree(logs)
        make_logs(logs, 0, 5000)
        for args in ([logs], ["--all", "--json", logs]):
            with open(out, "wb") as f:
                result = run(args, out=f)
            report("one-shot " + " ".join(a for a in args if a != logs) + " DIR, 5,000 logs",
                   result, "  records %d" % lines(out))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
