#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root).
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libcups2-dev libgtest-dev libgmock-dev libbenchmark-dev
    libpcre2-dev duktape-dev
    # run
    fonts-wqy-zenhei fonts-liberation2 qt6-qpa-plugins qt6-translations-l10n
    # test: the CUPS test printer, a real X server and readers for what the program writes
    cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
    xvfb xauth xdotool x11-utils imagemagick python3-pil
    # package checks
    lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
