#!/usr/bin/env bash
# Program start to window shown, under Xvfb: median of N starts (default 15).
# Usage: bench/startup.sh PROGRAM [N]
set -euo pipefail
program=$(realpath "$1")
runs=${2:-15}
display=:$((190 + RANDOM % 50))
work=$(mktemp -d)
cp "$program" "$work/suantiji"
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
times=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$work/suantiji" >/dev/null 2>&1 &
    pid=$!
    # Poll every 10 ms: xdotool's own --sync waits half a second between looks.
    until DISPLAY=$display xdotool search --onlyvisible --pid "$pid" --name '.' >/dev/null 2>&1; do
        sleep 0.01
    done
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
    kill "$pid"; wait "$pid" 2>/dev/null || true
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "start to window shown: median %d ms over %d starts (min %d, max %d)\n", a[int((NR+1)/2)], NR, a[1], a[NR]}'
