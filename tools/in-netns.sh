#!/usr/bin/env bash
# Runs a command in a private network namespace where only loopback exists, and is up. The camera
# simulator's tests listen on port 80 of 127.0.0.N there: permitted without privileges on the machine,
# and unable to reach or disturb any other network.
#
#   tools/in-netns.sh ctest --output-on-failure
#
# As root the namespace needs only `unshare --net`; an ordinary user also gets a user namespace in which
# it is root. Where no namespace can be made the command runs directly, with a warning: as root the
# tests still bind port 80; as an ordinary user they skip themselves.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi

ip_command=$(command -v ip || true)
for candidate in /usr/sbin/ip /sbin/ip /usr/bin/ip; do
    if [ -z "$ip_command" ] && [ -x "$candidate" ]; then
        ip_command=$candidate
    fi
done

if [ "$(id -u)" -eq 0 ]; then
    namespace=(unshare --net)
else
    namespace=(unshare --user --map-root-user --net)
fi

# Probe first, so that a refused namespace is told apart from a failing command.
if [ -n "$ip_command" ] && "${namespace[@]}" -- "$ip_command" link set lo up 2>/dev/null; then
    # shellcheck disable=SC2016 # expanded by the inner shell
    exec "${namespace[@]}" -- sh -c '"$0" link set lo up && exec "$@"' "$ip_command" "$@"
fi

if [ -z "$ip_command" ]; then
    echo "in-netns: no ip command (package iproute2); running without a private network namespace" >&2
else
    echo "in-netns: cannot create a network namespace here; running without one" >&2
fi
exec "$@"
