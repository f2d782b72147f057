#!/usr/bin/env python3
# Ships a client's logs through two rsyslog instances on 127.0.0.1 and checks
# that every record arrives once, unchanged.
#
#     ship_test.py BUILD_DIR      (BUILD_DIR/bin holds vuzavov-log and shipping_client)
#
# Host: vuzavov-log --follow DIR --state --out, rsyslog imfile -> omrelp with a
# disk-assisted queue. Collector: rsyslog imrelp -> mmjsonparse -> omfile.
# On the way: a rotation of a log at its size cap, a second and a third start
# of the client (new files, one with a start-up log), the reader stopped while
# a log rotates and a new file appears, and the collector stopped while
# records are logged. Standard library only.

import json
import os
import re
import shutil
import socket
import subprocess
import sys
import time
from collections import Counter
from datetime import datetime
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BIN = Path(sys.argv[1]).resolve() / "bin"
WORK = Path(sys.argv[1]).resolve() / "shipping"
DEADLINE = time.monotonic() + 240
PREFIX = re.compile(r" *(\d+) \| (\d\d)\.(\d\d)\.(\d\d) (\d\d):(\d\d):(\d\d)\.(\d{3}) \|(\d)\| ")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(what, check, seconds=60):
    end = min(time.monotonic() + seconds, DEADLINE)
    while time.monotonic() < end:
        if check():
            return
        time.sleep(0.05)
    raise SystemExit(f"FAIL: timed out waiting for {what}")


def iso_with_offset(y, mo, d, h, mi, s, ms):
    return datetime(2000 + y, mo, d, h, mi, s, ms * 1000).astimezone().isoformat(timespec="milliseconds")


# The records of every log file, parsed here independently of the reader:
# (time, thread, level, text).
def records_in_logs(folder):
    records = []
    for path in sorted(folder.iterdir()):
        text = path.read_bytes().decode("utf-16-le", "surrogatepass").replace("\0", "")
        if text.startswith("\ufeff"):
            text = text[1:]
        current = None
        for line in text.split("\n")[:-1] if text.endswith("\n") else text.split("\n"):
            m = PREFIX.match(line)
            if m:
                if current:
                    records.append(current)
                g = [int(x) for x in m.groups()]
                current = [iso_with_offset(*g[1:8]), g[0], g[8], line[m.end():]]
            elif current is not None:
                current[3] += "\n" + line
        if current:
            records.append(current)
    return Counter((t, th, lv, txt[:-1] if txt.endswith("\r") else txt)
                   for t, th, lv, txt in records)


# rsyslogd keeps to its own files: no /dev/log socket, no system config.
def check_private(daemon):
    fd_dir = Path(f"/proc/{daemon.proc.pid}/fd")
    targets = {os.readlink(fd) for fd in fd_dir.iterdir() if fd.is_symlink()}
    dev_log = {f"socket:[{f[6]}]" for f in (line.split() for line in open("/proc/net/unix"))
               if len(f) > 7 and f[7] == "/dev/log"}
    if targets & dev_log or any(t.startswith("/etc/rsyslog") for t in targets):
        raise SystemExit(f"FAIL: {daemon.name} uses the system's logging: {sorted(targets)}")


def stored(store):
    return [line for line in store.read_text(encoding="utf-8").split("\n") if line] if store.exists() else []


