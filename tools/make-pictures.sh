#!/usr/bin/env bash
# Makes the pictures of the user guide (docs/*.png) again: builds the release tree, starts the host simulator
# with the sample records and Tollwick beside it under Wine (a prefix of its own, a virtual display), collects,
# searches, opens a BBS thread, and saves the window, every page and the tray menu
# (tools/release/release_tool_win32.cpp).
# The pictures are made at 96 DPI; the run at each further DPI (144 by default) keeps its main window as
# main-window-<DPI>dpi.png beside them and every picture of that run in build/pictures-<DPI>dpi.
#   TWK_PICTURES_DIR   where the pictures go (default: docs)
#   TWK_PICTURES_DPIS  the further display scalings, in DPI (default: 144; empty: none)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
OUT=${TWK_PICTURES_DIR:-$ROOT/docs}

source tools/build-env.sh
mkdir -p build
# The 32-bit product where this machine runs 32-bit programs, else its 64-bit twin: the windows are the same.
# shellcheck source=tools/win-arch.sh
source tools/win-arch.sh
if [ -z "$TWK_WIN_BITS" ]; then
    echo "Wine runs neither 32-bit nor 64-bit Windows programs on this machine: no pictures can be made."
    exit 1
fi
BUILD=$ROOT/$(twk_win_tree "$TWK_WIN_BITS" win-release)
echo "Pictures from the $TWK_WIN_CHOICE ($BUILD)"
if ! { cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$(twk_win_toolchain "$TWK_WIN_BITS")" -DCMAKE_BUILD_TYPE=Release &&
        cmake --build "$BUILD" -j"$JOBS" --target Tollwick vobra_sim twk_ap_plugin twk_release_tool; } \
        >build/pictures.build.log 2>&1; then
    tail -20 build/pictures.build.log
    echo "The build failed; the whole log is build/pictures.build.log"
    exit 1
fi

pictures_prefix=$ROOT/build/wineprefix-pictures
[ "$TWK_WIN_BITS" = 64 ] && pictures_prefix=$ROOT/build/wineprefix64-pictures
rc=0
for dpi in 96 ${TWK_PICTURES_DPIS-144}; do
    shots=$OUT
    [ "$dpi" = 96 ] || shots=$ROOT/build/pictures-${dpi}dpi
    export TWK_WINEPREFIX=$pictures_prefix TWK_HEADLESS=1 TWK_DPI=$dpi
    source tools/wine-env.sh
    # The program's folder, C:\Tollwick as a user would have it: the program, the definitions that fit the
    # simulator and the start-address plug-in. The pictures are saved beside it first.
    app=$WINEPREFIX/drive_c/Tollwick
    rm -rf "$app"
    mkdir -p "$app/shots"
    cp "$BUILD/ui/Tollwick.exe" "$BUILD/tools/plugins/ap.dll" tools/sample/TWKdef.ini "$app/"
    (cd "$app" && "$TWK_WINE" "$BUILD/tools/release/twk_release_tool.exe" pictures 'C:\Tollwick' \
        "$BUILD/tools/vobra_sim/vobra_sim.exe" "$("$TWK_WINE" winepath -w "$ROOT/tools/sample/records.txt" 2>/dev/null)" 'C:\Tollwick\shots' \
        </dev/null) || rc=1
    twk_wine_shutdown

    mkdir -p "$shots"
    for bmp in "$app"/shots/*.bmp; do
        [ -e "$bmp" ] || continue
        convert "$bmp" -strip -define png:exclude-chunks=date,time "$shots/$(basename "$bmp" .bmp).png" && echo "$shots/$(basename "$bmp" .bmp).png"
    done
    if [ "$dpi" != 96 ] && [ -e "$shots/main-window.png" ]; then
        mkdir -p "$OUT"
        cp "$shots/main-window.png" "$OUT/main-window-${dpi}dpi.png" && echo "$OUT/main-window-${dpi}dpi.png"
    fi
done
exit $rc
