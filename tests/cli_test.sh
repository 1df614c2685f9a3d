#!/usr/bin/env bash
# korvane-convert as a user meets it: exit statuses, which stream each text goes to,
# and the bytes it writes.
set -u
convert=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect NAME STATUS STDOUT STDERR -- ARGS...: runs the converter and compares.
expect() {
    local name=$1 status=$2 out=$3 err=$4
    shift 5
    "$convert" "$@" >"$dir/stdout" 2>"$dir/stderr"
    local got=$?
    [ "$got" -eq "$status" ] || fail "$name: exit status $got, expected $status"
    [ "$(cat "$dir/stdout")" = "$out" ] || fail "$name: stdout was '$(cat "$dir/stdout")'"
    [ "$(cat "$dir/stderr")" = "$err" ] || fail "$name: stderr was '$(cat "$dir/stderr")'"
}

error_message=$'Error while decompressing!\n\nOR the XA file is corrupt\nOR one of the files can\'t be opened\nOR this program doesn\'t work'
usage='usage: korvane-convert INPUT.XA OUTPUT.WAV'

# 8 leading bytes, a mono 16-bit PCM record at 37800 Hz, then the stream 0C 1F.
printf '\0\0\0\0\0\0\0\0\1\0\1\0\250\223\0\0\120\047\1\0\2\0\20\0\14\37' >"$dir/in.xa"
expected_wav=$(printf 'RIFF(\0\0\0WAVEfmt \20\0\0\0\1\0\1\0\250\223\0\0\120\047\1\0\2\0\20\0data\4\0\0\0\1\0\377\377' | od -An -tx1)

echo stale >"$dir/out.wav"
expect "conversion" 0 "Successfully decompressed!" "" -- "$dir/in.xa" "$dir/out.wav"
[ "$(od -An -tx1 "$dir/out.wav")" = "$expected_wav" ] || fail "conversion: wrong WAV bytes"

expect "missing input" 1 "" "$error_message" -- "$dir/absent.xa" "$dir/new.wav"
[ ! -e "$dir/new.wav" ] || fail "missing input: output created"
expect "same file" 1 "" "$error_message" -- "$dir/in.xa" "$dir/in.xa"
if [ -w /dev/full ]; then
    expect "disk full" 2 "" "Disk full while accessing /dev/full." -- "$dir/in.xa" /dev/full
fi
expect "no arguments" 64 "" "$usage" --
expect "one argument" 64 "" "$usage" -- "$dir/in.xa"
expect "three arguments" 64 "" "$usage" -- a b c

[ "$failures" -eq 0 ] && echo "all korvane-convert checks passed"
exit $((failures > 0))
