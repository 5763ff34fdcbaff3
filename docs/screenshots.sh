#!/usr/bin/env bash
# Takes the README's pictures: starts the tool on a virtual X server against the simulated sign,
# presses "Download from Sign", then opens "Setup Default Message" and "Send Test Message" with
# real mouse clicks, and saves each window into docs/ as a PNG.
#
#   docs/screenshots.sh [BUILD_DIR]     (default build/; it is configured and built first)
#
# The buttons are found through the accessibility bus, which tells where each one sits on the
# screen; xdotool then clicks there as a person would. There is no window manager: every
# picture is taken by window id, so it shows the window without a frame.
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"

SCREENSHOT_PACKAGES=(xvfb xdotool imagemagick dbus at-spi2-core python3-pyatspi)

# The accessibility bus lives on a session bus; a private one ends with this script.
if [ -z "${SIGNCONFIG_SCREENSHOT_BUS:-}" ]; then
    install_missing_packages "${SIGNCONFIG_PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}"
    exec dbus-run-session -- env SIGNCONFIG_SCREENSHOT_BUS=1 bash "$0" "$@"
fi

dir="${1:-build}"
configure_and_build "$dir"
tool="$SIGNCONFIG_ROOT/$dir/signconfig"
simulator="$SIGNCONFIG_ROOT/$dir/signsim"
docs="$SIGNCONFIG_ROOT/docs"

work="$(mktemp -d "${TMPDIR:-/tmp}/signconfig-shots.XXXXXX")"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() {
    echo "screenshots.sh: $*" >&2
    exit 1
}

# Where the named push button of the running tool sits: "X Y" of its centre on the screen.
button_centre() {
    /usr/bin/python3 - "$1" <<'PY'
import sys, time
import pyatspi

name = sys.argv[1]
deadline = time.monotonic() + 15
while time.monotonic() < deadline:
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "signconfig":
            continue
        button = pyatspi.utils.findDescendant(
            app, lambda a: a is not None and a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == name)
        if button is not None:
            box = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            if box.width > 0 and box.height > 0:
                print(box.x + box.width // 2, box.y + box.height // 2)
                sys.exit(0)
    time.sleep(0.2)
sys.exit(f'no button "{name}" in the tool')
PY
}

click_button() {
    local where
    where="$(button_centre "$1")" || fail "cannot find the button \"$1\""
    # shellcheck disable=SC2086 # two numbers, split on purpose
    xdotool mousemove --sync $where click 1
}

# The id of the largest visible window whose title starts with $1, waiting up to 10 s (Qt may
# make small helper windows with the same title).
window_id() {
    local id best="" area=0 w h
    for id in $(timeout 10 xdotool search --sync --onlyvisible --name "^$1" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
        w=$WIDTH h=$HEIGHT
        if [ $((w * h)) -gt "$area" ]; then area=$((w * h)); best="$id"; fi
    done
    [ -n "$best" ] || return 1
    echo "$best"
}

snap() {
    local id="$1" file="$2"
    sleep 2 # let the window finish painting and its first exchange with the sign (up to 1.2 s)
    import -window "$id" "$docs/$file"
    echo "Saved docs/$file"
}

# Closes a dialog with Escape, as a person would, and waits until it is gone.
close_dialog() {
    local id="$1" title="$2"
    xdotool windowfocus --sync "$id" key Escape
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "^$title" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the window \"$title\" did not close on Escape"
}

# A virtual screen; -displayfd picks a free display number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 1 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

# The simulated sign as COM 1 of a private port map.
export XDG_CONFIG_HOME="$work/config"
"$simulator" --link "$XDG_CONFIG_HOME/signconfig/ports/COM1" >"$work/signsim.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do
    [ -L "$XDG_CONFIG_HOME/signconfig/ports/COM1" ] && break
    sleep 0.1
done
[ -L "$XDG_CONFIG_HOME/signconfig/ports/COM1" ] || fail "signsim did not start: $(cat "$work/signsim.log")"

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$tool" >"$work/signconfig.log" 2>&1 &
pids+=($!)
main="$(window_id "Sign Configuration Manager ver")" || fail "the main window did not appear"

# "Download from Sign", then wait for the whole dump to have gone out and the window to settle.
click_button "Download from Sign"
for _ in $(seq 1 50); do
    awk '/^< DOWNLOAD_ALL/ { asked = 1; next } asked && /^> / { answered = 1 } END { exit !answered }' \
        "$work/signsim.log" && break
    sleep 0.1
done
grep -q '^> ' "$work/signsim.log" || fail "the sign was not asked or did not answer: $(cat "$work/signsim.log")"
snap "$main" main-window.png

missing=()
for window in "Setup Default Message:default-message.png" "Send Test Message:test-message.png"; do
    title="${window%%:*}"
    file="${window#*:}"
    click_button "$title"
    if ! id="$(window_id "$title")"; then
        missing+=("$title")
        continue
    fi
    snap "$id" "$file"
    close_dialog "$id" "$title"
done
[ "${#missing[@]}" -eq 0 ] || fail "no window opened from: ${missing[*]}"
