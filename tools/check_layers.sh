#!/usr/bin/env bash
# Checks that every include of the library and the tools follows the layering, and prints the include graph.
#
#   tools/check_layers.sh           fails, naming each file and include, on any include against the arrows
#   tools/check_layers.sh --graph   prints "from -> to  count" for every pair of layers that include each other
#
# The arrows (each layer may also include itself):
#   tools (qvhost, qvcam, host_kit)  -> SDK interfaces
#   SDK helpers                      -> SDK interfaces, kit
#   metadata                         -> SDK helpers, SDK interfaces, kit
#   camera_settings                  -> kit; the SDK only in the files that build the settings responses
#   plugin                           -> metadata, camera_settings, SDK helpers, SDK interfaces, kit
# The build enforces the same through each layer's include root; this check also reads the text, so that a
# wrong-way include reads as one clear line rather than as a missing file.
set -euo pipefail
cd "$(dirname "$0")/.."

# Files of camera_settings that hand settings responses to the plug-in, the only ones that may see the SDK.
camera_settings_sdk_users="camera_settings/src/camera_settings/camera_read.h camera_settings/src/camera_settings/camera_settings.h"

# One awk program reads every file: the layer of a file from its path, of an include from its spelling (a quoted
# include names a file beside the includer, so it is the includer's layer unless it climbs out with "..").
# Prints "file<TAB>layer of the file<TAB>included path<TAB>layer of the included path" for every include.
includes() {
    git ls-files --cached --others --exclude-standard -- tesh_sdk tesh_kit metadata camera_settings plugin tools \
        | grep -E '\.(h|cpp)$' | xargs awk '
        function layerOfFile(f) {
            if (f ~ /^tesh_sdk\/include\//) return "sdk_interfaces"
            if (f ~ /^tesh_sdk\/src\//) return "sdk_helpers"
            if (f ~ /^tesh_kit\/src\//) return "kit"
            if (f ~ /^metadata\/src\//) return "metadata"
            if (f ~ /^camera_settings\/src\//) return "camera_settings"
            if (f ~ /^plugin\/src\//) return "plugin"
            if (f ~ /^tools\//) return "tools"
            return ""
        }
        function layerOfInclude(p) {
            if (p ~ /^tesh\/sdk\/(analytics\/)?helpers\//) return "sdk_helpers"
            if (p ~ /^tesh\/sdk\//) return "sdk_interfaces"
            if (p ~ /^tesh\/kit\//) return "kit"
            if (p ~ /^(metadata|camera_settings|plugin)\//) { split(p, part, "/"); return part[1] }
            if (p ~ /^host_kit\//) return "tools"
            return "external"
        }
        /^[ \t]*#[ \t]*include[ \t]*[<"]/ {
            from = layerOfFile(FILENAME)
            if (from == "") next
            spelled = $0
            sub(/^[ \t]*#[ \t]*include[ \t]*/, "", spelled)
            quoted = substr(spelled, 1, 1) == "\""
            path = substr(spelled, 2)
            sub(/[>"].*$/, "", path)
            to = quoted ? (path ~ /\.\./ ? "climbs_out" : from) : layerOfInclude(path)
            printf "%s\t%s\t%s\t%s\n", FILENAME, from, path, to
        }'
}

allowed() {
    local from=$1 to=$2 file=$3
    [ "$from" = "$to" ] && return 0
    [ "$to" = external ] && return 0
    case "$from:$to" in
        tools:sdk_interfaces) return 0 ;;
        sdk_helpers:sdk_interfaces | sdk_helpers:kit) return 0 ;;
        metadata:sdk_helpers | metadata:sdk_interfaces | metadata:kit) return 0 ;;
        camera_settings:kit) return 0 ;;
        camera_settings:sdk_helpers | camera_settings:sdk_interfaces)
            [[ " $camera_settings_sdk_users " == *" $file "* ]] && return 0 ;;
        plugin:metadata | plugin:camera_settings | plugin:sdk_helpers | plugin:sdk_interfaces | plugin:kit) return 0 ;;
    esac
    return 1
}

if [ "${1:-}" = "--graph" ]; then
    includes | awk -F'\t' '$4 != "external" { print $2 " -> " $4 }' | sort | uniq -c \
        | awk '{ printf "%-18s -> %-18s %5d\n", $2, $4, $1 }'
    exit 0
fi

failures=0
while IFS=$'\t' read -r file from path to; do
    if ! allowed "$from" "$to" "$file"; then
        echo "$file: includes $path ($to), which $from may not use" >&2
        failures=$((failures + 1))
    fi
done < <(includes)

if [ $failures -ne 0 ]; then
    echo "check_layers: $failures include(s) against the layering" >&2
    exit 1
fi
echo "check_layers: every include follows the layering"
