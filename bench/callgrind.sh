#!/usr/bin/env bash
# Instructions per call under callgrind, user space only: each kind runs with
# two call counts and the difference is divided by the extra calls, so the
# start-up and the first line (which sizes the buffers) cancel out.
# Usage: callgrind.sh <bench build folder>
set -euo pipefail
probe="$(realpath "$1")/bin/vzv_callgrind_probe"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
low=2000
high=12000

instructions() {  # kind count
    valgrind --tool=callgrind --callgrind-out-file="$scratch/out" "$probe" "$1" "$2" "$scratch" \
        2>&1 >/dev/null | sed -n 's/.*Collected : *\([0-9]*\).*/\1/p'
    rm -f "$scratch"/*.log "$scratch"/*.log_old "$scratch/out"
}

printf '%-16s %s\n' "call" "instructions per call"
for kind in narrow wide verbose_1000 scope disabled disabled_scope peer; do
    a=$(instructions "$kind" "$low")
    b=$(instructions "$kind" "$high")
    printf '%-16s %d\n' "$kind" $(( (b - a) / (high - low) ))
done

# Pages touched per line: each costs a page walk after the line's write
# call, which flushes the TLB on this kind of kernel (see pages.py).
printf '\n%-16s %s\n' "line" "pages touched per line (lackey)"
for kind in floor narrow wide peer; do
    valgrind --tool=lackey --trace-mem=yes --log-file="$scratch/trace" "$probe" "$kind" 300 \
        "$scratch" >/dev/null 2>&1
    printf '%-16s %s\n' "$kind" "$(python3 "$(dirname "$0")/pages.py" "$scratch/trace" 300)"
    rm -f "$scratch"/*
done
