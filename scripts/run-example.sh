#!/usr/bin/env bash
# The main job on an example kit: builds the exporter and writes both drum
# maps of examples/kits/acoustic.txt into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target drummap-export
mkdir -p out
kit=${1:-examples/kits/acoustic.txt}
name=$(basename "$kit" .txt)
build/native/drummap-export --name "$name" -o "out/$name.xml" "$kit"
build/native/drummap-export --format binary -o "out/$name.drm" "$kit"
