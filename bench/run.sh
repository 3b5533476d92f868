#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all; prints one table: each figure, what it is
# compared with, the ratio and the target. Generated databases are kept in a folder under the
# system's temporary folder (not in the repository) and reused by later runs.
#
#   bench/run.sh [--lists customers] [--rows 100000,1000000] [--rounds 5] [--dir FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target bench_lists bench_grid >/dev/null
dir="${TMPDIR:-/tmp}/norvik-bench"
args=(--dir "$dir" "$@")
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$dir/runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
./build-bench/bench/bench_lists heading
./build-bench/bench/bench_lists run "${args[@]}"
./build-bench/bench/bench_grid 100000
