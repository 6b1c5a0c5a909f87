#!/usr/bin/env bash
# Runs a fuzz target once on every file in the given folders, without
# mutation; fails on the first input that crashes it.
# usage: run-inputs.sh FUZZER FOLDER...
set -euo pipefail
fuzzer=$1
shift
inputs=()
for folder in "$@"; do
  for f in "$folder"/*; do
    [ -f "$f" ] && inputs+=("$f")
  done
done
if [ ${#inputs[@]} -eq 0 ]; then
  echo "no inputs in: $*" >&2
  exit 1
fi
echo "${#inputs[@]} inputs"
exec "$fuzzer" "${inputs[@]}"
