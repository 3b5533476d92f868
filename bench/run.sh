#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all; prints one table: each figure, what it is
# compared with, the ratio and the target. Generated databases are kept in a folder under the
# system's temporary folder (not in the repository) and reused by later runs.
#
#   bench/run.sh [--lists customers,payments] [--rows 100000,1000000] [--rounds 5] [--dir FOLDER] [--no-xvfb]
#
# The lists: customers, payments, payments-customer (one customer's payments, opened from the
# customer list), report (a shipped report over every payment), cheques (issued cheques). Each
# runs at its own sizes; --rows replaces them for every list run.
# --no-xvfb leaves out what runs under Xvfb, the opening of the customer list (bench/open_list.sh)
# and the start-up (bench/start_up.sh), for a machine without Xvfb and xdotool.
# The print preview of the customer list runs on 2,000 and 10,000 customers whatever --rows says.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
dir="${TMPDIR:-/tmp}/norvik-bench"
xvfb=1
lists_args=()
open_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-xvfb) xvfb=0; shift ;;
    --dir) dir="$2"; shift 2 ;;
    --rounds) lists_args+=("$1" "$2"); open_args+=("$1" "$2"); shift 2 ;;
    *) lists_args+=("$1"); shift ;;
  esac
done
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target bench_lists bench_grid bench_print norvik >/dev/null
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$dir/runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
./build-bench/bench/bench_lists heading
./build-bench/bench/bench_lists run --dir "$dir" ${lists_args[@]+"${lists_args[@]}"}
if [ "$xvfb" = 1 ]; then
  bench/open_list.sh build-bench --dir "$dir" ${open_args[@]+"${open_args[@]}"}
  bench/start_up.sh build-bench --dir "$dir" ${open_args[@]+"${open_args[@]}"}
fi
print_dbs=()
for rows in 2000 10000; do
  print_dbs+=("$(./build-bench/bench/bench_lists database customers "$rows" "$dir")")
done
./build-bench/bench/bench_print run "${print_dbs[@]}" ${open_args[@]+"${open_args[@]}"}
./build-bench/bench/bench_grid 100000
