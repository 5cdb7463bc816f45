#!/bin/sh
# Runs one Windows test program under Wine on a private X server, in a
# throwaway prefix, and exits with the program's exit code (bounded by
# WINE_TEST_TIMEOUT seconds, default 90); 77 is kept for "skipped", so a
# program that exits with 77 fails.
#   --arch x86|x64      32-bit Wine (TARNWICK_WINE32_LOADER, default
#                       /usr/lib/wine/wine) in a win32 prefix, or wine64
#                       (TARNWICK_WINE64_LOADER, default /usr/lib/wine/wine64)
#                       in a win64 prefix; default x86
#   --probe VERDICT     runs nothing: asks the loader for its version once
#                       (tools/wine_probe.py) and writes the verdict; exits 0
#                       when it starts, 77 when this machine cannot execute
#                       it (x86 only: 32-bit Wine where the kernel runs no
#                       32-bit code, or no 32-bit Wine), else 1
#   --verdict VERDICT   a probe's verdict: skipped (77) or failed with its
#                       reason unless the loader starts
#   --screenshots DIR   the program writes DIR/NAME.request ("WIDTH HEIGHT X Y",
#                       screen pixels); answered with NAME.png and NAME.done,
#                       or NAME.failed
#   --system-dll PATH   copied into C:\windows\system32 (repeatable)
#   --block-drive X     X: on an empty loop device that no other run holds
#                       (never read or written): Wine dismounts only drives on
#                       block devices. With none free, exits with 77, the
#                       test's "skipped".
#   --windows-version V the prefix reports Windows version V (winecfg -v),
#                       e.g. winxp (x86) or winxp64 (x64)
set -u
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-x.XXXXXX") || exit 1
WINEPREFIX="" xvfb_pid="" watcher_pid=""
# shellcheck disable=SC2317 # run by the trap
cleanup() {
    [ -n "$watcher_pid" ] && kill "$watcher_pid" 2>/dev/null
    [ -n "$WINEPREFIX" ] && timeout 15 wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mkdir "$work/dlls" || exit 1
arch=x86 probe="" verdict="" shots="" block_drive="" windows_version=""
while :; do
    case "${1:-}" in
    --arch) arch=${2:-}; shift 2 ;;
    --probe) probe=${2:?--probe needs a file}; shift 2 ;;
    --verdict) verdict=${2:?--verdict needs a file}; shift 2 ;;
    --screenshots) shots=${2:?--screenshots needs a directory}; shift 2 ;;
    --system-dll)
        cp "${2:-}" "$work/dlls/" 2>/dev/null || { echo "wine-test: no DLL ${2:-}" >&2; exit 2; }
        shift 2 ;;
    --block-drive)
        case "${2:-}" in [a-zA-Z]) ;; *) echo "wine-test: --block-drive needs a letter" >&2; exit 2 ;; esac
        block_drive=$(printf %s "$2" | tr '[:upper:]' '[:lower:]'); shift 2 ;;
    --windows-version) windows_version=${2:?--windows-version needs a version}; shift 2 ;;
    *) break ;;
    esac
done

# Only 32-bit Wine may be missing for a reason of the machine's: no 32-bit
# code runs on some kernels.
case "$arch" in
x86) loader=${TARNWICK_WINE32_LOADER:-/usr/lib/wine/wine} WINEARCH=win32 may_skip=--may-skip ;;
x64) loader=${TARNWICK_WINE64_LOADER:-/usr/lib/wine/wine64} WINEARCH=win64 may_skip="" ;;
*) echo "wine-test: --arch is x86 or x64" >&2; exit 2 ;;
esac
if [ -n "$probe" ]; then
    python3 -B "$(dirname "$0")/wine_probe.py" $may_skip "$loader" "$probe"
    exit $?
fi
if [ -n "$verdict" ]; then
    said=$(cat "$verdict" 2>/dev/null) ||
        { echo "wine-test: no verdict in $verdict: the probe did not run" >&2; exit 1; }
    case "$said" in
    run*) ;;
    skip*) echo "wine-test: skipped: ${said#skip }" >&2; exit 77 ;;
    *) echo "wine-test: ${said#fail }" >&2; exit 1 ;;
    esac
