#!/usr/bin/env bash
# Configures and builds into a build folder and prints its name.
# Usage: scripts/build.sh [--sanitize] [--werror]
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
for a in "$@"; do
    case "$a" in
        --sanitize) dir=build-asan; args+=(-DSUANTIJI_SANITIZE=ON -DSUANTIJI_BENCH=OFF) ;;
        --werror) args+=(-DSUANTIJI_WERROR=ON) ;;
        *) echo "usage: $0 [--sanitize] [--werror]" >&2; exit 2 ;;
    esac
done
# Progress and errors go to stderr, so callers that take the folder name still show them.
cmake -S . -B "$dir" "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
