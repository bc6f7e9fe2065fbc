# SPDX-License-Identifier: GPL-3.0-or-later
# Wine prefixes for the tests and the demo, and the running of zr640.exe in them. Source from the
# repository root.

# wine_boot PORT DEVICE [COMMAND...]: boots the prefix $WINEPREFIX (without the Mono and Gecko
# prompts: nothing here needs them), runs COMMAND, maps the COM port PORT to DEVICE and waits
# for the server to end: Wine makes its COM ports from the registry when its server starts.
wine_boot() {
    local port=$1 device=$2
    shift 2
    WINEDLLOVERRIDES="mscoree,mshtml=" timeout 300 wineboot -i >/dev/null 2>&1 || return 1
    if (($#)); then "$@" || return 1; fi
    timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v "$port" /d "$device" /f \
        >/dev/null 2>&1 || return 1
    timeout 120 wineserver -w
}

# wine_scratch_prefix DIR COM1-DEVICE: a fresh prefix in DIR, exported as WINEPREFIX, whose COM1
# is COM1-DEVICE, thrown away after use.
wine_scratch_prefix() {
    rm -rf "$1" && mkdir -p "$1" || return 1
    export WINEPREFIX=$1 WINEDEBUG=${WINEDEBUG:--all}
    wine_boot COM1 "$2" wine_scratch_setup
}

# Its user folders are folders of its own, not links into the home directory, so that nothing
# written to Documents leaves the prefix. Wine draws the title bars itself (no window manager
# under Xvfb), with its own fonts, which also give the dialog its font.
wine_scratch_setup() {
    local folder
    for folder in "$WINEPREFIX"/drive_c/users/*/*; do
        if [[ -L $folder ]]; then rm "$folder" && mkdir "$folder" || return 1; fi
    done
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" &&
        timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
}

# wine_start_zr640 EXE DIR: the program started in DIR in the background (wine_app_pid).
wine_start_zr640() {
    (cd "$2" && exec timeout 120 wine "$1") &
    wine_app_pid=$!
}

# wine_drive DRIVER STEP...: zr640_driver.exe works the dialog (see tests/wine/zr640_driver.cpp).
# Its texts are UTF-8; C.UTF-8 still gives the programs Windows-1252.
wine_drive() {
    LANG=C.UTF-8 LC_ALL=C.UTF-8 timeout 120 wine "$@"
}

# wine_stop_zr640 DRIVER: closes the dialog and waits for the program's end; false when it does
# not close or did not end by itself with 0.
wine_stop_zr640() {
    wine_drive "$1" dialog 5000 close gone 10000 && wait "$wine_app_pid"
}
