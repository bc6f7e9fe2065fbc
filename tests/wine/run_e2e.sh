#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One end-to-end scenario of zr640.exe under Wine: zr640-sim plays the instrument on a
# pseudo-terminal that Wine knows as a COM port, and zr640_driver.exe works the dialog from
# outside as a user would. Usage: run_e2e.sh SCENARIO (scenario_SCENARIO below, - as _; a
# benchmark of bench/ as bench-NAME, bench_NAME of the file ZR640_E2E_BENCH).
# Environment: ZR640_EXE, ZR640_DRIVER (Windows programs), ZR640_SIM (the Linux simulator),
# ZR640_E2E_DIR (scratch space), WINEPREFIX (else build/wineprefix of the source tree).
set -uo pipefail
scenario=${1:?scenario}
here=$(cd "$(dirname "$0")" && pwd)
: "${ZR640_EXE:?}" "${ZR640_DRIVER:?}" "${ZR640_E2E_DIR:?}" "${ZR640_SIM:?of the linux preset}"
export WINEPREFIX=${WINEPREFIX:-$here/../../build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}
# Wine reads the driver's arguments through the locale; C.UTF-8 gives Windows-1252 to programs.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
[[ -n ${DISPLAY:-} ]] || exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
work=$ZR640_E2E_DIR/$scenario com1=$WINEPREFIX/zr640-com1 sim_pid= app_pid=

fail() { echo "FAIL [$scenario]: $*" >&2; exit 1; }

# What a failed scenario left (a box, the editor, a crashed program) would hold the next one.
trap '{ [[ -n $app_pid ]] && kill "$app_pid" && timeout 30 wineserver -k; kill $sim_pid
    wait; } 2>/dev/null' EXIT

# COM1 and COM10 lead to a link that each simulator points at its pty (COM7 of scripts/wine-prefix
# likewise). Wine draws the frames (no window manager under Xvfb) with its own fonts, a crash ends
# a program at once, the chooser opens in "waypoints", not where an earlier run left it. Wine
# makes its COM ports when its server starts: that one ends, the next one logs to a file.
prepare() {
    rm -rf "$work" && mkdir -p "$work/waypoints" && "$here/../../scripts/wine-prefix" ||
        fail "no Wine prefix"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    printf '%s\r\n' REGEDIT4 '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]' "\"COM1\"=\"$com1\"" \
        "\"COM10\"=\"$com1\"" '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' \
        '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' \
        '[-HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32]' \
        >"$work/prefix.reg"
    timeout 60 wine regedit /S "$work/prefix.reg" >/dev/null 2>&1 && timeout 60 wineserver -w &&
        wineserver >>"$work/wineserver.log" 2>&1 || fail "the Wine prefix cannot be set up"
}

# start_sim LINK SIM-OPTIONS...: the simulator, instead of any before, on a pty behind LINK.
start_sim() {
    [[ -z $sim_pid ]] || { kill "$sim_pid" && wait "$sim_pid"; }
    exec {sim_out}< <(exec "$ZR640_SIM" --link "$@" 2>"$work/sim.err")
    sim_pid=$!
    read -r -t 10 -u "$sim_out" _ || fail "$ZR640_SIM did not start: $(cat "$work/sim.err")"
}

# write_ini [COMSETTINGS]: zr640.ini as a first start writes it, or with other settings.
write_ini() { sed "s/COM1:4800,N,8,1/${1:-&}/" "$here/data/zr640.ini" >"$work/zr640.ini"; }

# run_app STEPS...: the program worked by the driver; then it must end by itself with 0.
run_app() {
    (cd "$work" && exec timeout 90 wine "$ZR640_EXE") >"$work/app.out" 2>&1 &
    app_pid=$!
    timeout 120 wine "$ZR640_DRIVER" "$@" || fail "driver steps failed"
    wait "$app_pid" || fail "zr640.exe ended with $? (124: not at all)"
    app_pid=
}

chooser=("Wendepunktdatei wählen" Wendepunktdateien)

