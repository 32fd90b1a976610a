#!/usr/bin/env bash
# Builds Tollwick and starts it under Wine beside the host simulator, in a demo folder of its own (demo/), where
# its settings and list files live; the simulator runs in its own folder inside it (demo/vobra_sim/), with the
# host's Download.txt and Ignore.txt that Tollwick's exports add to (tools/demo-host.sh). Uses your X display, or
# a virtual one when there is none (then it prints how to look at it). Closing Tollwick ends the simulator and
# this script. Installs what is missing on the first run.
#   TWK_DEMO_DIR   the demo folder (default: ./demo)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
DEMO=${TWK_DEMO_DIR:-$ROOT/demo}

bash tools/install-deps.sh || exit 1
source tools/build-env.sh
twk_restart_for_locales "$ROOT/$(basename "${BASH_SOURCE[0]}")" "$@"
mkdir -p build
# The 32-bit product where this machine runs 32-bit programs, else its 64-bit twin (the same sources).
# shellcheck source=tools/win-arch.sh
source tools/win-arch.sh
if [ -z "$TWK_WIN_BITS" ]; then
    echo "Wine runs neither 32-bit nor 64-bit Windows programs on this machine: nothing to start."
    exit 1
fi
tree=$(twk_win_tree "$TWK_WIN_BITS" win-release)
echo "Building the Windows programs ($TWK_WIN_CHOICE, $tree)..."
if ! { cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$(twk_win_toolchain "$TWK_WIN_BITS")" \
        -DCMAKE_BUILD_TYPE=Release && cmake --build "$tree" -j"$JOBS"; } >"$tree.build.log" 2>&1; then
    tail -30 "$tree.build.log"
    echo "The build failed; the whole log is $tree.build.log"
    exit 1
fi

app=$(find "$tree" -name Tollwick.exe | head -1)
sim=$(find "$tree" -name vobra_sim.exe | head -1)
if [ -z "$app" ]; then
    echo "Built. (Tollwick.exe is not part of this build yet.)"
    exit 0
fi

mkdir -p "$DEMO"
cp "$app" "$DEMO/"
# Sample host layout and records for the simulator, and the sample plug-ins, unless the user changed them.
if [ -d tools/sample ]; then
    for f in tools/sample/*.ini tools/sample/*.txt; do [ -e "$DEMO/$(basename "$f")" ] || cp "$f" "$DEMO/"; done
fi
# The sample start-pointer plug-in finds the simulator's table, so the first collection needs no fallback.
plugin=$(find "$tree" -name ap.dll | head -1)
[ -n "$plugin" ] && cp "$plugin" "$DEMO/"

demo_prefix=$ROOT/build/wineprefix-demo
[ "$TWK_WIN_BITS" = 64 ] && demo_prefix=$ROOT/build/wineprefix64-demo
export TWK_WINEPREFIX=${TWK_WINEPREFIX:-$demo_prefix}
if [ -z "${DISPLAY:-}" ]; then
    export TWK_HEADLESS=1
    echo "No X display: running on a virtual one."
fi
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh
echo "Display: $DISPLAY   (screenshot: import -display $DISPLAY -window root shot.png)"

# The host's folder: the simulator, its Download.txt and Ignore.txt; the demo's download list points there.
# shellcheck source=tools/demo-host.sh
source tools/demo-host.sh
twk_demo_host "$DEMO" "$sim" || echo "(ﾀﾞｳﾝﾘｽﾄに追加 then needs the settings page's Download.txtの位置 set by hand)"

if [ -n "$sim" ]; then
    echo "Starting the host simulator in $DEMO/vobra_sim..."
    records=()
    [ -f "$DEMO/records.txt" ] && records=(--records '..\records.txt')
    (cd "$DEMO/vobra_sim" && "$TWK_WINE" ./vobra_sim.exe --log '..\vobra_sim.log' "${records[@]}") &
    sim_pid=$!
fi
echo "Starting Tollwick in $DEMO (press 手動で収集 to collect the simulator's results)..."
(cd "$DEMO" && "$TWK_WINE" ./Tollwick.exe)
# Tollwick has ended: so do the simulator and every other program of the demo's Wine prefix.
if [ -n "${sim_pid:-}" ]; then kill "$sim_pid" 2>/dev/null; fi
twk_wine_shutdown