class Daemon:
    def __init__(self, name, argv, env=None):
        self.name = name
        self.log = open(WORK / f"{name}.stderr", "ab")
        self.proc = subprocess.Popen(argv, env=env, stdout=self.log, stderr=self.log)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()
        return self.proc.returncode


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    logs, host, collector = WORK / "logs", WORK / "host", WORK / "collector"
    for d in (logs, host, collector, WORK / "programdata"):
        d.mkdir(parents=True)
    store, out, state = collector / "store.json", host / "records.json", host / "reader.state"
    env = dict(os.environ, VZV_HOST_WORK=str(host), VZV_JSON_FILE=str(out),
               VZV_COLLECTOR="127.0.0.1", VZV_LISTEN="127.0.0.1", VZV_RELP_PORT=str(free_port()),
               VZV_COLLECTOR_WORK=str(collector), VZV_STORE_FILE=str(store),
               PROGRAMDATA=str(WORK / "programdata"), LC_ALL="C.UTF-8")
    conf = ROOT / "contrib" / "rsyslog"

    def rsyslogd(name):
        return Daemon(name, ["rsyslogd", "-n", "-f", str(conf / f"{name}.conf"),
                             "-i", str(WORK / f"{name}.pid")], env)

    def reader():
        return Daemon("reader", [str(BIN / "vuzavov-log"), "--follow", str(logs), "--state",
                                 str(state), "--out", str(out), "--out-max-bytes", "600000"], env)

    def client(tag, count, *mode):
        return subprocess.Popen([str(BIN / "shipping_client"), str(logs / f"VuzavovEro_{tag}.log"),
                                 tag, str(count), *mode], env=env, stdout=subprocess.PIPE)

    def logged(proc):
        value = int(proc.communicate(timeout=60)[0])
        if proc.returncode != 0:
            raise SystemExit(f"FAIL: client exited with {proc.returncode}")
        return value

    def port_open():
        with socket.socket() as s:
            return s.connect_ex(("127.0.0.1", int(env["VZV_RELP_PORT"]))) == 0

    daemons = {}
    try:
        daemons["collector"] = rsyslogd("collector")
        wait_until("the collector's port", port_open)
        daemons["host"] = rsyslogd("host")
        daemons["reader"] = reader()
        for name in ("collector", "host"):
            check_private(daemons[name])
        count = 0
        # First start: crosses the size cap once the go file is there.
        go = WORK / "go"
        # Begun with one record, then zeros to just below the size cap.
        with open(logs / "VuzavovEro_2026-12-05_14-05-09.log", "wb") as f:
            f.write(time.strftime("    1 | %y.%m.%d %H:%M:%S.000 |2| prefill\r\n").encode("utf-16-le"))
            f.truncate(52428800 - 60000)
        first = client("2026-12-05_14-05-09", 1500, "wait", str(go))
        wait_until("the first records at the collector",
                   lambda: sum("2026-12-05_14-05-09 t" in line for line in stored(store)) > 100)
        # The reader stops; meanwhile the log rotates and a second start
        # begins a new file (and a start-up log).
        if daemons.pop("reader").stop() != 0:
            raise SystemExit("FAIL: the reader did not stop cleanly")
        go.touch()
        count += logged(first)
        count += logged(client("2026-12-05_14-06-10", 1000, "early"))
        if not (logs / "VuzavovEro_2026-12-05_14-05-09.log_old").exists():
            raise SystemExit("FAIL: the first log did not rotate")
        daemons["reader"] = reader()
        # The collector goes away while a third start logs.
        wait_until("the second start's records at the collector",
                   lambda: sum("2026-12-05_14-06-10 t" in line for line in stored(store)) >= 2000)
        daemons.pop("collector").stop()
        count += logged(client("2026-12-05_14-07-11", 1000))
        expected = records_in_logs(logs)
        wait_until("the reader to write out every record", lambda: all(
            int(line.split(" ")[2]) == (logs / Path(line.split(" ", 5)[5]).name).stat().st_size
            for line in state.read_text().splitlines()[1:]) if state.exists() else False)
        time.sleep(1)  # the host's queue holds the records for a while
        daemons["collector"] = rsyslogd("collector")
        total = sum(expected.values())
        wait_until("every record at the collector", lambda: len(stored(store)) >= total, 120)
        time.sleep(1)  # late duplicates would come now
        if not Path(f"{out}.1").exists():
            raise SystemExit("FAIL: the reader's output was not rotated")
    finally:
        for name in ("reader", "host", "collector"):
            if name in daemons:
                daemons[name].stop()

    received = Counter()
    bad = 0
    for line in stored(store):
        try:
            r = json.loads(line)
            received[(r["@timestamp"], r["process.thread.id"], r["log.level_number"],
                      r["message"])] += 1
        except (ValueError, KeyError):
            bad += 1
    ours = sum(n for (_, _, level, _), n in expected.items() if level != 0)
    lost, duplicated = expected - received, received - expected
    if count + 1 != ours or lost or duplicated or bad:  # + the prefill record
        raise SystemExit(f"FAIL: {count} logged, {ours} in the logs; lost {sorted(lost)[:5]}, "
                         f"duplicated or changed {sorted(duplicated)[:5]}, {bad} not JSON")
    print("PASS")


if __name__ == "__main__":
    main()
