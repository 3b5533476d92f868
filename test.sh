#!/usr/bin/env bash
# Builds Norvik and runs every test, headless. Any compiler warning fails this build.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNORVIK_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-tests
cd build-tests
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
