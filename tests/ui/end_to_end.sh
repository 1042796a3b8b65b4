#!/usr/bin/env bash
# The real program under an X server, driven by xdotool as a user would: type
# two inputs, Ctrl+C, File > Save As through the dialog, File > Exit.  Checks
# the bytes of the saved file and the exit status.
# Usage (inside an X server, e.g. under xvfb-run): end_to_end.sh PATH/TO/valdenta
set -euo pipefail
program=$(realpath "$1")

command -v xdotool >/dev/null || { echo "xdotool is not installed: skipped"; exit 77; }
[[ -n ${DISPLAY:-} ]] || { echo "no X display: skipped"; exit 77; }

work=$(mktemp -d)
pid=""
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"  # the file dialogs start in the current folder

fail() { echo "FAIL: $*" >&2; exit 1; }
window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }

QT_QPA_PLATFORM=xcb "$program" &
pid=$!
main=$(window '^Valdenta$') || fail "main window did not appear"
xdotool windowfocus --sync "$main"
sleep 0.3

# The focus starts on the Calculate button; three Tabs reach the air
# temperature field, which Tab enters with its text selected.
xdotool key Tab Tab Tab
xdotool type 18
xdotool key Tab
xdotool type 55
xdotool key ctrl+c
sleep 0.2

xdotool key alt+f a
dialog=$(window '^Save As$') || fail "save dialog did not appear"
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool type e2e
xdotool key Return

for _ in $(seq 150); do [[ -s e2e.csv ]] && break; sleep 0.1; done
[[ -s e2e.csv ]] || fail "e2e.csv was not written"

expected_head=$(printf '気温,(℃),18.000000\r\n相対湿度,(%%),55.000000\r\n' | iconv -f UTF-8 -t CP932 | od -An -tx1)
actual_head=$(head -n 2 e2e.csv | od -An -tx1)
[[ $actual_head == "$expected_head" ]] || fail "first two lines differ: $actual_head"
[[ $(wc -l < e2e.csv) == 22 ]] || fail "the file does not have 22 lines"
surface=$(sed -n 10p e2e.csv | iconv -f CP932 -t UTF-8 | tr -d '\r')
[[ $surface == 地表面温度,\(℃\),* && $surface != *,0.000000 ]] ||
  fail "no calculated surface temperature before saving: $surface"

xdotool windowfocus --sync "$main"
sleep 0.2
xdotool key alt+f x
status=0
timeout 20 tail --pid="$pid" -f /dev/null || fail "File > Exit did not end the program"
wait "$pid" || status=$?
pid=""
[[ $status == 0 ]] || fail "exit status $status"
echo "end-to-end: typed, calculated, saved and exited as expected"
