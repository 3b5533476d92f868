#!/usr/bin/env bash
# Opening the customer list from the main window, as a user does, on a register of ROWS
# customers: the program runs under its own Xvfb server; once its main window is up and idle the
# access key of "&Anagrafica Clienti" (Alt+A) is pressed with xdotool, and the time runs from
# just before the key press to the moment the list's grid is first drawn after its fill.
#
# That moment is written by the program itself: with NORVIK_DRAWN_MARK naming a file, a list
# appends the system clock's time to it once its first frame after a fill has been painted and
# handed to the X server (shell/ListWindow.cpp). Polling the server from outside would tell only
# when the window is mapped, not when it shows its rows, and the polling itself would take CPU
# from the program being measured.
#
# Against: the sqlite3 shell running the list's query to /dev/null, process start to end; the
# two alternate, median of the rounds. Prints one table row (bench_lists row).
#
#   bench/open_list.sh BUILD_DIR [--rows 1000000] [--rounds 5] [--dir FOLDER]
set -euo pipefail
. "$(dirname "$0")/xvfb_common.sh"
read_options open_list.sh "$@"
figure="customers $rows key press to list drawn (Xvfb)"
for tool in Xvfb xdotool sqlite3; do
  if ! command -v "$tool" >/dev/null; then
    echo "open_list.sh: $tool missing (apt-get install -y xvfb xdotool); skipped" >&2
    "$bench" row "$figure: skipped, no $tool" "" "" 0
    exit 0
  fi
done

# The program reads norvik.db3 from its own folder: a copy of the generated register beside a
# copy of the program (the start-up statements may write to it; the benchmarks' copy stays as
# generated).
source_db="$("$bench" database customers "$rows" "$dir")/norvik.db3"
query="$("$bench" query customers)"
run="$dir/open-customers-$rows"
program_folder "$source_db" "$run"
mark="$run/drawn.mark"

start_xvfb open_list.sh

# Each round leaves its milliseconds in $took (no subshell: the program it starts stays ours
# to stop on any way out).
shell_round() {
  local t0 t1
  t0=$(now)
  sqlite3 "$run/norvik.db3" "$query" >/dev/null
  t1=$(now)
  took=$(ms "$t0" "$t1")
}

program_round() {
  rm -f "$mark"
  (cd "$run" && NORVIK_DRAWN_MARK="$mark" QT_QPA_PLATFORM=xcb exec ./norvik >/dev/null 2>&1) &
  app=$!
  local main
  main=$(timeout 300 xdotool search --sync --onlyvisible --name '^Norvik 1\.0$' | head -1)
  [ -n "$main" ] || { echo "open_list.sh: the main window did not show" >&2; exit 1; }
  xdotool windowfocus --sync "$main"
  sleep 0.5 # past the start-up's last events
  local t0 t1
  t0=$(now)
  xdotool key alt+a
  await_mark open_list.sh "$mark" "the list was not drawn"
  t1=$(head -1 "$mark")
  took=$(ms "$t0" "$t1")
}

alternate "open customers $rows" program_round shell_round
"$bench" row "$figure / shell" "$(median "${a_took[@]}")" "$(median "${b_took[@]}")" 1.5
