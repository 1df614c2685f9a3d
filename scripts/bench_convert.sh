#!/usr/bin/env bash
# Times korvane-convert on a generated XA file of about 100 MB against cp of a
# file the size of its WAV output, run by run in pairs, and reports the medians,
# their ratio and the converter's peak memory.
#
# usage: scripts/bench_convert.sh [PAIRS] [CHANNELS]   (defaults: 7 pairs, 2 channels)
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-7}
channels=${2:-2}
[ "$pairs" -ge 5 ] || { echo "at least 5 pairs" >&2; exit 64; }

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target korvane-convert >/dev/null
convert=build/release/cli/korvane-convert

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 scripts/make_xa.py random "$work/in.xa" --bytes 100000000 --channels "$channels"
"$convert" "$work/in.xa" "$work/out.wav" >/dev/null
wav_size=$(stat -c %s "$work/out.wav")
head -c "$wav_size" /dev/urandom >"$work/ref.bin"
rm "$work/out.wav"

seconds() { /usr/bin/time -f %e "$@" 2>&1 >/dev/null | tail -n 1; }
convert_times=() copy_times=()
for ((i = 0; i < pairs; i++)); do
    convert_times+=("$(seconds "$convert" "$work/in.xa" "$work/out.wav")")
    copy_times+=("$(seconds cp "$work/ref.bin" "$work/copy.bin")")
    rm -f "$work/out.wav" "$work/copy.bin"
done
peak_kib=$(/usr/bin/time -f %M "$convert" "$work/in.xa" "$work/out.wav" 2>&1 >/dev/null | tail -n 1)

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
convert_median=$(median "${convert_times[@]}")
copy_median=$(median "${copy_times[@]}")
input_size=$(stat -c %s "$work/in.xa")
echo "input: $input_size bytes, $channels channels; output: $wav_size bytes"
echo "korvane-convert: ${convert_times[*]} s (median $convert_median s)"
echo "cp of the output's size: ${copy_times[*]} s (median $copy_median s)"
awk -v a="$convert_median" -v b="$copy_median" 'BEGIN { printf "ratio: %.2f x cp\n", a / b }'
awk -v kib="$peak_kib" -v input="$input_size" \
    'BEGIN { printf "peak memory: %.1f MiB (input %.1f MiB + %.1f MiB)\n", kib / 1024, input / 1048576, kib / 1024 - input / 1048576 }'