# The boxes that end a start: no zr640.ini (a default one is written), a malformed COM entry.
# Then a port that is not there, whose box names those that are, in the order of their numbers.
scenario_start_up() {
    local folder
    folder=$(winepath -w "$work" 2>/dev/null) || fail "winepath"
    run_app box "Ini-Datei nicht gefunden!" $'\n\nDie Ini-Datei wurde in\n'"$folder"$'\\zr640.ini nicht gefunden.\n\nEine Datei mit Defaulteinstellungen wurde angelegt.\n\nBitte auf aktuelle Einstellungen hin editieren!\n\nProgramm wird beendet!' 30000
    cmp "$work/zr640.ini" "$here/data/zr640.ini" || fail "zr640.ini:"$'\n'"$(<"$work/zr640.ini")"
    write_ini COM1:12345,N,8
    run_app box "Fehler im COM-Eintrag in Ini-Datei!" \
        $'\n\nEintrag COM1:12345,N,8 fehlerhaft\nProgramm wird beendet!' 30000
    start_sim "$WINEPREFIX/zr640-com7" --no-telemetry
    write_ini COM3:4800,N,8,1
    run_app box Error $'could not open Com3\nVorhandene serielle Schnittstellen:\nCOM1 (*)\nCOM2 (*)\nCOM7 (*)\nCOM10 (*)\nCOMSETTINGS in zr640.ini anpassen' \
        30000 dialog 30000 escape gone 10000
}

# Two records in a loop, decoded; what arrives before the port opens is discarded, so the first
# frame read may be either, counted from 1 all the same. "Run" stops reading while frames keep
# coming; Enter (command 1: no button is the default) does nothing. The task goes out past the
# frames that waited (a write discards them), and reception is on again afterwards. What the
# user sees, template 100 control by control against its table; after the close box, the
# settings left on the line (no flow control: it would hold back the bytes 0x11 and 0x13); the
# manifest's declarations, and no code page of its own.
scenario_telemetry() {
    write_ini COM1:9600,N,8,2
    start_sim "$com1" --frames "$here/data/two_records.frames" --interval 200
    run_app dialog 30000 wait-ending ' Satznr 0 FlugZeitSek:3725 AktivDistanz:12340.00 SDTHoehe:1520 QFEHoehe:1310 LoggerFixZaehler:745 DeltaV:-12 GleitPfadDifferenz:-150 VarioMittelwert:1.50 Nettovario:-0.80 Vario:2.30 TAS:110.50 Groundspeed:98.70 Track:270.50 Breite: 48.123457 48°07'"'"'24" N Laenge: -11.500000 11°29'"'"'60" W DiffWinkel:-45' 15000 \
        wait-ending ' Satznr 2 Werknummer:A1234 Schalterstellung:3 Menu:1f MCPoti:25 WindPoti:-2 WindKomponente:-3.50 WindEmpfehlung:12.00 WindVektorBetrag:8.70 WindVektorBogen:225.00' 15000 \
        entry-begins 6 'Reading     1 Satznr ' entry-begins 7 'Reading     2 Satznr ' \
        press 102 steady 1000 enter steady 1000 \
        click 123 wait-ending $'$KTWPS,1,4*4E\r' 15000 grows 3 15000 layout template 100 5000 \
        close gone 10000
    local line missing
    line=$(stty -F "$com1" -a |
        grep -oE 'speed [0-9]+|-?(parenb|cs[5-8]|cstopb|crtscts|ixon|ixoff)\b' | paste -sd' ')
    [[ $line == 'speed 9600 -parenb cs8 cstopb -crtscts -ixon -ixoff' ]] || fail "line: $line"
    missing=$(grep -oaFf "$here/data/manifest.txt" "$ZR640_EXE" | sort -u |
        comm -13 - <(sort "$here/data/manifest.txt"))
    [[ -z $missing ]] || fail "the manifest lacks $missing"
    ! grep -qaF activeCodePage "$ZR640_EXE" || fail "the manifest sets a code page"
}

