#!/usr/bin/env bash
# One end-to-end scenario of zr640.exe under Wine: zr640-sim plays the instrument on a
# pseudo-terminal that Wine knows as a COM port, and zr640_driver.exe works the dialog from
# outside as a user would. Usage: run_e2e.sh SCENARIO (see the list at the end).
#
# Environment: ZR640_EXE, ZR640_DRIVER (Windows programs), ZR640_SIM (the Linux simulator),
# ZR640_E2E_DIR (scratch space), WINEPREFIX (else build/wineprefix of the source tree).
set -uo pipefail

scenario=${1:?scenario}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
: "${ZR640_EXE:?}" "${ZR640_DRIVER:?}" "${ZR640_E2E_DIR:?}"
ZR640_SIM=${ZR640_SIM:-}

export WINEPREFIX=${WINEPREFIX:-$source_dir/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine reads the driver's UTF-8 arguments through the locale; C.UTF-8 is always there and
# still gives Windows-1252 as the programs' 8-bit character set.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

if [[ -z ${DISPLAY:-} ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$ZR640_E2E_DIR/$scenario
sim_pid=
app_pid=
app_status=

fail() {
    echo "FAIL [$scenario]: $*" >&2
    exit 1
}

cleanup() {
    if [[ -n $app_pid ]]; then
        kill "$app_pid" 2>/dev/null
        # What the failed scenario left in this prefix (a box, the editor, a crashed program)
        # would hold the next scenario's Wine server.
        timeout 30 wineserver -k 2>/dev/null
    fi
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

# Registry changes reach Wine's device manager when the server next starts: let it end, then
# start the next one with its own log, so that it does not write into the test's output.
restart_wine() {
    timeout 60 wineserver -w || fail "the Wine server did not end"
    wineserver >>"$work/wineserver.log" 2>&1 || fail "the Wine server did not start"
}

# wine_reg KEY NAME VALUE [TYPE]
wine_reg() {
    timeout 60 wine reg add "$1" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f >/dev/null 2>&1 ||
        fail "wine reg add $1 $2"
}

# COM1 stands for a link in the prefix, which each scenario's simulator points at its own pty.
com1_link=$WINEPREFIX/zr640-com1

prepare() {
    rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"
    "$source_dir/scripts/wine-prefix" || fail "no Wine prefix"
    # Wine looks for its own fonts (MS Sans Serif of the dialog, Marlett of the title bar's
    # buttons) in the prefix; Debian keeps them in fonts-wine.
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    restart_wine
    # Wine makes its COM devices from the registry only when its server starts.
    if ! timeout 60 wine reg query 'HKLM\Software\Wine\Ports' /v COM1 2>/dev/null |
        grep -qF "$com1_link"; then
        wine_reg 'HKLM\Software\Wine\Ports' COM1 "$com1_link"
        restart_wine
    fi
    # No window manager under Xvfb: Wine draws the title bar and frame itself.
    wine_reg 'HKCU\Software\Wine\X11 Driver' Decorated N
    # A crash ends the program at once instead of waiting in Wine's crash dialog.
    wine_reg 'HKCU\Software\Wine\WineDbg' ShowCrashDialog 0 REG_DWORD
    # The file chooser would open where an earlier run left it rather than in "waypoints".
    timeout 60 wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32' \
        /f >/dev/null 2>&1
}

# start_sim SIM-OPTIONS...: the simulator on a fresh pty, which the program knows as COM1.
start_sim() {
    [[ -x $ZR640_SIM ]] || fail "no simulator (ZR640_SIM=$ZR640_SIM); build the linux preset first"
    "$ZR640_SIM" --link "$com1_link" "$@" >"$work/sim.out" 2>"$work/sim.err" &
    sim_pid=$!
    local pty=
    for _ in $(seq 100); do
        pty=$(head -n 1 "$work/sim.out" 2>/dev/null)
        [[ -n $pty ]] && break
        kill -0 "$sim_pid" 2>/dev/null || fail "the simulator ended: $(cat "$work/sim.err")"
        sleep 0.1
    done
    [[ $pty == /dev/* && -L $com1_link ]] || fail "the simulator named no pty"
}

write_default_ini() {
    printf '%s\r\n' '[ZR640]' 'COMSETTINGS=COM1:4800,N,8,1' '' '[Settings]' 'Debug=0' \
        'MaxLaengeName1=12' 'MaxLaengeName2=4' 'Hoehe=1' 'Frequenz=1' '' '[Strecke]' \
        'StreckenPunkt1=Lauf-Lillinghof,EDQI' 'StreckenPunkt2=Oschersleben,EDOL' \
        'StreckenPunkt3=Hetzleser Berg,EDQX' 'StreckenPunkt4=Bayreuth,EDQD' >"$work/zr640.ini"
}

start_app() {
    (cd "$work" && exec timeout 90 wine "$ZR640_EXE") >"$work/app.out" 2>&1 &
    app_pid=$!
}

# The program must end within the time, by itself or by what the driver did.
expect_app_exit() {
    local code=$1
    wait "$app_pid"
    app_status=$?
    app_pid=
    [[ $app_status -eq 124 ]] && fail "zr640.exe did not end"
    [[ $app_status -eq $code ]] || fail "zr640.exe ended with $app_status, wanted $code"
}

drive() {
    timeout 120 wine "$ZR640_DRIVER" "$@" || fail "driver steps failed"
}

route_lines=("Streckenpunkt 1: Lauf-Lilling,EDQI" "Streckenpunkt 2: Oschersleben,EDOL"
             "Streckenpunkt 3: Hetzleser Be,EDQX" "Streckenpunkt 4: Bayreuth,EDQD" " " " ")
chooser_title="Wendepunktdatei wählen"

scenario_first_start() {
    # Whatever COM1 is here, the program must not wait on it.
    local directory
    directory=$(winepath -w "$work" 2>/dev/null) || fail "winepath"
    local path=${directory//\\/\\\\}\\\\zr640.ini
    start_app
    drive box "Ini-Datei nicht gefunden!" \
        "\n\nDie Ini-Datei wurde in\n$path nicht gefunden.\n\nEine Datei mit Defaulteinstellungen wurde angelegt.\n\nBitte auf aktuelle Einstellungen hin editieren!\n\nProgramm wird beendet!" \
        30000
    expect_app_exit 0
    [[ -f $work/zr640.ini ]] || fail "no zr640.ini written"
    local written wanted
    written=$(tr -d '\r' <"$work/zr640.ini" | grep -v '^$')
    wanted=$(printf '%s\n' '[ZR640]' 'COMSETTINGS=COM1:4800,N,8,1' '[Settings]' 'Debug=0' \
        'MaxLaengeName1=12' 'MaxLaengeName2=4' 'Hoehe=1' 'Frequenz=1' '[Strecke]' \
        'StreckenPunkt1=Lauf-Lillinghof,EDQI' 'StreckenPunkt2=Oschersleben,EDOL' \
        'StreckenPunkt3=Hetzleser Berg,EDQX' 'StreckenPunkt4=Bayreuth,EDQD')
    [[ $written == "$wanted" ]] || fail "zr640.ini holds:"$'\n'"$written"
    # A malformed entry: its box, then the end, without a dialog that would open the port.
    sed -i 's/^COMSETTINGS=.*/COMSETTINGS=COM1:12345,N,8\r/' "$work/zr640.ini"
    start_app
    drive box "Fehler im COM-Eintrag in Ini-Datei!" \
        "\n\nEintrag COM1:12345,N,8 fehlerhaft\nProgramm wird beendet!" 30000
    expect_app_exit 0
}

scenario_default_file() {
    write_default_ini
    start_sim --no-telemetry
    start_app
    # Enter, with no default button, comes as command 1, which does nothing; Escape ends it.
    drive dialog 30000 entries 6 "${route_lines[@]}" steady 1000 count 6 \
        enter command 1 steady 500 count 6 escape gone 10000
    expect_app_exit 0
}

scenario_telemetry() {
    write_default_ini
    # The two records in a loop: what arrives before the port opens is discarded, so the
    # first frame read may be either; the frames read are counted from 1 all the same.
    start_sim --frames "$here/data/two_records.frames" --interval 300
    start_app
    drive dialog 30000 entries 6 "${route_lines[@]}" \
        wait-ending ' Satznr 0 FlugZeitSek:3725 AktivDistanz:12340.00 SDTHoehe:1520 QFEHoehe:1310 LoggerFixZaehler:745 DeltaV:-12 GleitPfadDifferenz:-150 VarioMittelwert:1.50 Nettovario:-0.80 Vario:2.30 TAS:110.50 Groundspeed:98.70 Track:270.50 Breite: 48.123457 48°07'"'"'24" N Laenge: -11.500000 11°29'"'"'60" W DiffWinkel:-45' 15000 \
        wait-ending ' Satznr 2 Werknummer:A1234 Schalterstellung:3 Menu:1f MCPoti:25 WindPoti:-2 WindKomponente:-3.50 WindEmpfehlung:12.00 WindVektorBetrag:8.70 WindVektorBogen:225.00' 15000 \
        entry-begins 6 'Reading     1 Satznr ' entry-begins 7 'Reading     2 Satznr '
    drive dialog 5000 close gone 10000
    expect_app_exit 0
}

scenario_run_toggle() {
    write_default_ini
    start_sim --interval 100
    start_app
    # "Run" stops reading: the log stands still while frames keep coming; pressed again, the
    # frames waiting in the port and the new ones are read.
    drive dialog 30000 wait-count 10 15000 press 102 steady 2000 \
        press 102 grows 5 15000 escape gone 10000
    expect_app_exit 0
}

scenario_responsive() {
    write_default_ini
    mkdir -p "$work/waypoints"
    # More records for the benchmark (bench/dialog_latency_wine.sh).
    local records=${ZR640_RESPONSIVE_RECORDS:-21} i
    for i in $(seq "$records"); do printf 'Punkt%d,P%d,N,48.%d,E,11.%d\r\n' "$i" "$i" "$i" "$i"; done \
        >"$work/waypoints/lang.wht"
    # Slow answers on a 4800 baud line, and silence from the last record on: the dialog must
    # keep answering the system throughout, grey its busy buttons, and stop at Escape.
    start_sim --no-telemetry --baud 4800 --reply-delay 150 --silent-after $((records - 1))
    start_app
    drive dialog 30000 click 118 choose "$chooser_title" Wendepunktdateien lang.wht 15000 \
        click 116 responsive 'WP   3:' 20000 buttons 0 0 escape \
        responsive 'Abbruch durch Benutzer nach ' 5000 buttons 1 5000 \
        click 116 responsive "$(printf 'WP %3d:' "$records")" 600000 buttons 0 0 \
        responsive 'Abbruch, Fehler bei resend!!' 20000 buttons 1 5000 escape gone 10000
    expect_app_exit 0
}

scenario_unplug() {
    write_default_ini
    # The line goes away 1.5 s in and a new one comes 2.5 s later, as a USB adapter pulled
    # and plugged again: said once in the log, no box while it is away, the frames go on.
    start_sim --interval 300 --unplug-after 1500 --reopen-after 2500
    start_app
    drive dialog 30000 wait-ending 'Verbindung zum Gerät verloren' 15000 \
        wait-ending 'Verbindung wiederhergestellt' 15000 grows 2 10000 escape gone 10000
    expect_app_exit 0
}

scenario_debug() {
    write_default_ini
    sed -i 's/^Debug=0/Debug=1/' "$work/zr640.ini"
    start_sim --interval 100
    start_app
    # The port is closed and the timer stopped at once: frames arrive, nothing is read.
    drive dialog 30000 entries 6 "${route_lines[@]}" steady 2000 count 6 close gone 10000
    expect_app_exit 0
}

scenario_choose_file() {
    write_default_ini
    mkdir -p "$work/waypoints"
    printf 'Lauf-Lillinghof,EDQI\r\n' >"$work/waypoints/flugplatz.wht"
    local directory
    directory=$(winepath -w "$work/waypoints" 2>/dev/null) || fail "winepath"
    local escaped=${directory//\\/\\\\}
    # A file whose full path of 258 characters does not fit the chooser's 256 bytes (a path
    # beyond 260 would overrun Wine's own file dialog).
    local long_name
    long_name=$(printf 'W%.0s' $(seq $((258 - ${#directory} - 10))))
    mkdir -p "$work/waypoints/$long_name"
    printf 'Oschersleben,EDOL\r\n' >"$work/waypoints/$long_name/lang.wht"
    start_sim --no-telemetry
    start_app
    drive dialog 30000 \
        click 119 box Fehler "Erst mal eine Wendepunktdatei wählen!" 10000 \
        click 118 cancel-chooser "$chooser_title" 15000 text 109 "" \
        click 118 choose "$chooser_title" Wendepunktdateien neu.wht 15000 \
        text 109 "$escaped\\\\neu.wht" \
        click 118 cancel-chooser "$chooser_title" 15000 text 109 "$escaped\\\\neu.wht" \
        click 118 choose "$chooser_title" Wendepunktdateien flugplatz.wht 15000 \
        text 109 "$escaped\\\\flugplatz.wht" \
        click 119 editor "flugplatz.wht" 15000 \
        click 118 choose "$chooser_title" Wendepunktdateien "$long_name\\lang.wht" 15000 \
        box Fehler "Der Pfad der Wendepunktdatei ist zu lang (mehr als 255 Zeichen)." 10000 \
        text 109 "$escaped\\\\flugplatz.wht" \
        count 6 escape gone 10000
    expect_app_exit 0
}

scenario_wrong_port() {
    write_default_ini
    sed -i 's/^COMSETTINGS=COM1:/COMSETTINGS=COM3:/' "$work/zr640.ini"
    # The instrument waits on COM7 (scripts/wine-prefix made it; start_sim links com1_link to
    # the pty), and the box for COM3 must name it.
    local com1_link=$WINEPREFIX/zr640-com7
    start_sim --no-telemetry
    start_app
    drive box-has Error '\nCOM7 (\\Device\\Serial' 30000 dialog 30000 escape gone 10000
    expect_app_exit 0
}

scenario_layout() {
    write_default_ini
    start_sim --no-telemetry
    start_app
    local exe
    exe=$(winepath -w "$ZR640_EXE" 2>/dev/null) || fail "winepath"
    drive template "$exe" dialog 30000 common-controls layout escape gone 10000
    expect_app_exit 0
}

prepare
case $scenario in
first-start) scenario_first_start ;;
default-file) scenario_default_file ;;
telemetry) scenario_telemetry ;;
run-toggle) scenario_run_toggle ;;
debug) scenario_debug ;;
choose-file) scenario_choose_file ;;
responsive) scenario_responsive ;;
unplug) scenario_unplug ;;
layout) scenario_layout ;;
wrong-port) scenario_wrong_port ;;
*) fail "unknown scenario" ;;
esac
echo "PASS [$scenario]"
