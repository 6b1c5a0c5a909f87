#!/usr/bin/env bash
# Runs the writer benchmarks (not part of the tests) in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target write_bench
cd build/bench
./bench/write_bench --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true "$@"
