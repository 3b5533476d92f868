# Sourced by the benchmarks that run the program under Xvfb (open_list.sh, start_up.sh).

# Sets build, rows, rounds, dir and bench from: NAME BUILD_DIR [--rows N] [--rounds K] [--dir FOLDER]
read_options() {
  local name="$1"
  build="$2"
  shift 2
  rows=1000000
  rounds=5
  dir="${TMPDIR:-/tmp}/norvik-bench"
  while [ $# -gt 0 ]; do
    case "$1" in
      --rows) rows="$2"; shift 2 ;;
      --rounds) rounds="$2"; shift 2 ;;
      --dir) dir="$2"; shift 2 ;;
      *) echo "$name: unknown option $1" >&2; exit 2 ;;
    esac
  done
  bench="$build/bench/bench_lists"
}

# A program folder as the program is installed: the program and a copy of the generated database
# (the start-up statements may write to it; the benchmarks' copy stays as generated), refreshed
# when the generated one is newer.
#   program_folder SOURCE_DB FOLDER
program_folder() {
  mkdir -p "$2"
  if [ ! -f "$2/norvik.db3" ] || [ "$1" -nt "$2/norvik.db3" ]; then
    cp "$1" "$2/norvik.db3.new" && mv "$2/norvik.db3.new" "$2/norvik.db3"
  fi
  cp "$build/norvik" "$2/norvik"
}

# A server of our own, on a display number it picks free (another one may be in use); stopped,
# with the program in $app, on any way out. Exports DISPLAY.
#   start_xvfb NAME   (NAME for the messages)
start_xvfb() {
  displayfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
  xvfb=$!
  app=""
  trap 'cleanup_xvfb' EXIT
  for _ in $(seq 1 100); do
    [ -s "$displayfile" ] && break
    sleep 0.05
  done
  [ -s "$displayfile" ] || { echo "$1: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -1 "$displayfile")"
}
cleanup_xvfb() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -f "$displayfile"
}

now() { date +%s%N; }
ms() { echo $(( ($2 - $1) / 1000000 )); }

# Waits for the program to write its mark file, then stops it.
#   await_mark NAME MARK WHAT [alive]   (WHAT: the message when no mark comes; alive: give up
#   as soon as the program has ended)
await_mark() {
  for _ in $(seq 1 60000); do
    [ -s "$2" ] && break
    if [ "${4:-}" = alive ] && ! kill -0 "$app" 2>/dev/null; then
      echo "$1: the program ended before its window showed" >&2
      exit 1
    fi
    sleep 0.005
  done
  [ -s "$2" ] || { echo "$1: $3" >&2; exit 1; }
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
}

# Rounds of the functions A and B, alternating which goes first so that neither always finds
# the file cache warmed; each leaves its milliseconds in $took, gathered in a_took and b_took.
#   alternate LABEL A B
alternate() {
  a_took=()
  b_took=()
  for r in $(seq 1 "$rounds"); do
    echo "$1: round $r of $rounds" >&2
    if [ $((r % 2)) -eq 0 ]; then
      "$3"
      b_took+=("$took")
    fi
    "$2"
    a_took+=("$took")
    if [ $((r % 2)) -eq 1 ]; then
      "$3"
      b_took+=("$took")
    fi
  done
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
