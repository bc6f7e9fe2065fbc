#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the route dialog of zr640.exe under Wine costs over a waypoint file of 10000 records:
# the time from the command "Strecke wählen" until the dialog shows every record and has
# painted them, and from each key typed into the filter until the list has taken it and
# painted (bench_route of bench/wine_scenarios.sh, whose driver measures from outside).
# Usage, after building the linux and windows presets: bench/route_dialog_wine.sh [records]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export ZR640_EXE=$root/build/windows/bin/zr640.exe
export ZR640_DRIVER=$root/build/windows/bin/zr640_driver.exe
export ZR640_SIM=$root/build/linux/bin/zr640-sim ZR640_E2E_DIR=$root/build/windows/bench-e2e
export ZR640_ROUTE_RECORDS=${1:-10000}
ZR640_E2E_BENCH=$root/bench/wine_scenarios.sh "$root/tests/wine/run_e2e.sh" bench-route | grep -E '^route dialog:|PASS|FAIL'
