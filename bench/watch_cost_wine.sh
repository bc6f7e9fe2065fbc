#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What watching the instrument costs zr640.exe under Wine, the program and the Wine server
# together: the share of a core with no frames (reading on, then off), at a frame every 500 ms
# and at a frame every 100 ms with stray bytes against the simulator at 4800 baud, and how soon
# after its last byte the last frame of a replay of 600 is logged: the Wine end-to-end scenario
# "bench-watch-cost" of bench/wine_scenarios.sh. Usage, after building the linux and windows presets: bench/watch_cost_wine.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export ZR640_EXE=$root/build/windows/bin/zr640.exe ZR640_DRIVER=$root/build/windows/bin/zr640_driver.exe
export ZR640_SIM=$root/build/linux/bin/zr640-sim ZR640_E2E_DIR=$root/build/windows/bench-e2e
ZR640_E2E_BENCH=$root/bench/wine_scenarios.sh "$root/tests/wine/run_e2e.sh" bench-watch-cost | grep -E '^(watch-cost|last-frame):|PASS|FAIL'
