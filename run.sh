#!/usr/bin/env bash
# Builds the tool and starts it. By default COM 1 is wired to a simulated sign (build/signsim,
# paced at the real 9600 baud, model RW2290, build 41) through a private configuration folder,
# and the simulator stops when the tool exits. ./run.sh --no-sim starts the tool alone, for a
# real sign on a real port.
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")" && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"

simulate=1
case "${1:-}" in
    --no-sim) simulate=0 ;;
    "") ;;
    *) echo "usage: $0 [--no-sim]" >&2; exit 2 ;;
esac

install_missing_packages "${SIGNCONFIG_PACKAGES[@]}"
configure_and_build build

if [ "$simulate" -eq 0 ]; then
    exec "$SIGNCONFIG_ROOT/build/signconfig"
fi

# The tool reads its port map from $XDG_CONFIG_HOME/signconfig/ports; a private folder keeps the
# simulator's link out of the user's own map.
sim_home="$(mktemp -d "${TMPDIR:-/tmp}/signconfig-sim.XXXXXX")"
sim_log="$sim_home/signsim.log"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$sim_home"
}
trap cleanup EXIT INT TERM

"$SIGNCONFIG_ROOT/build/signsim" --pace --model RW2290 --build 41 \
    --link "$sim_home/signconfig/ports/COM1" >"$sim_log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 50); do
    [ -L "$sim_home/signconfig/ports/COM1" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$sim_log" >&2; exit 1; }
    sleep 0.1
done
echo "Simulated sign on $(head -n 1 "$sim_log") as COM 1; its conversation: $sim_log"
XDG_CONFIG_HOME="$sim_home" "$SIGNCONFIG_ROOT/build/signconfig"
