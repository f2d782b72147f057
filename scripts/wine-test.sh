#!/usr/bin/env bash
# Runs one Windows program under wine for ctest (the CMake emulator). Its
# output goes to a file, printed once the program has ended: wine's
# background processes, which a program may start, inherit that file and
# never a pipe of ctest's, which ctest would wait on for ever.
set -u
out=$(mktemp "${TMPDIR:-/tmp}/wine-test.XXXXXX")
/usr/lib/wine/wine64 "$@" </dev/null >"$out" 2>&1
status=$?
cat "$out"
rm -f "$out"
exit $status
