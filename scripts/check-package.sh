#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as a distribution would: lintian
# with no error, the AppStream metadata and the menu entry valid, the package under 400 KB.
# Usage: scripts/check-package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}

rm -f "$dir"/suantiji_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(echo "$dir"/suantiji_*.deb)

echo "== lintian $deb"
lintian --fail-on error --display-info "$deb"

# Check the files the package ships, not their sources.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
echo "== desktop-file-validate"
desktop-file-validate "$tree"/usr/share/applications/*.desktop

size=$(stat -c %s "$deb")
if ((size > 400 * 1024)); then
    echo "package: $deb is $size bytes, over 400 KB" >&2
    exit 1
fi
echo "package: $deb, $size bytes, checks passed"
