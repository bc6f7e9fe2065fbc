#!/usr/bin/env bash
# The program itself, offscreen, against the simulator: it reads zr640.ini, opens the line,
# saves the screenshot that ZR640_SCREENSHOT asks for, ends as Escape ends it and returns 0.
# Then, on the X display, with a malformed COMSETTINGS: one box, and the end with 0, without
# the dialog or a second box from a port opened with half the settings.
# Usage: zr640_screenshot_test.sh ZR640 ZR640_SIM
set -euo pipefail
zr640=$(realpath "$1")
sim=$(realpath "$2")
dir=$(mktemp -d)
sim_pid=
cleanup() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT

exec {sim_out}< <(exec "$sim" --interval 100 --link "$dir/tty")
sim_pid=$!
read -r -t 20 -u "$sim_out" slave
[[ -n $slave ]] || { echo "the simulator did not start"; exit 1; }

printf '[ZR640]\r\nCOMSETTINGS=COM1:4800,N,8,1\r\nDevice=%s\r\n[Strecke]\r\nStreckenPunkt1=Oschersleben,EDOL\r\n' \
    "$dir/tty" >"$dir/zr640.ini"
cd "$dir"
status=0
LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ZR640_SCREENSHOT="$dir/shot.png" \
    ZR640_SCREENSHOT_DELAY_MS=1500 timeout 60 "$zr640" || status=$?
[[ $status -eq 0 ]] || { echo "zr640 ended with $status"; exit 1; }
[[ -s shot.png ]] || { echo "no screenshot"; exit 1; }
# Width and height from the PNG header: the dialog's fixed size, wider than high.
read -r width height < <(od -An -tu4 --endian=big -j16 -N8 shot.png)
echo "screenshot ${width}x${height}"
((width > 500 && height > 300 && width > height)) || { echo "unexpected size"; exit 1; }

mkdir "$dir/bad"
printf '[ZR640]\r\nCOMSETTINGS=COM1:12345,N,8\r\nDevice=%s\r\n' "$dir/tty" >"$dir/bad/zr640.ini"
cd "$dir/bad"
QT_QPA_PLATFORM=xcb timeout 30 "$zr640" &
app=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --name 'Fehler im COM-Eintrag' | head -n 1)
xdotool windowfocus "$box"
xdotool key Return
status=0
wait "$app" || status=$?
[[ $status -eq 0 ]] || { echo "zr640 ended with $status after the configuration's box"; exit 1; }
