#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Idempotent: it
# touches apt only when something is missing.
#   scripts/install-deps.sh            the build and make test
#   scripts/install-deps.sh shipping    also rsyslog with RELP (its TLS included),
#                                       openssl and ss, for make test-shipping
#   scripts/install-deps.sh crashpoints also strace, for make test-crashpoints
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev lld llvm googletest libgtest-dev libbenchmark-dev libspdlog-dev
          dpkg-dev file help2man pkgconf systemd
          g++-mingw-w64-x86-64-posix wine64 binutils-mingw-w64-x86-64)
[ "${1:-}" = shipping ] && packages+=(rsyslog rsyslog-relp openssl iproute2 python3)
[ "${1:-}" = crashpoints ] && packages+=(strace python3)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
