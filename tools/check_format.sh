#!/usr/bin/env bash
# Checks that every C++ source of the repository is formatted with the root .clang-format; names the files that
# are not. `tools/check_format.sh --fix` formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."

# The version whose output .clang-format was written against; another version formats some constructs differently.
clang_format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$clang_format" ]; then
    echo "check_format: clang-format not found (tools/setup.sh installs it)" >&2
    exit 1
fi

mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp')
if [ "${1:-}" = "--fix" ]; then
    "$clang_format" -i "${sources[@]}"
    exit 0
fi

# One run over every file; each difference is reported as "file:line:column: error: ...".
mapfile -t unformatted < <("$clang_format" --dry-run --Werror "${sources[@]}" 2>&1 \
    | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ ${#unformatted[@]} -ne 0 ]; then
    printf '%s: not formatted as .clang-format says\n' "${unformatted[@]}" >&2
    echo "check_format: ${#unformatted[@]} file(s); tools/check_format.sh --fix formats them" >&2
    exit 1
fi
echo "check_format: ${#sources[@]} files formatted as .clang-format says"
