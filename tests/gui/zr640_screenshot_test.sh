#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zr640_screenshot_test.sh ZR640 ZR640_SIM: on the X display, the program opens the simulator's
# line that Device names (COM9 is absent), logs its flight records with decimal points under a
# German locale (the log read as a screen reader reads it) and saves the screenshot; then a
# malformed COMSETTINGS shows one box and ends it with 0, without the dialog or a port.
set -euo pipefail
[[ -n ${ZR640_TEST_SESSION:-} ]] || ZR640_TEST_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
zr640=$(realpath "$1")
dir=$(mktemp -d)
exec {sim_out}< <(exec "$2" --interval 100 --link "$dir/tty")
trap "kill $! 2>/dev/null; rm -rf '$dir'" EXIT
read -r -t 20 -u "$sim_out" _ || { echo "the simulator did not start"; exit 1; }
printf '[ZR640]\r\nCOMSETTINGS=COM9:4800,N,8,1\r\nDevice=%s\r\n' "$dir/tty" >"$dir/zr640.ini"
printf '[Strecke]\r\nStreckenPunkt1=Oschersleben,EDOL\r\n' >>"$dir/zr640.ini"
cd "$dir"

# The entries of the log, one a line, from the accessibility bus.
log_entries() {
    /usr/bin/python3 - <<'EOF'
import dbus
bus = dbus.bus.BusConnection(dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus")
                             .GetAddress(dbus_interface="org.a11y.Bus"))
accessible = "org.a11y.atspi.Accessible"
def entries(name, path):
    node = bus.get_object(name, path)
    if node.GetRoleName(dbus_interface=accessible) == "list item":
        print(node.Get(accessible, "Name", dbus_interface=dbus.PROPERTIES_IFACE))
    for child in node.GetChildren(dbus_interface=accessible):
        entries(*child)
entries("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
EOF
}
# Qt offers its widgets there when it finds that bus running.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null
LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    ZR640_SCREENSHOT="$dir/shot.png" ZR640_SCREENSHOT_DELAY_MS=6000 timeout 30 "$zr640" &
entries=
flight='^Reading +[0-9]+ Satznr 0 FlugZeitSek:[0-9]+ AktivDistanz:[0-9]+\.[0-9]{2} '
for ((deadline = SECONDS + 20; SECONDS < deadline; )); do
    entries=$(log_entries 2>/dev/null) && grep -m 1 -E "$flight" <<<"$entries" && break
    sleep 0.5
done
grep -qE "$flight" <<<"$entries" || { echo "no flight record in the log:"$'\n'"$entries"; exit 1; }
wait $! || { echo "zr640 ended with $?"; exit 1; }
# Width and height from the PNG header: the dialog's fixed size, wider than high.
read -r width height < <(od -An -tu4 --endian=big -j16 -N8 shot.png) || { echo "no shot"; exit 1; }
((width > 500 && height > 300 && width > height)) || { echo "unexpected size"; exit 1; }
mkdir "$dir/bad" && cd "$dir/bad"
printf '[ZR640]\r\nCOMSETTINGS=COM1:12345,N,8\r\nDevice=%s\r\n' "$dir/tty" >zr640.ini
QT_QPA_PLATFORM=xcb timeout 30 "$zr640" &
box=$(timeout 20 xdotool search --sync --onlyvisible --name 'Fehler im COM-Eintrag' | head -n 1)
xdotool windowfocus "$box" && xdotool key Return
wait $! || { echo "zr640 ended with $? after the configuration's box"; exit 1; }
