#!/usr/bin/env python3
# Ships a client's logs through the rsyslog setup of contrib/rsyslog (a host
# and a collector on loopback, RELP with TLS, certificates made here) and
# checks that the collector gets every record of the logs once, as the reader
# reads them, with the sending host and the time of receipt, and every record
# that was logged:  ship_test.py BUILD_DIR  (BUILD_DIR/bin holds vuzavov-log
# and shipping_client). On the way: neither end starts without its
# certificate, nor the collector without its listener; clients without a
# valid certificate or with a name not permitted are refused; a log that
# crosses its size cap while the reader is stopped, new logs with start-up
# logs, the longest record, a longer one as a damaged log may hold, the
# collector away while a client logs, and the reader's output rotated. Ends
# with one line of counts. Standard library only.

import json, os, shutil, socket, ssl, subprocess, sys, time  # noqa: E401
from collections import Counter
from pathlib import Path

BIN, WORK = Path(sys.argv[1]).resolve() / "bin", Path(sys.argv[1]).resolve() / "shipping"
CONF = Path(__file__).resolve().parents[2] / "contrib" / "rsyslog"
COUNT = 1000  # records per thread of each start of the client


def wait_until(what, check, seconds=120):
    end = time.monotonic() + seconds
    while not check():
        assert time.monotonic() < end, f"timed out waiting for {what}"
        time.sleep(0.05)


# A record of a JSON object, as (time, thread, level, text).
def record(fields):
    return tuple(fields[key] for key in ("@timestamp", "process.thread.id", "log.level_number", "message"))


def lines(path):
    return path.read_text(encoding="utf-8").splitlines() if path.exists() else []


# A log line as the library writes it, in UTF-16LE.
def log_line(level, text):
    return (time.strftime(f"    1 | %y.%m.%d %H:%M:%S.000 |{level}| ") + text + "\r\n").encode("utf-16-le")


shutil.rmtree(WORK, ignore_errors=True)
logs, host, collector, certs, forger, data = (WORK / d for d in ("logs", "host", "collector", "certs", "forger", "pd"))
for folder in (logs, host, collector, certs, forger, data):
    folder.mkdir(parents=True)
store, out, state = collector / "store.json", host / "records.json", host / "reader.state"
# The CA signs the collector's certificate, the host's and an intruder's,
# whose name the collector does not permit; a forger signs its own.
for folder, name in ((certs, "ca"), (certs, "collector.test"), (certs, "a.hosts.test"), (certs, "intruder.test"),
                     (forger, "ca"), (forger, "b.hosts.test")):
    subprocess.run([CONF / "vzv-cert", folder, name], check=True, capture_output=True)
with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
# No VZV_LISTEN: the collector listens on loopback unless given an address.
env = dict({k: v for k, v in os.environ.items() if k != "VZV_LISTEN"}, VZV_HOST_WORK=str(host), LC_ALL="C.UTF-8",
           VZV_JSON_FILE=str(out), VZV_COLLECTOR="127.0.0.1", VZV_COLLECTOR_NAME="collector.test",
           VZV_RELP_PORT=str(port), VZV_PERMITTED="*.hosts.test", VZV_COLLECTOR_WORK=str(collector),
           VZV_STORE_FILE=str(store), VZV_TLS_CA=str(certs / "ca.pem"), PROGRAMDATA=str(data))


def tls(name, folder=certs):
    return {"VZV_TLS_CERT": str(folder / f"{name}.pem"), "VZV_TLS_KEY": str(folder / f"{name}-key.pem")}


roles, daemons = {"host": tls("a.hosts.test"), "collector": tls("collector.test"), "reader": {}}, {}


def start(name):
    argv = [str(BIN / "vuzavov-log"), "--follow", str(logs), "--state", str(state), "--out", str(out),
            "--out-max-bytes", "600000"] if name == "reader" else [CONF / "vzv-rsyslogd", name, WORK / f"{name}.pid"]
    daemons[name] = subprocess.Popen(argv, env={**env, **roles[name]})


def stop(name):
    daemons[name].terminate()
    return daemons.pop(name).wait(timeout=20)


def client(tag):
    return subprocess.Popen([str(BIN / "shipping_client"), str(logs / f"{tag}.log"), tag, str(COUNT)],
                            env=env, stdin=subprocess.PIPE)


# The client logs the second half of its records once its input ends.
def ended(proc):
    proc.stdin.close()
    assert proc.wait(timeout=60) == 0, f"the client exited with {proc.returncode}"


# Whether something listens on the port of 127.0.0.1 (Linux's table of TCP sockets).
def listening():
    table = Path("/proc/net/tcp").read_text().splitlines()[1:]
    return any(row.split()[1] == f"0100007F:{port:04X}" and row.split()[3] == "0A" for row in table)


def stored(text):
    return sum(text in line for line in lines(store))


# Sends one record over RELP with TLS under a certificate, or none: whether
# the collector acknowledged it.
def relp_client(label, cert):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    context.check_hostname, context.verify_mode = False, ssl.CERT_NONE
    if cert:
        context.load_cert_chain(cert["VZV_TLS_CERT"], cert["VZV_TLS_KEY"])
    frames = ("open", "relp_version=0\nrelp_software=test\ncommands=syslog"), (
        "syslog", f'<134>1 - {label} test - - - @cee:{{"message":"relp client {label}"}}')
    try:
        with context.wrap_socket(socket.create_connection(("127.0.0.1", port), timeout=20)) as s:
            for number, (command, text) in enumerate(frames, 1):
                s.sendall(f"{number} {command} {len(text)} {text}\n".encode())
                answer = s.recv(4096)
        return answer.startswith(b"2 rsp 6 200 OK")
    except OSError:
        return False


