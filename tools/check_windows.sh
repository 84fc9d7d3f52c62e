#!/usr/bin/env bash
# Compiles every source of the library, without linking, with Debian's MinGW-w64 cross compiler, so that code that
# only builds on Linux shows up before a Windows build does. OS-specific code belongs in tesh_kit's platform files.
#
#   tools/check_windows.sh [BUILD_DIR]    (JOBS: parallel compiles, 2 by default; WERROR=ON: warnings fail too)
#
# The third-party headers the library includes are portable, but their Debian include directories also hold the
# Linux C library's headers, which must not shadow MinGW's. Each one's own directory is linked, alone, under
# BUILD_DIR/check-windows/include and given to the cross compiler from there.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
jobs=${JOBS:-2}
compiler=x86_64-w64-mingw32-g++-posix
layer_roots=(tesh_sdk/include tesh_kit/src tesh_sdk/src metadata/src camera_settings/src plugin/src)
third_party_headers=(curl/curl.h nlohmann/json.hpp rapidxml/rapidxml.hpp)

if ! command -v "$compiler" >/dev/null 2>&1; then
    echo "check_windows: $compiler is missing; tools/setup.sh --windows installs it" >&2
    exit 1
fi

third_party="$build_dir/check-windows/include"
mkdir -p "$third_party"
for header in "${third_party_headers[@]}"; do
    # Where the Linux compiler finds the header; its top folder is what the library includes it through.
    paths=$(echo "#include <$header>" | c++ -M -x c++ - | tr ' \\' '\n\n' | grep "/$header$")
    path=${paths%%$'\n'*}
    folder=${header%%/*}
    ln -sfn "${path%/"$header"}/$folder" "$third_party/$folder"
done

# The one definition the build gives a source (plugin.cpp), from the project's version.
version=$(sed -n 's/^project(.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
flags=(-DQV_PLUGIN_VERSION="\"$version\"" -std=c++17 -fsyntax-only -isystem "$third_party"
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast)
if [ "${WERROR:-OFF}" = ON ]; then
    flags+=(-Werror)
fi
for root in "${layer_roots[@]}"; do
    flags+=(-I "$root")
done

sources=$(find "${layer_roots[@]}" -name '*.cpp' | sort)
count=$(echo "$sources" | wc -l)
start=$(date +%s)
if ! echo "$sources" | xargs -P "$jobs" -I{} sh -c 'echo "  {}" >&2; "$0" "$@" {}' "$compiler" "${flags[@]}" \
    2>"$build_dir/check-windows/errors.log"; then
    grep -v '^  ' "$build_dir/check-windows/errors.log" >&2
    echo "check_windows: sources that do not compile for Windows (full log: $build_dir/check-windows/errors.log)" >&2
    exit 1
fi
echo "check_windows: $count sources compile with $compiler in $(($(date +%s) - start)) s"
