#!/usr/bin/env bash
# Configures and builds one build folder from scratch: build.sh <folder> [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
rm -rf "$top/$dir"
cmake -S "$top" -B "$top/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$top/$dir"
