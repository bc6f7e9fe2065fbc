# SPDX-License-Identifier: GPL-3.0-or-later
# The demo's working directory and simulator settings, shared by scripts/demo and its test.
# Source from the repository root.

# demo_write_ini DIR DEVICE: DIR/zr640.ini with the default settings, the serial line on
# DEVICE (the Linux key "Device") and the four default route points.
demo_write_ini() {
    cat >"$1/zr640.ini" <<INI
[ZR640]
COMSETTINGS=COM1:4800,N,8,1
Device=$2
[Settings]
Debug=0
MaxLaengeName1=12
MaxLaengeName2=4
Hoehe=1
Frequenz=1
[Strecke]
StreckenPunkt1=Lauf-Lillinghof,EDQI
StreckenPunkt2=Oschersleben,EDOL
StreckenPunkt3=Hetzleser Berg,EDQX
StreckenPunkt4=Bayreuth,EDQD
INI
}

# demo_prepare DIR DEVICE: the configuration and a sample waypoint file in DIR/waypoints
# (both written afresh on every run).
demo_prepare() {
    mkdir -p "$1/waypoints"
    demo_write_ini "$1" "$2"
    cp tools/sim/data/sample.wht "$1/waypoints/sample.wht"
}

# demo_sim_arguments DIR LINK: the simulator's arguments, one a line: telemetry every 500 ms,
# paced like the configured 4800 baud, its slave linked at LINK, memory and traffic in DIR.
demo_sim_arguments() {
    printf '%s\n' --interval 500 --baud 4800 --link "$2" \
        --store "$1/instrument-memory.txt" --log "$1/zr640-sim.log"
}