fi

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-wine.XXXXXX") || exit 1
WINELOADER=$loader WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX WINEARCH WINELOADER WINEDLLOVERRIDES WINEDEBUG
program=${1:?usage: wine-test.sh [OPTION]... PROGRAM [ARGS...]}
shift

if [ -n "$block_drive" ]; then
    block_device=""
    for device in /dev/loop[0-9]*; do
        # Size 0: nothing attached, so nothing can be mounted from it.
        if [ ! -b "$device" ] || [ ! -r "$device" ] || [ ! -w "$device" ]; then continue; fi
        [ "$(cat "/sys/block/${device#/dev/}/size" 2>/dev/null)" = 0 ] || continue
        grep -q "^$device " /proc/mounts && continue
        # Tests running side by side each take a device of their own: held
        # until this script ends.
        exec 9>"${TMPDIR:-/tmp}/tarnwick-${device#/dev/}.lock" || continue
        if flock -n 9; then block_device=$device; break; fi
        exec 9>&-
    done
    if [ -z "$block_device" ]; then
        echo "wine-test: no free loop device for drive $block_drive:, skipped" >&2
        exit 77
    fi
fi

# Xvfb picks a free display itself and tells us which once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!
tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "wine-test: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1
    fi
    sleep 0.1
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
# Now and then a fresh prefix fails to start ("could not load kernel32.dll"),
# before any of our code runs: it is made again from nothing, twice at most.
tries=0
until timeout 120 "$loader" wineboot -i </dev/null >"$work/wineboot.log" 2>&1; do
    tries=$((tries + 1))
    echo "wine-test: wineboot failed (try $tries of 3)" >&2; cat "$work/wineboot.log" >&2
    [ $tries -lt 3 ] || exit 1
    timeout 15 wineserver -k 2>/dev/null
    rm -rf "$WINEPREFIX" && mkdir -m 700 "$WINEPREFIX" || exit 1
    sleep 1
done
if [ -n "$windows_version" ]; then
    timeout 60 "$loader" winecfg -v "$windows_version" </dev/null >"$work/winecfg.log" 2>&1
    # Windows XP is NT 5.1, XP x64 and Server 2003 NT 5.2: the prefix must say so.
    case "$windows_version" in
    winxp) expected=5.1 ;; winxp64 | win2003) expected=5.2 ;; *) expected="" ;;
    esac
    reported=$(timeout 30 "$loader" reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' \
        /v CurrentVersion </dev/null 2>/dev/null | tr -d '\r' | awk '$1 == "CurrentVersion" {print $3}')
    if [ -z "$reported" ] || { [ -n "$expected" ] && [ "$reported" != "$expected" ]; }; then
        echo "wine-test: the prefix reports version '$reported' after winecfg -v $windows_version" >&2
        cat "$work/winecfg.log" >&2; exit 1
    fi
fi
[ -z "$(ls -A "$work/dlls")" ] || cp "$work"/dlls/* "$WINEPREFIX/drive_c/windows/system32/" ||
    exit 1
if [ -n "$block_drive" ]; then
    # The drive's root is a folder, its device the loop device. Wine reads
    # its drives when it starts, so it starts again.
    mkdir -p "$WINEPREFIX/drives/$block_drive" || exit 1
    ln -s "../drives/$block_drive" "$WINEPREFIX/dosdevices/$block_drive:" || exit 1
    ln -s "$block_device" "$WINEPREFIX/dosdevices/$block_drive::" || exit 1
    timeout 15 wineserver -k 2>/dev/null
fi
# Without a window manager Wine must draw the frames and captions itself.
timeout 30 "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1

take_shot() { # request file
    name=${1%.request}
    result=failed
    # shellcheck disable=SC2046 # four numbers, checked below
    set -- "$1" $(tr -d '\r' <"$1")
    if [ $# -ne 5 ] || case "$2$3$4$5" in *[!0-9]*) true ;; *) false ;; esac; then
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
    while :; do
        for request in "$shots"/*.request; do
            [ -f "$request" ] && take_shot "$request"
        done
        sleep 0.1
    done </dev/null &
    watcher_pid=$!
fi

timeout -k 5 "${WINE_TEST_TIMEOUT:-90}" "$loader" "$program" "$@" </dev/null
status=$?
case $status in
124) echo "wine-test: $program timed out" >&2 ;;
77) echo "wine-test: $program exited with 77, which is no skip" >&2; status=1 ;;
esac
exit $status
