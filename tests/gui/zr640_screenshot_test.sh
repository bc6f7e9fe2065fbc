#!/usr/bin/env bash
# zr640_screenshot_test.sh ZR640 ZR640_SIM: offscreen, the program opens the simulator's line
# that Device names (COM9 is absent) and saves the screenshot; on the X display, a malformed
# COMSETTINGS shows one box and ends it with 0, without the dialog or a port.
set -euo pipefail
zr640=$(realpath "$1")
dir=$(mktemp -d)
exec {sim_out}< <(exec "$2" --interval 100 --link "$dir/tty")
trap "kill $! 2>/dev/null; rm -rf '$dir'" EXIT
read -r -t 20 -u "$sim_out" _ || { echo "the simulator did not start"; exit 1; }
printf '[ZR640]\r\nCOMSETTINGS=COM9:4800,N,8,1\r\nDevice=%s\r\n' "$dir/tty" >"$dir/zr640.ini"
printf '[Strecke]\r\nStreckenPunkt1=Oschersleben,EDOL\r\n' >>"$dir/zr640.ini"
cd "$dir"
LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ZR640_SCREENSHOT="$dir/shot.png" \
    ZR640_SCREENSHOT_DELAY_MS=1500 timeout 20 "$zr640" || { echo "zr640 ended with $?"; exit 1; }
# Width and height from the PNG header: the dialog's fixed size, wider than high.
read -r width height < <(od -An -tu4 --endian=big -j16 -N8 shot.png) || { echo "no shot"; exit 1; }
((width > 500 && height > 300 && width > height)) || { echo "unexpected size"; exit 1; }
mkdir "$dir/bad" && cd "$dir/bad"
printf '[ZR640]\r\nCOMSETTINGS=COM1:12345,N,8\r\nDevice=%s\r\n' "$dir/tty" >zr640.ini
QT_QPA_PLATFORM=xcb timeout 30 "$zr640" &
box=$(timeout 20 xdotool search --sync --onlyvisible --name 'Fehler im COM-Eintrag' | head -n 1)
xdotool windowfocus "$box" && xdotool key Return
wait $! || { echo "zr640 ended with $? after the configuration's box"; exit 1; }
