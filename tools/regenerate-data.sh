#!/bin/sh
# Regenerates everything in data/ from its sources (data/README.md says
# which). Besides the normal build's packages it needs the generator's:
#   apt-get install libgeonames-dev npm
# Usage: tools/regenerate-data.sh [BUILD_DIR]   (default build-worlddata)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-worlddata}
cmake -S "$root" -B "$build" -DBUILD_TESTING=OFF -DTERRAFIND_BENCHMARKS=OFF
cmake --build "$build" --target worlddata -j"$(nproc)"
