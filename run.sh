#!/usr/bin/env bash
# Builds Norvik and starts it. The program's folder is dist/: the executable, the report file
# nuovireport.sql (both belong to the program and are replaced by every build) and the database
# norvik.db3, which is created from data/schema.sql only when it is missing.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target norvik
mkdir -p dist
install -m 0755 build/norvik dist/norvik.new && mv -f dist/norvik.new dist/norvik
install -m 0644 data/nuovireport.sql dist/nuovireport.sql.new && mv -f dist/nuovireport.sql.new dist/nuovireport.sql
if [ ! -e dist/norvik.db3 ]; then
  tmp=$(mktemp dist/.norvik.db3.XXXXXX)
  rm -f "$tmp"
  sqlite3 "$tmp" < data/schema.sql
  # Never replace a database that appeared meanwhile.
  mv -n "$tmp" dist/norvik.db3
  rm -f "$tmp"
fi
exec ./dist/norvik
