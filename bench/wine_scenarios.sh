# SPDX-License-Identifier: GPL-3.0-or-later
# The Wine benchmarks' scenarios, sourced by tests/wine/run_e2e.sh (ZR640_E2E_BENCH) for
# bench/route_dialog_wine.sh and bench/watch_cost_wine.sh: they run with its helpers (write_ini,
# start_sim, run_app, fail) and print figures; they assert no time.

# bench-route: the route dialog over a file of ZR640_ROUTE_RECORDS records (10000), opened by
# the menus' command; the time to open and each filter keystroke's.
bench_route() {
    write_ini
    local records=${ZR640_ROUTE_RECORDS:-10000}
    awk -v n="$records" 'BEGIN {
        split("Aalen Bayreuth Bückeburg Dörnberg Füssen Görlitz Hetzleser Königsdorf Lüneburg " \
              "Müllheim Nördlingen Oschersleben Straßberg Tübingen Überlingen Würzburg", p, " ")
        split(" Nord| Süd| Ost| West| Berg| Turm| Kreuz| Brücke", s, "|")
        for (i = 0; i < n; ++i)
            printf "%s%s %d,E%04d,N,48.%d,E,11.%d\r\n", p[i % 16 + 1], s[int(i / 16) % 8 + 1],
                   i, i % 10000, i, i
    }' | iconv -f UTF-8 -t CP1252 >"$work/waypoints/viele.wht"
    start_sim "$com1" --no-telemetry
    run_app dialog 30000 click 118 choose "${chooser[@]}" viele.wht 15000 \
        measure-route "$records" bergt escape gone 10000 main escape gone 10000
}

# bench-watch-cost: what watching the line costs zr640.exe and the Wine server: the share of a
# core of each over 20 s with no frames (reading on, then off) and with the built-in flight at a
# frame every 500 ms; then 40 s into a replay of 600 frames every 100 ms with stray bytes, and
# after its end every frame logged and the time from the last byte of the last frame on the
# line to its line in the log.
bench_watch_cost() {
    write_ini
    start_sim "$com1" --no-telemetry --baud 4800
    start_watched
    cpu_share "idle, reading on" 20
    drive dialog 1000 press 102
    cpu_share "idle, reading off" 20
    stop_watched
    start_sim "$com1" --interval 500 --baud 4800
    start_watched
    cpu_share "a frame every 500 ms" 20
    stop_watched
    local pair sent
    pair=$(<"$here/data/two_records.frames")
    for _ in $(seq 300); do echo "$pair"; done >"$work/stream.frames"
    echo "24 5A 06 00 07 00" >>"$work/stream.frames"  # the last frame: "... Satz:7"
    start_sim "$com1" --frames "$work/stream.frames" --once --interval 100 --garbage --baud 4800
    start_watched
    cpu_share "a frame every 100 ms with stray bytes" 40
    drive dialog 1000 last-frame Satz:7 60000 >"$work/last-frame.txt" &
    read -r -t 60 -u "$sim_out" sent && [[ $sent == "replay sent" ]] || fail "no end of the replay"
    sent=$(date +%s%3N)
    wait $! && cat "$work/last-frame.txt" || fail "the last frame was not logged"
    echo "watch-cost: the last frame logged $(( $(grep -oE 'at [0-9]+' "$work/last-frame.txt" |
        cut -c4-) - sent )) ms after its last byte left the simulator"
    stop_watched
}

# start_watched: zr640.exe in the background, until its dialog shows.
start_watched() {
    (cd "$work" && exec timeout 600 wine "$ZR640_EXE") >"$work/app.out" 2>&1 &
    app_pid=$!
    drive dialog 30000 pointer-away
    sleep 3
}
stop_watched() {
    drive dialog 1000 close gone 10000
    wait "$app_pid" || fail "zr640.exe ended with $?"
    app_pid=
}
drive() { timeout 120 wine "$ZR640_DRIVER" "$@" || fail "driver steps $* failed"; }

# cpu_share LEGEND SECONDS: the share of a core that zr640.exe (the child of timeout) and the
# server of this prefix (its directory is named after the prefix's device and inode) used.
cpu_share() {
    local server program before after
    server=$(printf 'server-%s-%x' "$(stat -c %D "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    program=$(pgrep -P "$app_pid")
    for pid in $(pgrep -x wineserver64; pgrep -x wineserver); do
        [[ $(readlink "/proc/$pid/cwd") == */$server ]] && server=$pid
    done
    [[ -n $program && $server =~ ^[0-9]+$ ]] || fail "zr640.exe or its server not found"
    before=$(cpu_ticks "$program" "$server")
    sleep "$2"
    after=$(cpu_ticks "$program" "$server")
    awk -v legend="$1" -v s="$2" -v hz="$(getconf CLK_TCK)" -v b="$before" -v a="$after" 'BEGIN {
        split(b, x); split(a, y); p = (y[1] - x[1]) / hz / s * 100; w = (y[2] - x[2]) / hz / s * 100
        printf "watch-cost: %s: %.1f %% of a core (zr640.exe %.1f %%, wineserver %.1f %%)\n",
            legend, p + w, p, w }'
}
# cpu_ticks PID...: the user and system time of each process so far, in clock ticks.
cpu_ticks() {
    local pid fields
    for pid; do
        fields=$(sed 's/.*) //' "/proc/$pid/stat")
        awk '{ printf "%d ", $12 + $13 }' <<<"$fields"
    done
}
