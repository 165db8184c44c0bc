#!/usr/bin/env bash
# End-to-end: the real program on a real X server, driven only from outside with xdotool, as a
# person would. Usage: e2e_test.sh PROGRAM GOLDEN_FIRST_RUN_SETTINGS ARTIFACT_DIR
set -euo pipefail

program=$1
golden=$2
artifacts=$3
pdf_dir=${SUANTIJI_PDF_DIR:-/var/spool/suantiji-pdf}

work=$(mktemp -d /tmp/suantiji-e2e.XXXXXX)
folder="$work/program"
mkdir -p "$folder" "$artifacts"
rm -f "$artifacts"/*.png
cp "$program" "$folder/suantiji"

display=:$((90 + RANDOM % 100))
app_pid=
xvfb_pid=
step_start=$(date +%s.%N)

cleanup() {
    # The program must have ended before its folder goes: one still shutting down may write
    # into it while it is removed.
    [[ -n $app_pid ]] && { kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; } || true
    [[ -n $xvfb_pid ]] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
    rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; } || true
}
trap cleanup EXIT

fail() {
    echo "e2e: FAILED: $*" >&2
    shot failure || true
    echo "e2e: screenshots kept in $artifacts" >&2
    exit 1
}

step() {
    local now
    now=$(date +%s.%N)
    awk -v a="$step_start" -v b="$now" -v m="$1" 'BEGIN { printf "e2e: %-55s %6.2f s\n", m, b - a }'
    step_start=$now
}

trap 'fail "command failed at line $LINENO"' ERR

shot() { import -display "$display" -window root "$artifacts/$1.png"; }

# Window-relative control centres, from the window's design.
click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.4
}

start_program() {
    (cd "$work" && DISPLAY=$display QT_QPA_PLATFORM=xcb HOME="$work/home" LANG=C.UTF-8 \
        exec "$folder/suantiji" >"$artifacts/program.log" 2>&1) &
    app_pid=$!
    window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '禾木算题机' | head -n 1) ||
        fail "the window did not appear"
    export DISPLAY=$display
    sleep 0.5
}

newest_pdf() { ls -t "$pdf_dir"/*.pdf 2>/dev/null | head -n 1; }
# Clicks 打印 and waits for a new job's PDF, written whole; $pdf names it, or is empty when none
# came.
print_sheet() {
    local before
    before=$(newest_pdf || true)
    click 232 664  # 按钮_出题预览 (打印)
    pdf=
    for _ in $(seq 150); do
        pdf=$(newest_pdf || true)
        if [[ -n $pdf && $pdf != "$before" ]]; then
            for _ in $(seq 50); do pdfinfo "$pdf" >/dev/null 2>&1 && return 0; sleep 0.1; done
            return 0
        fi
        pdf=
        sleep 0.2
    done
}

mkdir -p "$work/home"
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
step "X server up"

start_program
[[ -d "$folder/data" ]] || fail "the data folder was not created at start-up"
shot 01-started
icons=$(xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
for size in 16 32 48 64; do
    [[ $icons == *"Icon ($size x $size)"* ]] || fail "the window has no $size px icon: $icons"
done
step "program started, window shown with its icon"

click 56 664  # 按钮_出题 (出题预览)
shot 02-default-sheet
step "sheet generated with the defaults"

click 168 268  # 选择框_显示答案
click 32 332   # 选择框_括号题型混合出题
click 56 664
shot 03-answers-brackets
step "answers and brackets on, generated again"

print_sheet
[[ -n $pdf ]] || fail "no printed PDF landed in $pdf_dir"
sleep 0.5
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
size=$(pdfinfo "$pdf" | awk '/^Page size:/ {print $3 "x" $5}')
[[ $pages == 1 ]] || fail "the print has $pages pages, expected 1"
[[ $size == 595*x842* || $size == 842*x595* ]] || fail "the page is $size pt, not A4"
pdftoppm -png -r 40 -singlefile "$pdf" "$artifacts/04-printed-page"
step "printed: one A4 page on the default queue"

# Qt's own dialogs are Chinese although the environment's language (C.UTF-8) is not.
click 144 664  # 按钮_保存为图片
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^另存为$' | head -n 1) ||
    fail "no save dialog titled 另存为: Qt's own texts are not Chinese"
xdotool mousemove --window "$dialog" 20 20 key Escape
sleep 0.4
step "the save dialog speaks Chinese"

# 设置默认打印机 makes the queue chosen in the list the default, and 打印 then prints there.
click 116 594  # 组合框_打印机: open the list, take the queue above SheetPDF-2
xdotool key Up Return
sleep 0.4
click 116 624  # 按钮_默认打印机设置
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^信息：$' | head -n 1) ||
    fail "no message box after 设置默认打印机"
sleep 0.3
shot 04-printer-message
xdotool mousemove --window "$box" 10 10 key Return
sleep 0.4
[[ $(HOME="$work/home" lpstat -d) == *SheetPDF-1 ]] || fail "SheetPDF-1 did not become the default"
print_sheet
[[ -n $pdf ]] || fail "nothing printed after 设置默认打印机"
job=${pdf##*-job_}
job=${job%.pdf}
lpstat -W all -o SheetPDF-1 | grep -q "^SheetPDF-1-$job " ||
    fail "job $job did not print on the chosen queue SheetPDF-1"
step "SheetPDF-1 made the default in the window; 打印 lands there"

# Saves through the real dialog: the proposed name selected, the given one typed over it, Enter.
# The kind of file follows the name's ending; no button caption is involved.
save_as() {
    click 144 664  # 按钮_保存为图片
    dialog=$(timeout 10 xdotool search --sync --onlyvisible --pid "$app_pid" --name '.' |
        grep -v "^$window$" | head -n 1) || fail "no save dialog appeared"
    sleep 0.5
    [[ -n ${2:-} ]] && shot "$2"
    xdotool mousemove --window "$dialog" 20 20 key ctrl+a
    xdotool type --delay 20 "$1"
    xdotool key Return
    saved="$folder/出题记录/$1"
    for _ in $(seq 50); do [[ -s $saved ]] && break; sleep 0.1; done
    [[ -s $saved ]] || fail "nothing was saved as $saved"
}

save_as e2e-sheet 05-save-dialog
picture=$saved
bytes=$(stat -c %s "$picture")
[[ $bytes == 3072358 ]] || fail "the picture has $bytes bytes, expected 3072358"
[[ $(head -c 2 "$picture") == BM ]] || fail "the picture is not a BMP file"
convert "bmp:$picture" "$artifacts/06-saved-picture.png" || fail "ImageMagick cannot read the picture"
/usr/bin/python3 -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); im.load(); assert im.size == (1045, 735), im.size' \
    "$picture" || fail "Pillow cannot read the picture"
step "picture saved through the save dialog"

save_as e2e-sheet.png
bytes=$(stat -c %s "$saved")
kind=$(identify -format '%m %wx%h' "$saved")
[[ $kind == "PNG 1045x735" ]] || fail "the .png is $kind, not a PNG of 1045x735"
((bytes < 150000)) || fail "the PNG has $bytes bytes, expected under 150000"
differing=$(compare -metric AE "bmp:$picture" "png:$saved" null: 2>&1 || true)
[[ $differing == 0 ]] || fail "the PNG's pixels differ from the BMP's ($differing)"
step "PNG saved: $bytes bytes, the BMP's pixels"

save_as e2e-sheet.PDF
pages=$(pdfinfo "$saved" | awk '/^Pages:/ {print $2}')
size=$(pdfinfo "$saved" | awk '/^Page size:/ {print $3 "x" $5}')
[[ $pages == 1 && $size == 84[12]*x595* ]] || fail "the PDF has $pages pages of $size pt, not one A4 landscape"
text=$(pdftotext "$saved" -)
[[ $text == *题目数* && $text == *参考答案* ]] || fail "the PDF's text lacks the header"
questions=$(grep -o '=' <<<"$text" | wc -l)
[[ $questions == 100 ]] || fail "the PDF's text has $questions questions, expected 100"
pdftoppm -png -r 40 -singlefile "$saved" "$artifacts/06-saved-pdf"
step "PDF saved: one A4 landscape page, its text readable"

click 104 490  # 组合框_设置行高: open the list, take the item above "34"
xdotool key Up Return
sleep 0.4
click 152 492  # 选择框_显示表格线
shot 07-row-height-grid
convert "$artifacts/07-row-height-grid.png" -crop 360x700+$(xdotool getwindowgeometry "$window" |
    awk '/Position/ {split($2, p, ","); print p[1] "+" p[2]}') +repage "$artifacts/choices-before.png"
step "row height 33 chosen, grid lines switched on"

# 打印 and at once Esc: the job being handed over when the window closes is still printed.
# No window manager: keys go to the window under the pointer.
before=$(newest_pdf || true)
xdotool mousemove --window "$window" 232 664 click 1 mousemove --window "$window" 200 300 key Escape
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "Esc did not close the program"
app_pid=
for _ in $(seq 150); do [[ $(newest_pdf || true) != "$before" ]] && break; sleep 0.2; done
[[ $(newest_pdf || true) != "$before" ]] || fail "the print under way when the window closed was lost"
settings="$folder/data/config.abc"
[[ -f $settings ]] || fail "no settings file was written"
expected="$work/expected.abc"
iconv -f GB18030 -t UTF-8 "$golden" |
    sed -e 's/^选择框_显示答案=假/选择框_显示答案=真/' \
        -e 's/^选择框_括号题型混合出题=假/选择框_括号题型混合出题=真/' \
        -e 's/^选择框_显示表格线=假/选择框_显示表格线=真/' \
        -e 's/^\(组合框_设置行高=.*\)<||>4<|>34\r$/\1<||>3<|>33\r/' |
    iconv -f UTF-8 -t GB18030 >"$expected"
cp "$settings" "$artifacts/config.abc"
cmp "$settings" "$expected" || fail "the settings file differs from the expected bytes"
step "打印 and at once Esc: printed and closed; settings file byte for byte"

start_program
shot 08-restarted
convert "$artifacts/08-restarted.png" -crop 360x700+$(xdotool getwindowgeometry "$window" |
    awk '/Position/ {split($2, p, ","); print p[1] "+" p[2]}') +repage "$artifacts/choices-after.png"
differing=$(compare -metric AE -fuzz 5% "$artifacts/choices-before.png" "$artifacts/choices-after.png" \
    null: 2>&1 || true)
# Only the focus frame may differ between the two pictures of the choices.
[[ ${differing%% *} -lt 400 ]] || fail "the restarted window shows other choices ($differing pixels differ)"
step "restarted: the choices are back"

# Nine numbers up to 30,000 with answers and grid lines (both restored): wider than the design's
# columns, which widen so that no question or answer is cut.
click 52 74  # 组合框_n元运算: open the list, take its last item, 9
xdotool key End Return
sleep 0.4
for edit in "100 202 30000" "236 202 100000"; do  # 编辑框_数字范围, 编辑框_答案范围
    read -r x y value <<<"$edit"
    click "$x" "$y"
    xdotool key ctrl+a type "$value"
done
click 56 664
shot 09-long-sheet
save_as e2e-long.png
read -r kind width height <<<"$(identify -format '%m %w %h' "$saved")"
[[ $kind == PNG && $height == 735 ]] && ((width > 1045)) ||
    fail "the long sheet's picture is $kind ${width}x$height, not a PNG wider than 1045, 735 high"
cp "$saved" "$artifacts/10-long-sheet.png"
# Cells lie between the grid lines: columns of light grey from the first question row to the
# last, rows of it across the sheet. Text that reaches a cell's first or last pixel is cut.
/usr/bin/python3 - "$saved" <<'PY' || fail "text touches a cell's edge in the long sheet"
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("L")
w, h = im.size
px = im.load()
top, bottom = 2 + 50, h - 3  # the rows, inside the control's border
xs = [x for x in range(w) if all(px[x, y] == 192 for y in range(top, bottom))]
ys = [y for y in range(top, bottom) if all(px[x, y] == 192 for x in range(7, xs[-1]))]
written = 0
for left, right in zip(xs, xs[1:]):
    for upper, lower in zip([top - 1] + ys, ys):
        ink = [(x, y) for x in range(left + 1, right) for y in range(upper + 1, lower)
               if px[x, y] < 160]
        if not ink:
            continue
        written += 1
        edges = {x for x, _ in ink} & {left + 1, right - 1}
        if edges:
            sys.exit(f"cell {left}..{right} x {upper}..{lower}: ink on its edge column {edges}")
print(f"{w}x{h}: {written} cells with text, columns at {xs}")
sys.exit(0 if written == 200 else f"{written} cells with text, expected 200")
PY
step "long sheet saved as PNG ${width}x$height, no text cut"

print_sheet
[[ -n $pdf ]] || fail "the long sheet did not print"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
[[ $pages == 1 ]] || fail "the long sheet prints on $pages pages, expected 1"
questions=$(pdftotext "$pdf" - | grep -o '=' | wc -l)
[[ $questions == 100 ]] || fail "the printed long sheet has $questions questions, expected 100"
pdftoppm -png -r 100 -singlefile "$pdf" "$artifacts/11-long-printed"
step "long sheet printed on one page"
echo "e2e: passed"
