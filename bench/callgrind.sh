#!/usr/bin/env bash
# User-space instructions per call under callgrind: each kind runs with two
# call counts and the difference is divided by the extra calls, so start-up
# and the first line (which sizes the buffers) cancel out.
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
    rm -f "$scratch"/*
}

printf '%-16s %s\n' "call" "instructions per call"
for kind in floor narrow wide verbose_1000 scope disabled disabled_scope peer; do
    a=$(instructions "$kind" "$low")
    b=$(instructions "$kind" "$high")
    printf '%-16s %d\n' "$kind" $(( (b - a) / (high - low) ))
done
