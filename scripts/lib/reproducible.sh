# SPDX-License-Identifier: GPL-3.0-or-later
# Two builds of the last commit in two folders, compared byte for byte: what a user or a
# distribution does to check that a binary was built from the source it claims. Source from the
# repository root.

# reproducible_build COMMIT TREE LOG: a clone of COMMIT in TREE and its release packages built
# there, without the tests and without the compiler cache (which would hand the second build the
# first one's objects), the output in LOG. SOURCE_DATE_EPOCH goes on to the build as the caller
# has it, set or not.
reproducible_build() {
    local commit=$1 tree=$2 log=$3 preset
    rm -rf "$tree" && git clone -q --no-checkout . "$tree" &&
        git -C "$tree" checkout -q --detach "$commit" || return 1
    (
        cd "$tree" || exit 1
        unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
        for preset in linux windows; do
            cmake --preset "$preset" -DZR640_TESTS=OFF -DZR640_BENCH=OFF \
                -DCMAKE_COMPILE_WARNING_AS_ERROR=ON && \
                cmake --build --preset "$preset" --target package -j "$(nproc)" || exit 1
        done
    ) >"$log" 2>&1 || { tail -n 40 "$log"; return 1; }
}

# reproducible_explain A B: where two files that should be the same differ.
reproducible_explain() {
    case $1 in
        *.deb) diff <(dpkg-deb --info "$1"; dpkg-deb --contents "$1") \
            <(dpkg-deb --info "$2"; dpkg-deb --contents "$2") ;;
        *.zip) diff <(unzip -lv "$1") <(unzip -lv "$2") ;;
    esac
    cmp "$1" "$2" | head -n 5
    echo "bytes that differ: $(cmp -l "$1" "$2" | wc -l)"
}

# reproducible_compare A B FILE...: each FILE the same under A and under B.
reproducible_compare() {
    local one=$1 two=$2 file status=0
    shift 2
    for file in "$@"; do
        if cmp -s "$one/$file" "$two/$file"; then
            echo "the same in both builds: $file"
        else
            echo "DIFFERS between the builds: $file"
            reproducible_explain "$one/$file" "$two/$file"
            status=1
        fi
    done
    return $status
}

# test_reproducible VERSION: the first build with SOURCE_DATE_EPOCH set from the last commit,
# the second without it (the packages then take the commit's time themselves), in a folder of
# another name and depth; then the .deb, the zip, zr640.exe and the setup compared.
test_reproducible() {
    local version=$1 base=$PWD/build/reproducible commit
    commit=$(git rev-parse HEAD) || return 1
    git diff --quiet HEAD || echo "note: the last commit is built, without the changes since"
    mkdir -p "$base" || return 1
    echo "first build of ${commit:0:12}, SOURCE_DATE_EPOCH from the commit"
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit") \
        reproducible_build "$commit" "$base/one" "$base/one.log" || return 1
    echo "second build, in another folder, SOURCE_DATE_EPOCH not set"
    (unset SOURCE_DATE_EPOCH &&
        reproducible_build "$commit" "$base/second/tree" "$base/second.log") || return 1
    reproducible_compare "$base/one/build" "$base/second/tree/build" \
        "linux/zr640_${version}_amd64.deb" "windows/zr640-${version}-win64.zip" \
        windows/bin/zr640.exe "windows/zr640-${version}-setup.exe"
}
