#!/usr/bin/env bash
# Times drummap-export converting many inputs in one process against cp of
# the same files: 1,000 inputs (XML and binary drum maps, MIDI name
# documents, REAPER note names, pitch lists, each with a name of its own)
# into three formats (3,000 files), then cp of those 3,000 files into another
# folder. Prints the median of RUNS runs of each (default 5) per written file
# and their ratio. Uses the Release build of the bench preset.
# usage: bench/convert_bench.sh [RUNS] [FOLDER]   (FOLDER: where the files go,
# default build/bench/convert; the writers sync each file, so a folder on a
# disk measures the disk's syncs as well)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
work=${2:-build/bench/convert}
inputs=1000
formats=midnam,reaper,pitchlist

cmake --preset bench >/dev/null
cmake --build --preset bench --target drummap-export >/dev/null
program=$PWD/build/bench/drummap-export

rm -rf "$work"
mkdir -p "$work/in"
# Each input names its own map (the binary map by its file's name), so that
# every output has a file of its own.
golden=tests/golden
for ((i = 0; i < inputs; i++)); do
  case $((i % 5)) in
    0) sed "s/value=\"Untitled\"/value=\"Map $i\"/" "$golden/acoustic.xml" >"$work/in/$i.drm" ;;
    1) cp "$golden/acoustic.drm" "$work/in/map-$i.drm" ;;
    2) sed "s/Untitled/Map $i/g" "$golden/acoustic.midnam" >"$work/in/$i.midnam" ;;
    3) sed "s/Untitled/Map $i/" "$golden/acoustic-reaper.txt" >"$work/in/$i.txt" ;;
    4) sed "s/Untitled/Map $i/" "$golden/acoustic.pitchlist" >"$work/in/$i.pitchlist" ;;
  esac
done

# Seconds of one run of "$@", from bash's own clock.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

convert_times=()
copy_times=()
for ((run = 0; run < runs; run++)); do
  rm -rf "$work/out" "$work/copy"
  mkdir -p "$work/out" "$work/copy"
  convert_times+=("$(seconds "$program" --format "$formats" -o "$work/out/" "$work"/in/*)")
  copy_times+=("$(seconds cp "$work"/out/* "$work/copy/")")
done
files=$(find "$work/out" -type f | wc -l)
bytes=$(du -sb "$work/out" | cut -f1)
convert=$(printf '%s\n' "${convert_times[@]}" | median)
copy=$(printf '%s\n' "${copy_times[@]}" | median)
printf 'inputs %d, files written %d (%d bytes), median of %d runs\n' "$inputs" "$files" "$bytes" "$runs"
awk -v c="$convert" -v p="$copy" -v n="$files" 'BEGIN {
  printf "drummap-export: %.3f s, %.1f us a file\n", c, c * 1e6 / n
  printf "cp:             %.3f s, %.1f us a file\n", p, p * 1e6 / n
  printf "ratio: %.2f\n", c / p
}'
