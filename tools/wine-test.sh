#!/bin/sh
# Runs one Windows test program under 32-bit Wine on a private X server, in a
# throwaway prefix, and exits with the program's exit code.
#
#   wine-test.sh [--screenshots DIR] [--system-dll PATH]... [--block-drive LETTER]
#                PROGRAM [ARGS...]
#
# With --screenshots, the program asks for screen shots by writing
# DIR/NAME.request holding "WIDTH HEIGHT X Y" (screen pixels); this script
# answers with DIR/NAME.png and DIR/NAME.done, or DIR/NAME.failed.
#
# --system-dll copies a DLL into the prefix's system directory
# (C:\windows\system32), where LoadLibrary finds it by its file name.
#
# --block-drive adds LETTER: as a drive whose device is a loop device that
# has nothing attached. Wine dismounts only drives on block devices, so this
# is the letter that can be opened as \\.\X:, locked and dismounted. The
# device is never attached, read or written. With no such device free (or
# not as root), the script exits with 77, the test's "skipped".
#
# WINE_TEST_TIMEOUT bounds the program's run in seconds (default 90).
set -u

usage="usage: wine-test.sh [--screenshots DIR] [--system-dll PATH]... \
[--block-drive LETTER] PROGRAM [ARGS...]"
nl='
'
shots=""
system_dlls=""
block_drive=""
while :; do
    case "${1:-}" in
    --screenshots)
        shots=${2:?--screenshots needs a directory}
        shift 2
        ;;
    --system-dll)
        [ -f "${2:-}" ] || { echo "wine-test: no DLL ${2:-}" >&2; exit 2; }
        system_dlls="$system_dlls$2$nl"
        shift 2
        ;;
    --block-drive)
        case "${2:-}" in
        [a-zA-Z]) block_drive=$(printf %s "$2" | tr '[:upper:]' '[:lower:]') ;;
        *) echo "wine-test: --block-drive needs one letter" >&2; exit 2 ;;
        esac
        shift 2
        ;;
    *) break ;;
    esac
done
program=${1:?$usage}
shift

# A loop device with nothing attached (size 0), so nothing can be mounted
# from it, that this user may open.
free_loop_device() {
    for device in /dev/loop[0-9]*; do
        if [ ! -b "$device" ] || [ ! -r "$device" ] || [ ! -w "$device" ]; then
            continue
        fi
        [ "$(cat "/sys/block/${device#/dev/}/size" 2>/dev/null)" = 0 ] || continue
        grep -q "^$device " /proc/mounts && continue
        echo "$device"
        return 0
    done
    return 1
}

if [ -n "$block_drive" ]; then
    block_device=$(free_loop_device) || {
        echo "wine-test: no free loop device for drive $block_drive:, skipped" >&2
        exit 77
    }
fi

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-wine.XXXXXX") || exit 1
WINEARCH=win32
WINEDLLOVERRIDES="mscoree,mshtml="
WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX WINEARCH WINEDLLOVERRIDES WINEDEBUG
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-x.XXXXXX") || exit 1
xvfb_pid=""
watcher_pid=""

# shellcheck disable=SC2317 # run by the trap
cleanup() {
    [ -n "$watcher_pid" ] && kill "$watcher_pid" 2>/dev/null
    timeout 15 wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Xvfb picks a free display itself and tells us which once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!
tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "wine-test: Xvfb did not start" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY

if ! timeout 120 wineboot -i </dev/null >"$work/wineboot.log" 2>&1; then
    echo "wine-test: wineboot failed" >&2
    cat "$work/wineboot.log" >&2
    exit 1
fi
old_ifs=$IFS
IFS=$nl
for dll in $system_dlls; do
    cp "$dll" "$WINEPREFIX/drive_c/windows/system32/" || exit 1
done
IFS=$old_ifs
if [ -n "$block_drive" ]; then
    # The drive's root is a folder, its device the loop device. Wine reads
    # its drives when it starts, so it starts again.
    mkdir -p "$WINEPREFIX/drives/$block_drive" || exit 1
    ln -s "../drives/$block_drive" "$WINEPREFIX/dosdevices/$block_drive:" || exit 1
    ln -s "$block_device" "$WINEPREFIX/dosdevices/$block_drive::" || exit 1
    timeout 15 wineserver -k 2>/dev/null
fi
# Without a window manager Wine must draw the frames and captions itself.
timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1

is_number() {
    case "$1" in
    '' | *[!0-9]*) return 1 ;;
    *) return 0 ;;
    esac
}

take_shot() { # request file
    name=${1%.request}
    result=failed
    # shellcheck disable=SC2046 # four numbers, checked below
    set -- "$1" $(tr -d '\r' <"$1")
    if [ $# -ne 5 ] || ! is_number "$2" || ! is_number "$3" || ! is_number "$4" ||
        ! is_number "$5"; then
        echo "not WIDTH HEIGHT X Y: $*" >"$name.log"
    elif timeout 20 import -display "$DISPLAY" -window root \
        -crop "${2}x${3}+${4}+${5}" +repage "$name.png" 2>"$name.log"; then
        result="done"
    fi
    rm -f "$1"
    [ -s "$name.log" ] || rm -f "$name.log"
    : >"$name.$result"
}

if [ -n "$shots" ]; then
    mkdir -p "$shots" || exit 1
    (
        while :; do
            for request in "$shots"/*.request; do
                [ -f "$request" ] && take_shot "$request"
            done
            sleep 0.1
        done
    ) </dev/null &
    watcher_pid=$!
fi

timeout -k 5 "${WINE_TEST_TIMEOUT:-90}" wine "$program" "$@" </dev/null
status=$?
[ $status -eq 124 ] && echo "wine-test: $program timed out" >&2
exit $status
