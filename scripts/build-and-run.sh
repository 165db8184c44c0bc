#!/usr/bin/env bash
# Installs what is needed, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null
exec build/bin/suantiji
