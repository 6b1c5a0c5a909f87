#!/usr/bin/env bash
# Fuzzes for SECONDS each (default 60) the kit parser and the writers with
# hostile kits (drum_map_fuzzer), then the readers with hostile inputs of
# every format (readers_fuzzer): builds the fuzz preset, runs the seeds and
# the saved crash inputs once, then mutates a working copy of each corpus
# kept in build/fuzz/TARGET-corpus (it grows from run to run). Prints
# executions per second and coverage. A crash leaves its input in
# build/fuzz/artifacts/ (named after the target); copy it into
# tests/fuzz/regressions/ or tests/fuzz/readers-regressions/ so that it is
# run from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

build=build/fuzz
# The writers sync every file they write; on a RAM disk that costs nothing.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

# fuzz TARGET SEEDS REGRESSIONS: SECONDS of mutation of a working copy of the
# corpus kept in build/fuzz/TARGET-corpus, seeded from SEEDS and REGRESSIONS.
fuzz() {
  local target=$1 seeds=$2 regressions=$3
  local corpus="$build/$target-corpus" log="$build/$target.log"
  mkdir -p "$corpus" "$build/artifacts"
  # Seeds and saved crash inputs join the working corpus once; inputs already
  # there are kept as they are. (Not `cp -n`: from coreutils 9.2 on it fails
  # when it skips a file.)
  find "$seeds" "$regressions" -maxdepth 1 -type f ! -name '.*' -print0 |
    while IFS= read -r -d '' input; do
      [ -e "$corpus/${input##*/}" ] || cp "$input" "$corpus/"
    done

  local status=0
  "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len=30000 -timeout=10 \
    -dict=tests/fuzz/drum_map.dict -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 \
    "$corpus" >"$log" 2>&1 || status=$?

  local done_line rate runs cov
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
  rate=$(sed -n 's/^stat::average_exec_per_sec:[[:space:]]*//p' "$log")
  runs=$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$log")
  if [ "$status" -ne 0 ] || [ -z "$done_line" ]; then
    tail -n 40 "$log"
    echo "fuzz: $target FAILED after ${seconds}s (log: $log); the input is in $build/artifacts/:" >&2
    find "$build/artifacts" -maxdepth 1 -type f -printf '%T@ %f\n' | sort -rn | head -n 3 | cut -d' ' -f2- >&2
    return 1
  fi
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' <<<"$done_line")
  echo "fuzz: $target: ${runs} inputs in ${seconds}s, ${rate} exec/s, ${cov} (log: $log)"
}

# The kit parser and the writers, then the readers.
fuzz drum_map_fuzzer tests/fuzz/corpus tests/fuzz/regressions
fuzz readers_fuzzer tests/fuzz/readers-corpus tests/fuzz/readers-regressions
