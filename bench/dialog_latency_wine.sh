#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How long zr640.exe under Wine takes to answer the system during an upload of 200 records to
# the simulator at 4800 baud (slow answers) and then during three silent attempts: the Wine
# end-to-end scenario "responsive" with 200 records, whose driver asks the dialog for an answer
# with SendMessageTimeout every 10 ms. Prints the driver's figures for each phase: until the
# third record (then Escape), until the cancel is logged, the whole upload, the silent attempts.
# Usage, after building the linux and windows presets: bench/dialog_latency_wine.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export ZR640_EXE=$root/build/windows/bin/zr640.exe ZR640_DRIVER=$root/build/windows/bin/zr640_driver.exe
export ZR640_SIM=$root/build/linux/bin/zr640-sim ZR640_E2E_DIR=$root/build/windows/bench-e2e
export ZR640_RESPONSIVE_RECORDS=200
"$root/tests/wine/run_e2e.sh" responsive | grep -E '^responsive:|PASS|FAIL'
