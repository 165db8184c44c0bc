#!/usr/bin/env bash
# The real program under faults, driven from outside: no display at all, and a print server
# that accepts connections and never answers (a Unix socket this script makes).
# Usage: faults_test.sh PROGRAM ARTIFACT_DIR
set -euo pipefail

program=$1
artifacts=$2

work=$(mktemp -d /tmp/suantiji-faults.XXXXXX)
folder="$work/program"
mkdir -p "$folder" "$artifacts" "$work/home"
rm -f "$artifacts"/*.png
cp "$program" "$folder/suantiji"
display=:$((200 + RANDOM % 100))
app_pid=
xvfb_pid=
server_pid=

cleanup() {
    # A program that did not end when asked is ended for good.
    [[ -n $app_pid ]] && { kill -KILL "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; } || true
    for pid in $server_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "faults: FAILED: $*" >&2
    import -display "$display" -window root "$artifacts/failure.png" 2>/dev/null || true
    exit 1
}

now() { date +%s.%N; }
# Seconds since $1, to a tenth.
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
within() { awk -v t="$1" -v limit="$2" 'BEGIN { exit !(t <= limit) }'; }

# The first visible window whose name matches, waiting up to $2 seconds; empty when none came.
find_window() {
    local found
    for _ in $(seq $(($2 * 10))); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [[ -n $found ]] && { echo "$found"; return; }
        sleep 0.1
    done
}

click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.3
}

# Without a display the program says so and ends with status 1, not with an abort.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$folder/suantiji" 2>"$work/stderr" || status=$?
[[ $status == 1 ]] || fail "without a display the status is $status, not 1"
grep -q 'DISPLAY is not set' "$work/stderr" || fail "without a display it said: $(cat "$work/stderr")"
echo "faults: no display: status 1, $(tail -n 1 "$work/stderr")"

Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

python3 -c '
import os, socket, sys
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
server.listen(64)
held = []
while True:
    held.append(server.accept()[0])
' "$work/stall.sock" &
server_pid=$!
for _ in $(seq 50); do [[ -S $work/stall.sock ]] && break; sleep 0.1; done

start_program() {
    local started
    started=$(now)
    (cd "$work" && CUPS_SERVER="$work/stall.sock" QT_QPA_PLATFORM=xcb HOME="$work/home" \
        LANG=C.UTF-8 exec "$folder/suantiji" >>"$artifacts/faults-program.log" 2>&1) &
    app_pid=$!
    window=$(find_window '禾木算题机' 20)
    [[ -n $window ]] || fail "the window did not appear"
    shown_after=$(since "$started")
    within "$shown_after" 3 || fail "the window took $shown_after s to appear"
    sleep 0.5
}

# Ends within $1 seconds of being asked to, with the changed choice saved.
expect_end() {
    local asked
    asked=$(now)
    for _ in $(seq $(($1 * 10 + 10))); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
    ended_after=$(since "$asked")
    local status=0
    wait "$app_pid" || status=$?
    app_pid=
    [[ $status == 0 ]] || fail "the program ended with status $status"
    within "$ended_after" "$1" || fail "the program took $ended_after s to end"
    iconv -f GB18030 -t UTF-8 "$folder/data/config.abc" | grep -q '^选择框_显示答案=真' ||
        fail "the changed choice was not saved"
}

start_program
echo "faults: the window appeared after $shown_after s although the print server never answers"

click 168 268  # 选择框_显示答案: a choice to be saved
click 56 664   # 出题预览
clicked=$(now)
click 232 664  # 打印
box=$(find_window '^信息：$' 10)
[[ -n $box ]] || fail "打印 brought no message"
answered=$(since "$clicked")
import -window root "$artifacts/faults-no-answer.png"
# The message is the one of a server that did not answer, not one of a job it refused.
within 4 "$answered" && within "$answered" 7 || fail "打印 was answered after $answered s"
echo "faults: 打印 answered after $answered s with a message"

kill -TERM "$app_pid"
expect_end 2
echo "faults: SIGTERM with the message up: saved and ended after $ended_after s"

rm -f "$folder/data/config.abc"
start_program
click 168 268
click 232 664  # 打印, and the window is closed while the print server keeps it waiting
xdotool mousemove --window "$window" 200 300 key Escape
expect_end 2
echo "faults: Esc with a print waiting: saved and ended after $ended_after s"
echo "faults: passed"