# Choosing the waypoint file: "Edit" without one, a new name, the chooser cancelled, the editor,
# and a full path of 258 characters, beyond the chooser's 256 bytes (beyond 260 would overrun
# Wine's own chooser). Each tick with nothing read shows so and clears the lit RX and TX.
scenario_choose_file() {
    write_ini
    printf 'Lauf-Lillinghof,EDQI\r\n' >"$work/waypoints/flugplatz.wht"
    local folder long
    folder=$(winepath -w "$work/waypoints" 2>/dev/null) || fail "winepath"
    long=$(printf 'W%.0s' $(seq $((258 - ${#folder} - 10))))
    mkdir -p "$work/waypoints/$long"
    printf 'Oschersleben,EDOL\r\n' >"$work/waypoints/$long/lang.wht"
    start_sim "$com1" --no-telemetry
    run_app dialog 30000 click 119 box Fehler "Erst mal eine Wendepunktdatei wählen!" 10000 \
        click 118 choose "${chooser[@]}" neu.wht 15000 text 109 "$folder\\neu.wht" \
        click 118 choose "${chooser[@]}" "" 15000 text 109 "$folder\\neu.wht" \
        click 118 choose "${chooser[@]}" flugplatz.wht 15000 text 109 "$folder\\flugplatz.wht" \
        click 119 editor '*flugplatz.wht*' 15000 \
        click 118 choose "${chooser[@]}" "$long\\lang.wht" 15000 \
        box Fehler "Der Pfad der Wendepunktdatei ist zu lang (mehr als 255 Zeichen)." 10000 \
        text 109 "$folder\\flugplatz.wht" count 6 text 101 "EOF     " \
        press 104 checked 104 0 2000 press 103 checked 103 0 2000 escape gone 10000
}

# An upload over a 4800 baud line with slow answers, and silence from the last record on: the
# dialog keeps answering the system, greys its busy buttons, and Escape cancels the transfer
# before a second one ends the program. bench/dialog_latency_wine.sh runs it with more records.
scenario_responsive() {
    write_ini
    local records=${ZR640_RESPONSIVE_RECORDS:-21}
    seq "$records" | awk '{ printf "Punkt%d,P%d,N,48.%d,E,11.%d\r\n", $1, $1, $1, $1 }' \
        >"$work/waypoints/lang.wht"
    start_sim "$com1" --no-telemetry --baud 4800 --reply-delay 150 --silent-after $((records - 1))
    run_app dialog 30000 click 118 choose "${chooser[@]}" lang.wht 15000 \
        click 116 responsive 'WP   3:' 20000 buttons 0 0 escape \
        responsive 'Abbruch durch Benutzer nach ' 5000 buttons 1 5000 \
        click 116 responsive "$(printf 'WP %3d:' "$records")" 600000 buttons 0 0 \
        responsive 'Abbruch, Fehler bei resend!!' 20000 buttons 1 5000 escape gone 10000
}

# The line goes away as the first record of an upload arrives and a new one comes 6 s later,
# as a USB adapter pulled and plugged again: said once in the log, no box while it is away.
# Meanwhile "Strecke setzen" and "Update WP's" each say in one line that nothing was sent, and
# nothing reaches the simulator; once the line is back, the frames go on.
scenario_unplug() {
    write_ini
    printf 'Lauf-Lillinghof,EDQI\r\n' >"$work/waypoints/flugplatz.wht"
    start_sim "$com1" --interval 300 --hangup-after 0 --reopen-after 6000 --log "$work/sim.log"
    local nothing='Keine Verbindung zum Gerät, nichts gesendet'
    run_app dialog 30000 click 118 choose "${chooser[@]}" flugplatz.wht 15000 \
        click 116 wait-ending 'Verbindung zum Gerät verloren' 15000 buttons 1 5000 \
        click 123 endings "$nothing" 1 10000 buttons 1 5000 \
        click 116 endings "$nothing" 2 10000 buttons 1 5000 \
        wait-ending 'Verbindung wiederhergestellt' 15000 grows 2 10000 \
        endings "$nothing" 2 1000 endings 'Verbindung zum Gerät verloren' 1 1000 escape gone 10000
    ! sed -n '/^note hang-up/,/^note line/p' "$work/sim.log" | grep -q '^rx' ||
        fail "written while the line was away:"$'\n'"$(cat "$work/sim.log")"
}

# The log leaves the window. The system menu's entries, read inside the program (Wine keeps a
# program's menus to its process). The log's context menu from the keyboard: "Alles kopieren"
# puts the log on the clipboard as Unicode text with CR LF, a sentence's own CR dropped, and
# "Protokoll speichern" the same text as a Windows-1252 file in the folder the program started
# in, though the waypoint chooser moved the working directory; Ctrl+C copies one entry. The
# title counts an upload's records and says how long the rest takes; meanwhile the opened system
# menu greys "Strecke wählen" (Escape twice: the menu, then the menu mode).
scenario_log_menus() {
    write_ini
    printf 'Punkt1,P1\r\nPunkt2,P2\r\n' >"$work/waypoints/zwei.wht"
    seq 20 | awk '{ printf "Punkt%d,P%d\r\n", $1, $1 }' >"$work/waypoints/zwanzig.wht"
    start_sim "$com1" --no-telemetry --reply-delay 400
    local entries=$'&Alles kopieren|Protokoll s&peichern…|' folder
    folder=$(winepath -w "$work" 2>/dev/null) || fail "winepath"
    run_app dialog 30000 system-menu "*|-|${entries}Strecke &wählen…|Ü&ber zr640…|" 5000 \
        click 118 choose "${chooser[@]}" zwei.wht 15000 click 116 \
        wait-ending 'Update fertig, 2 Sätze übertragen!' 15000 \
        focus 110 clear-clipboard keys shift+f10 keys a clipboard 'Streckenpunkt 1:*' 5000 \
        save-clipboard "$folder\\clipboard.txt" \
        keys shift+f10 keys p choose "Protokoll speichern" Textdateien protokoll 15000 \
        select 'WP   1:*' keys ctrl+c clipboard 'WP   1: $KTWPU,Punkt1,P1,,,,,,,*65' 5000 \
        click 118 choose "${chooser[@]}" zwanzig.wht 15000 click 117 \
        title 'ZR640 – Replace * von 20' 5000 title 'ZR640 – Replace * von 20 (noch 0:0*)' 10000 \
        keys alt+space \
        system-menu "*|-|${entries}(Strecke &wählen…)|Ü&ber zr640…|" 5000 keys escape sleep 300 \
        keys escape wait-ending 'Replace fertig, 20 Sätze übertragen!' 15000 title ZR640 5000 \
        close gone 10000
    local rule=--------------------------------------------------------------------------------
    rule=$rule${rule:0:48} expected=$work/expected.txt
    printf '%s\r\n' 'Streckenpunkt 1: Lauf-Lilling,EDQI' 'Streckenpunkt 2: Oschersleben,EDOL' \
        'Streckenpunkt 3: Hetzleser Be,EDQX' 'Streckenpunkt 4: Bayreuth,EDQD' ' ' ' ' ' ' ' ' \
        "Update-$rule" '$KTWPI,Update*4C' '$KTWPO,Update,0*56' $'2 S\xe4tze in der Datei' \
        'WP   1: $KTWPU,Punkt1,P1,,,,,,,*65' '$KTWPA,1*44' 'WP   2: $KTWPU,Punkt2,P2,,,,,,,*65' \
        '$KTWPA,2*47' $'Update fertig, 2 S\xe4tze \xfcbertragen!' "$rule" ' ' ' ' >"$expected"
    cmp "$work/clipboard.txt" "$expected" ||
        fail "the clipboard held: $(od -c "$work/clipboard.txt")"
    cmp "$work/protokoll.txt" "$expected" || fail "the saved log: $(od -c "$work/protokoll.txt")"
}

# waypoints FILE LINES...: a waypoint file in Windows-1252, each line ended by CR LF.
waypoints() { local file=$1; shift; printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP1252 >"$file"; }

# The route chosen from the waypoint file. A double-click on a route line of the log opens
# "Strecke wählen" over the file's records (the line over 511 characters skipped), with the
# route in use and the filter focused; Escape leaves it unchanged. The four points removed, two
# found by typing and added, Enter (OK) logs them (the controller's test reads zr640.ini), and
# "Strecke setzen" sends them: the simulator acknowledges two points.
scenario_route() {
    write_ini
    waypoints "$work/waypoints/punkte.wht" 'Münster Süd,EDDG,N' 'Öhringen,EDTX,N' \
        'Bayreuth,EDQD,N' "$(printf 'x%.0s' {1..600})" 'Bad Säckingen,EDTS'
    start_sim "$com1" --no-telemetry
    local -a route=('1. Lauf-Lilling,EDQI' '2. Oschersleben,EDOL' '3. Hetzleser Be,EDQX'
                    '4. Bayreuth,EDQD')
    run_app dialog 30000 click 118 choose "${chooser[@]}" punkte.wht 15000 \
        double-click-entry 2 template 200 15000 route 5000 has-focus 202 5000 rows 4 5000 \
        text 204 '1 Zeile übersprungen' items 207 4 "${route[@]}" enabled 205 0 \
        escape gone 5000 main double-click-entry 0 route 15000 items 207 4 "${route[@]}" \
        press 208 press 208 press 208 press 208 items 207 0 enabled 208 0 \
        focus 202 type hring shows 202 hring 5000 rows 1 5000 press 205 focus 202 \
        type $'\b\b\b\b\bBAY' shows 202 BAY 5000 rows 1 5000 press 205 \
        items 207 2 '1. Öhringen,EDTX' '2. Bayreuth,EDQD' focus 202 enter gone 5000 main \
        entry-begins 6 'Streckenpunkt 1: Öhringen,EDTX' \
        entry-begins 7 'Streckenpunkt 2: Bayreuth,EDQD' \
        click 123 wait-ending $'$KTWPS,1,2*48\r' 15000 escape gone 10000
}

# A benchmark of bench/ brings its scenario, bench_NAME, in the file ZR640_E2E_BENCH.
[[ -z ${ZR640_E2E_BENCH:-} ]] || source "$ZR640_E2E_BENCH"
run=scenario_${scenario//-/_}
[[ $scenario != bench-* ]] || run=${scenario//-/_}
declare -F "$run" >/dev/null || fail "unknown scenario"
prepare
"$run"
echo "PASS [$scenario]"
