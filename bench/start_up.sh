#!/usr/bin/env bash
# The program's start, as a user starts it, on a register of ROWS customers against the same
# start on an empty register (the types alone): the program runs under its own Xvfb server, and
# the time runs from just before the program is started to the moment its main window is first
# drawn. That moment is written by the program itself: with NORVIK_SHOWN_MARK naming a file, the
# main window appends the system clock's time to it once its first frame has been handed to the
# X server (app/main.cpp).
#
# Both databases are read once before the rounds, so both starts find their file in the cache;
# the two alternate, median of the rounds. Prints one table row (bench_lists row).
#
#   bench/start_up.sh BUILD_DIR [--rows 1000000] [--rounds 5] [--dir FOLDER]
set -euo pipefail
. "$(dirname "$0")/xvfb_common.sh"
read_options start_up.sh "$@"
figure="start-up to main window, customers $rows / empty (Xvfb)"
for tool in Xvfb; do
  if ! command -v "$tool" >/dev/null; then
    echo "start_up.sh: $tool missing (apt-get install -y xvfb); skipped" >&2
    "$bench" row "$figure: skipped, no $tool" "" "" 0
    exit 0
  fi
done

# A program folder per database, as the program is installed: the program, its database and the
# report file it runs at every start. The start-up statements may write to the database; the
# benchmarks' copies stay as generated.
folder_for() { # kind rows -> program folder
  local source_db run
  source_db="$("$bench" database customers "$2" "$dir")/norvik.db3"
  run="$dir/start-$1"
  program_folder "$source_db" "$run"
  cp "$(dirname "$0")/../data/nuovireport.sql" "$run/nuovireport.sql"
  echo "$run"
}
big="$(folder_for "customers-$rows" "$rows")"
empty="$(folder_for empty 0)"
cat "$big/norvik.db3" "$empty/norvik.db3" >/dev/null

start_xvfb start_up.sh

# One start in the program folder $1; its milliseconds in $took (no subshell: the program it
# starts stays ours to stop on any way out).
start_round() {
  local mark="$1/shown.mark" t0 t1
  rm -f "$mark"
  t0=$(now)
  (cd "$1" && NORVIK_SHOWN_MARK="$mark" QT_QPA_PLATFORM=xcb exec ./norvik >/dev/null 2>&1) &
  app=$!
  await_mark start_up.sh "$mark" "the main window did not show" alive
  t1=$(head -1 "$mark")
  took=$(ms "$t0" "$t1")
}
big_round() { start_round "$big"; }
empty_round() { start_round "$empty"; }

alternate "start-up $rows" big_round empty_round
"$bench" row "$figure" "$(median "${a_took[@]}")" "$(median "${b_took[@]}")" 1.5
