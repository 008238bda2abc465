#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and starts the program. With no
# mouse attached it runs against the virtual mouse, which vmousectl drives
# from another terminal; with no display it runs on a virtual X display.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
build="${BUILD_DIR:-$root/build}"
bin="$build/bin"
# The build speaks only when it failed or had something to do.
log="$(mktemp)"
if ! "$root/scripts/build.sh" kestrel-orbit vmouse vmousectl >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Build failed: the program was not started." >&2
    exit 1
fi
if grep -qvE '^\[ *[0-9]+%\] (Built target|Automatic (MOC|MOC and UIC|RCC) for target) ' "$log"; then
    cat "$log"
fi
rm -f "$log"
echo "Starting $bin/kestrel-orbit (settings in $bin/modules/)."

env_args=()
if grep -qsi 'HID_ID=0003:000004D9:0000A1EE' /sys/class/hidraw/*/device/uevent; then
    echo "Mouse 04d9:a1ee found: running against it."
else
    control="${VMOUSE_CONTROL:-${TMPDIR:-/tmp}/kestrel-vmouse-$(id -u).sock}"
    env_args=(LD_PRELOAD="$bin/libvmouse.so" VMOUSE_CONTROL="$control")
    cat <<INFO
No mouse attached: running against the virtual mouse.
Drive it from another terminal:
  $bin/vmousectl --socket $control dpi 3      # press the DPI button (stage 3)
  $bin/vmousectl --socket $control unplug     # and: replug, state, record, help
INFO
fi

xvfb_pid=""
program_pid=""
cleanup() {
    if [ -n "$program_pid" ]; then
        # It quits as "Quit (&Q)" does; the display goes once it has.
        kill "$program_pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
    fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # No desktop: a virtual X display, and a screenshot to look at.
    number_file="$(mktemp)"
    # A session of its own: Ctrl+C here must reach the program, not the display.
    setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$number_file" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$number_file")"
    rm -f "$number_file"
    echo "No display: running on the virtual display $DISPLAY."
    ( sleep 5; import -display "$DISPLAY" -window root "$build/screenshot.png" 2>/dev/null \
        && echo "Screenshot: $build/screenshot.png" ) &
    echo "Quit with: DISPLAY=$DISPLAY xdotool key ctrl+q   (or Ctrl+C here)"
fi

env "${env_args[@]}" "$bin/kestrel-orbit" &
program_pid=$!
status=0
wait "$program_pid" || status=$?
program_pid=""
exit "$status"