try:
    # Each fails at once and says why: an end without its certificate
    # (rsyslogd alone), a host with a certificate of another CA and a
    # collector whose port is taken (vzv-rsyslogd).
    with socket.create_server(("127.0.0.1", port)):
        for direct, role, change, why in ((True, "collector", {"VZV_TLS_CERT": ""}, "certificate file"),
                                          (True, "host", {"VZV_TLS_KEY": ""}, "certificate file"),
                                          (False, "host", tls("b.hosts.test", forger), "not a valid certificate"),
                                          (False, "collector", {}, "not listening")):
            argv = (["rsyslogd", "-n", "-f", CONF / f"{role}.conf", "-i", WORK / "failed.pid"] if direct else
                    [CONF / "vzv-rsyslogd", role, WORK / "failed.pid"])
            run = subprocess.run(argv, env={**env, **roles[role], **change}, capture_output=True, text=True,
                                 timeout=60)
            assert run.returncode != 0 and why in run.stderr, f"{role} {change}: {run.stderr}"
    start("collector")
    # omrelp may send its first message twice when its first connection
    # fails; a host started after its collector listens does not.
    wait_until("the collector to listen", listening)
    forged = {label: relp_client(label, cert) for label, cert in (
        ("none", None), ("forger", tls("b.hosts.test", forger)), ("intruder", tls("intruder.test")))}
    assert relp_client("control", roles["host"]), "a client with the host's certificate was refused"
    wait_until("the control record at the collector", lambda: stored("relp client control"))
    start("host")
    start("reader")
    # A begins with one record and zeros to 200 kB below the size cap: its
    # records (about 120 bytes each, and one of 32 kB) cross the cap in its
    # second half, logged while the reader is away.
    (logs / "A.log").write_bytes(log_line(2, "prefill"))
    os.truncate(logs / "A.log", 52428800 - 200000)
    # D holds a record longer than the library writes, as a damaged log may:
    # 130,000 control characters, a JSON line of 780 kB.
    (logs / "D.log").write_bytes(log_line(3, "\x01" * 130000))
    first = client("A")
    wait_until("A's first records at the collector", lambda: stored('"A t') > 100)
    assert stop("reader") == 0, "the reader did not stop cleanly"
    ended(first)
    ended(client("B"))
    assert (logs / "A.log_old").exists(), "A did not rotate"
    start("reader")
    wait_until("B's records at the collector", lambda: stored('"B t') >= 2 * COUNT)
    stop("collector")
    ended(client("C"))
    # State lines after the header: "<volume> <index> <offset> <head> <hash> <path>".
    wait_until("the reader to write out every record", lambda: lines(state) and all(
        int(line.split(" ")[2]) == (logs / Path(line.split(" ", 5)[5]).name).stat().st_size
        for line in lines(state)[1:]))
    start("collector")
    # What the reader makes of the logs, read whole: what must arrive.
    expected = Counter(record(json.loads(line)) for line in subprocess.run(
        [str(BIN / "vuzavov-log"), "--json", str(logs)], capture_output=True, check=True).stdout.splitlines())
    wait_until("every record at the collector", lambda: len(lines(store)) > sum(expected.values()) and len(
        {json.loads(line)["event.id"] for line in lines(store)}) > sum(expected.values()))
    assert Path(f"{out}.1").exists(), "the reader's output was not rotated"
finally:
    for name in list(daemons):
        stop(name)

# RELP sends again what it saw no acknowledgement for, as it was: under the
# same event.id, by which a store keeps it once.
copies, forged_stored = {}, sum(stored(f"relp client {label}") for label in forged)
for line in lines(store):
    fields = json.loads(line)
    assert "host.name" in fields and "event.ingested" in fields and "error.message" not in fields, line[:300]
    if "relp client" not in line:
        copies.setdefault(fields["event.id"], set()).add(record(fields))
assert not any(forged.values()) and forged_stored == 0, f"forged: {forged}, {forged_stored} stored"
assert all(len(each) == 1 for each in copies.values()), "two records under one event.id"
received = Counter(next(iter(each)) for each in copies.values())
ours = sum(n for (_, _, level, _), n in expected.items() if level != 0)
logged = 2 + 3 * (2 * COUNT + 21)  # the prefill, D, three starts with their early records and longest one
lost, extra = expected - received, received - expected
longest = sum(n for (_, _, _, text), n in received.items() if text == "\x01" * 16383)
print(f"shipping: {logged} records logged, {ours} in the logs, {sum(received.values())} received, "
      f"{sum(lost.values())} lost, {sum(extra.values())} duplicated, {len(lines(store)) - 1 - len(copies)} sent again "
      f"by RELP under their event.id, {forged_stored} forged stored, {longest} of 16383 control characters, "
      f"longest line {max(map(len, lines(store)))} bytes")
assert ours == logged and not lost and not extra and longest == 3, (
    f"lost {[repr(r)[:200] for r in sorted(lost)[:5]]}, twice {[repr(r)[:200] for r in sorted(extra)[:5]]}")
