#!/usr/bin/env python3
# Ships a client's logs through the rsyslog setup of contrib/rsyslog (a host
# and a collector on 127.0.0.1) and checks that the collector gets every
# record of the logs once, as the reader reads them, and every record that was
# logged:  ship_test.py BUILD_DIR  (BUILD_DIR/bin holds vuzavov-log and
# shipping_client). On the way: a log that crosses its size cap while the
# reader is stopped, new logs with start-up logs, the collector away while a
# client logs, and the reader's output rotated. Standard library only.

import json
import os
import shutil
import socket
import subprocess
import sys
import time
from collections import Counter
from pathlib import Path

BIN = Path(sys.argv[1]).resolve() / "bin"
WORK = Path(sys.argv[1]).resolve() / "shipping"
CONF = Path(__file__).resolve().parents[2] / "contrib" / "rsyslog"
COUNT = 1000  # records per thread of each start of the client


def wait_until(what, check, seconds=120):
    end = time.monotonic() + seconds
    while not check():
        assert time.monotonic() < end, f"timed out waiting for {what}"
        time.sleep(0.05)


# The records of JSON lines, as (time, thread, level, text).
def records(lines):
    keys = ("@timestamp", "process.thread.id", "log.level_number", "message")
    return Counter(tuple(json.loads(line)[key] for key in keys) for line in lines)


def lines(path):
    return path.read_text(encoding="utf-8").splitlines() if path.exists() else []


shutil.rmtree(WORK, ignore_errors=True)
logs, host, collector = WORK / "logs", WORK / "host", WORK / "collector"
for folder in (logs, host, collector, WORK / "programdata"):
    folder.mkdir(parents=True)
store, out, state = collector / "store.json", host / "records.json", host / "reader.state"
with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
env = dict(os.environ, VZV_HOST_WORK=str(host), VZV_JSON_FILE=str(out),
           VZV_COLLECTOR="127.0.0.1", VZV_LISTEN="127.0.0.1", VZV_RELP_PORT=str(port),
           VZV_COLLECTOR_WORK=str(collector), VZV_STORE_FILE=str(store),
           PROGRAMDATA=str(WORK / "programdata"), LC_ALL="C.UTF-8")
daemons = {}


def start(name):
    argv = ["rsyslogd", "-n", "-f", str(CONF / f"{name}.conf"), "-i", str(WORK / f"{name}.pid")]
    if name == "reader":
        argv = [str(BIN / "vuzavov-log"), "--follow", str(logs), "--state", str(state),
                "--out", str(out), "--out-max-bytes", "600000"]
    daemons[name] = subprocess.Popen(argv, env=env)


def stop(name):
    daemons[name].terminate()
    return daemons.pop(name).wait(timeout=20)


def client(tag):
    argv = [str(BIN / "shipping_client"), str(logs / f"{tag}.log"), tag, str(COUNT)]
    return subprocess.Popen(argv, env=env, stdin=subprocess.PIPE)


# The client logs the second half of its records once its input ends.
def ended(proc):
    proc.stdin.close()
    assert proc.wait(timeout=60) == 0, f"the client exited with {proc.returncode}"


# Whether something listens on the port (Linux's table of TCP sockets).
def listening():
    table = Path("/proc/net/tcp").read_text().splitlines()[1:]
    return any(row.split()[1] == f"0100007F:{port:04X}" and row.split()[3] == "0A" for row in table)


def stored(tag):
    return sum(f'"{tag} t' in line for line in lines(store))


try:
    start("collector")
    # omrelp may send its first message twice when its first connection
    # fails; a host started after its collector listens does not.
    wait_until("the collector to listen", listening)
    start("host")
    start("reader")
    # A begins with one record and zeros to 180 kB below the size cap: its
    # records (about 120 bytes each) cross the cap in its second half,
    # logged while the reader is away.
    (logs / "A.log").write_bytes(
        time.strftime("    1 | %y.%m.%d %H:%M:%S.000 |2| prefill\r\n").encode("utf-16-le"))
    os.truncate(logs / "A.log", 52428800 - 180000)
    first = client("A")
    wait_until("A's first records at the collector", lambda: stored("A") > 100)
    assert stop("reader") == 0, "the reader did not stop cleanly"
    ended(first)
    ended(client("B"))
    assert (logs / "A.log_old").exists(), "A did not rotate"
    start("reader")
    wait_until("B's records at the collector", lambda: stored("B") >= 2 * COUNT)
    stop("collector")
    ended(client("C"))
    # State lines after the header: "<volume> <index> <offset> <head> <hash> <path>".
    wait_until("the reader to write out every record", lambda: lines(state) and all(
        int(line.split(" ")[2]) == (logs / Path(line.split(" ", 5)[5]).name).stat().st_size
        for line in lines(state)[1:]))
    start("collector")
    # What the reader makes of the logs, read whole: what must arrive.
    expected = records(subprocess.run([str(BIN / "vuzavov-log"), "--json", str(logs)],
                                      capture_output=True, check=True).stdout.splitlines())
    wait_until("every record at the collector",
               lambda: len(lines(store)) >= sum(expected.values()))
    assert Path(f"{out}.1").exists(), "the reader's output was not rotated"
finally:
    for name in list(daemons):
        stop(name)

received = records(lines(store))
ours = sum(n for (_, _, level, _), n in expected.items() if level != 0)
logged = 1 + 3 * (2 * COUNT + 20)  # the prefill, three starts with their early records
lost, extra = expected - received, received - expected
assert ours == logged and not lost and not extra, (
    f"{logged} logged, {ours} in the logs; lost {sorted(lost)[:5]}, "
    f"duplicated or changed {sorted(extra)[:5]}")
