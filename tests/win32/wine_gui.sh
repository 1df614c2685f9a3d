#!/usr/bin/env bash
# Runs a Windows program of the tests under Wine, in a virtual X server started
# here when there is no DISPLAY, and in a Wine prefix of its own, whose desktop
# is always on that X server: the tests of the Win32 backend, and the driver
# that plays the user of the real Korvane.exe.
#
# usage: wine_gui.sh [--artifacts DIR] PROGRAM.exe [ARGS...]
#   In ARGS, {work} stands for a fresh work folder (with disk/full.wav, a file
#   on which every write fails as on a full disk), {artifacts} for DIR, and an
#   absolute path of an existing file for the same file as Windows names it.
#   With --artifacts, a file NAME.request that the program creates in DIR is
#   answered with a screenshot of the whole screen, DIR/NAME.png.
# Environment: KORVANE_GUI_WINEPREFIX (default ~/.cache/korvane/wine-gui),
# KORVANE_GUI_TIMEOUT (seconds for the program, default 2400).
# Exits 77 (skipped) when Xvfb, ImageMagick's import or a way to run 32-bit
# Windows programs is missing.
set -uo pipefail

usage() {
    echo "usage: $0 [--artifacts DIR] PROGRAM.exe [ARGS...]" >&2
    exit 64
}
artifacts=
if [[ "${1:-}" == --artifacts ]]; then
    [[ $# -ge 2 ]] || usage
    mkdir -p "$2"
    artifacts=$(realpath "$2")
    shift 2
fi
[[ $# -ge 1 ]] || usage
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run.sh
program=$(realpath "$1")
shift

for tool in Xvfb import; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing (Debian packages xvfb and imagemagick)"
        exit 77
    fi
done
wineserver=
for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver32 "$(command -v wineserver)"; do
    [[ -n "$candidate" && -x "$candidate" ]] && { wineserver=$candidate; break; }
done

# A prefix of our own: Wine's desktop takes the display of the session's first
# program, and a session of the other tests may have started without one.
prefix=${KORVANE_GUI_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/korvane/wine-gui}
mkdir -p "$(dirname "$prefix")"
exec 8>"$prefix.run-lock"
flock 8  # one run at a time per prefix

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-gui.XXXXXX")
# Every write to disk/full.wav fails as on a full disk. In a folder of its own:
# the pickers never list it while they browse the work folder.
mkdir "$work/disk"
ln -s /dev/full "$work/disk/full.wav"

xvfb_pid=
watcher_pid=
end_session() {
    [[ -n "$wineserver" ]] || return 0
    WINEPREFIX=$prefix "$wineserver" -k >/dev/null 2>&1
    # and wait until it is gone: the next run's programs must not reach a
    # server, or a desktop, that is still shutting down.
    WINEPREFIX=$prefix timeout -k 5 60 "$wineserver" -w >/dev/null 2>&1
    return 0
}
cleanup() {
    [[ -n "$watcher_pid" ]] && kill "$watcher_pid" 2>/dev/null
    # The session's desktop must not outlive its X server.
    end_session
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT  # a timeout too leaves nothing behind
end_session  # a session left by an earlier run may hold a display that is gone

if [[ -z "${DISPLAY:-}" ]]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s "$work/display" ]] && break
        sleep 0.1
    done
    if [[ ! -s "$work/display" ]]; then
        echo "FAILED: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=:$(tr -d '[:space:]' <"$work/display")
fi
echo "display $DISPLAY, Wine prefix $prefix${artifacts:+, screenshots in $artifacts}"

# Screenshots on request, until the program is done.
if [[ -n "$artifacts" ]]; then
    rm -f "$artifacts"/*.request
    (
        while :; do
            for request in "$artifacts"/*.request; do
                [[ -e "$request" ]] || continue
                name=$(basename "$request" .request)
                import -window root "$artifacts/$name.png" 2>/dev/null ||
                    echo "could not save $name.png" >&2
                rm -f "$request"
            done
            sleep 0.2
        done
    ) &
    watcher_pid=$!
fi

# Z: is the whole Unix file system in every Wine prefix.
windows_path() { local path=$1; printf 'Z:%s' "${path//\//\\}"; }
args=()
for arg in "$@"; do
    case "$arg" in
        {work}) args+=("$(windows_path "$work")") ;;
        {artifacts}) args+=("$(windows_path "$artifacts")") ;;
        /*) if [[ -e "$arg" ]]; then args+=("$(windows_path "$arg")"); else args+=("$arg"); fi ;;
        *) args+=("$arg") ;;
    esac
done

start=$(date +%s)
KORVANE_WINEPREFIX=$prefix KORVANE_WINE_TIMEOUT=${KORVANE_GUI_TIMEOUT:-2400} \
    "$wine_run" "$program" "${args[@]}"
status=$?
echo "$(basename "$program") ended with $status after $(($(date +%s) - start)) s"
exit $status
