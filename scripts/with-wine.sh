#!/usr/bin/env bash
# Runs a command with the private wine prefix of a Windows build folder ready
# and a persistent wineserver, so each wine process starts in a fraction of a
# second. Usage: with-wine.sh <build-dir> <command...>; a command that is a
# Windows program runs under wine.
set -uo pipefail
build_dir=$(realpath "$1"); shift

export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=/usr/lib/wine/wineserver

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "initialising wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    "$server" -w
fi

"$server" -p
# Start wine's background services now, detached from our output: started by
# the first test instead, they would inherit ctest's pipes and hold them open.
"$wine" wineboot >/dev/null 2>&1 </dev/null
trap '"$server" -k 2>/dev/null' EXIT
case "$1" in
    *.exe) "$wine" "$@" ;;
    *) "$@" ;;
esac
