#!/usr/bin/env bash
# Fuzzes the kit parser and both drum map writers with hostile kits for
# SECONDS (default 60): builds the fuzz preset, runs the seeds and the saved
# crash inputs once, then mutates a working copy of the corpus kept in
# build/fuzz/corpus (it grows from run to run). Prints executions per second
# and coverage. A crash leaves its input in build/fuzz/artifacts/; copy it
# into tests/fuzz/regressions/ so that it is run from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

build=build/fuzz
mkdir -p "$build/corpus" "$build/artifacts"
# Seeds and saved crash inputs join the working corpus once; inputs already
# there are kept as they are. (Not `cp -n`: from coreutils 9.2 on it fails
# when it skips a file.)
find tests/fuzz/corpus tests/fuzz/regressions -maxdepth 1 -type f ! -name '.*' -print0 |
  while IFS= read -r -d '' input; do
    [ -e "$build/corpus/${input##*/}" ] || cp "$input" "$build/corpus/"
  done

# The writers sync every file they write; on a RAM disk that costs nothing.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

log="$build/fuzz.log"
status=0
"$build/tests/fuzz/drum_map_fuzzer" -max_total_time="$seconds" -max_len=30000 -timeout=10 \
  -dict=tests/fuzz/drum_map.dict -artifact_prefix="$build/artifacts/" -print_final_stats=1 \
  "$build/corpus" >"$log" 2>&1 || status=$?

done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
rate=$(sed -n 's/^stat::average_exec_per_sec:[[:space:]]*//p' "$log")
runs=$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$log")
if [ "$status" -ne 0 ] || [ -z "$done_line" ]; then
  tail -n 40 "$log"
  echo "fuzz: FAILED after ${seconds}s (log: $log); the input is in $build/artifacts/:" >&2
  find "$build/artifacts" -maxdepth 1 -type f -printf '%T@ %f\n' | sort -rn | head -n 3 | cut -d' ' -f2- >&2
  exit 1
fi
cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' <<<"$done_line")
echo "fuzz: ${runs} inputs in ${seconds}s, ${rate} exec/s, ${cov} (log: $log)"
