# SPDX-License-Identifier: GPL-3.0-or-later
# Debian packages the build and the tests need, and a function that installs the missing ones.
# The release packages need nsis (makensis) for the Windows setup, dpkg-dev (dpkg-shlibdeps) and
# file for the .deb's Depends, librsvg2-bin (rsvg-convert) for the icons. The packages' tests
# check them with Debian's own tools: lintian, appstreamcli, desktop-file-validate, man.
ZR640_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev g++-mingw-w64-x86-64 nsis dpkg-dev file librsvg2-bin git)
# The screenshot test reads the Qt dialog's log over the accessibility bus (dbus, at-spi2-core,
# python3-dbus).
ZR640_TEST_PACKAGES=(python3 wine64 xvfb xauth x11-utils imagemagick clang libclang-rt-14-dev
    fonts-dejavu-core xdotool locales dbus at-spi2-core python3-dbus lintian appstream
    desktop-file-utils man-db)

package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# ensure_packages PKG...: installs those not yet installed (apt-get update first).
ensure_packages() {
    local missing=() p
    for p in "$@"; do package_installed "$p" || missing+=("$p"); done
    ((${#missing[@]})) || return 0
    echo "Installing: ${missing[*]}"
    if [[ $(id -u) -ne 0 ]]; then
        echo "Missing packages (${missing[*]}); run as root or install them." >&2
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
}
