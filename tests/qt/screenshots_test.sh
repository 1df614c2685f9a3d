#!/usr/bin/env bash
# The real program in real windows: started under a virtual X server, its
# pickers answered by typing, its About box opened by a right-click, the sample
# converted. Screenshots of each window go to ARTIFACTS, to be looked at.
#
# usage: screenshots_test.sh KORVANE KORVANE_CONVERT SAMPLE.xa ARTIFACTS
# Exits 77 (skipped) when the X tools are missing.
set -euo pipefail

if [[ $# -ne 4 ]]; then
    echo "usage: $0 KORVANE KORVANE_CONVERT SAMPLE.xa ARTIFACTS" >&2
    exit 2
fi

for tool in xvfb-run xdotool import; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing (Debian packages xvfb xauth xdotool imagemagick)"
        exit 77
    fi
done

# Once more inside a virtual X server of its own, on a free display.
if [[ -z "${KORVANE_SCREENSHOTS_INSIDE:-}" ]]; then
    exec env KORVANE_SCREENSHOTS_INSIDE=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

korvane=$(realpath "$1")
converter=$(realpath "$2")
sample=$(realpath "$3")
artifacts=$4
mkdir -p "$artifacts"
artifacts=$(realpath "$artifacts")

work=$(mktemp -d)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
cp "$sample" in.xa
unset QT_QPA_PLATFORM                   # the X server, not the tests' offscreen platform
export XDG_CONFIG_HOME="$work/config"  # the file dialog's history stays here

fail() {
    echo "FAILED: $*" >&2
    import -window root "$artifacts/failure.png" 2>/dev/null || true
    exit 1
}

# The id of a shown window whose title is $1 (case aside) and that is none of
# the ids after it; waits up to 20 s.
window() {
    local title=$1 id known
    shift
    for _ in $(seq 200); do
        for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
            for known in "$@"; do [[ "$id" == "$known" ]] && continue 2; done
            echo "$id"
            return 0
        done
        kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for '$title'"
        sleep 0.1
    done
    fail "no window '$title' came"
}

# Types a name into the picker in front, over the name it suggests, and presses Enter.
answer() {
    local id
    id=$(window "$1")
    xdotool windowfocus --sync "$id"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$2"
    xdotool key Return
}

shoot() {
    sleep 0.5  # let it finish painting
    import -window "$1" "$artifacts/$2"
    echo "screenshot: $artifacts/$2"
}

"$korvane" 2>"$work/stderr.txt" &
pid=$!

answer Open in.xa
answer "Save As" out.wav

main=$(window Korvane)
shoot "$main" main-dialog.png

# The system menu, by a right-click on the dialog; 'a' is the About item's mnemonic.
xdotool mousemove --window "$main" 12 12 click 3
sleep 0.3
xdotool key a
about=$(window "About Korvane")
shoot "$about" about-box.png
import -window root "$artifacts/screen-with-about-box.png"
xdotool key Return  # OK

# Decode: the default button, the focus back on the main dialog.
xdotool key Return
report=$(window korvane "$main")
shoot "$report" report.png
xdotool key Return

for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after its report"
status=0
wait "$pid" || status=$?
pid=
[[ $status -eq 0 ]] || { cat "$work/stderr.txt" >&2; fail "the program exited with $status"; }

"$converter" in.xa expected.wav >/dev/null
cmp out.wav expected.wav || fail "the WAV differs from the command-line converter's"
echo "converted in.xa as korvane-convert does; screenshots in $artifacts"
