#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the tools need, when they are missing.
# Safe to run again: it asks apt only for what dpkg does not already report as installed.
#
#   tools/setup.sh          what the build, the tests and the tools need (clang too: the slot test compiles
#                           the interfaces for the Windows and the Linux ABI)
#   tools/setup.sh --fuzz      also clang's fuzzer runtime, for `make fuzz`
#   tools/setup.sh --browser   also Chromium and Node.js, for `make test-browser`
#   tools/setup.sh --windows   also the MinGW-w64 cross compiler, for `make check-windows`
set -euo pipefail

packages=(
    build-essential cmake make pkg-config binutils
    libgtest-dev libgmock-dev googletest
    libbenchmark-dev
    libcurl4-openssl-dev
    librapidxml-dev
    nlohmann-json3-dev
    libcli11-dev
    libmicrohttpd-dev
    libssl-dev
    libexpat1-dev
    util-linux iproute2
    clang-format-14 clang-14
)
case "${1:-}" in
    --fuzz) packages+=(libclang-rt-14-dev) ;;
    --browser) packages+=(chromium nodejs) ;;
    --windows) packages+=(g++-mingw-w64-x86-64-posix) ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
