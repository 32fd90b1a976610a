#!/usr/bin/env bash
# ./run.sh's demo set-up (tools/demo-host.sh) in a fresh folder with a Japanese name: the host's folder holds the
# simulator and empty Download.txt and Ignore.txt, TWK.ini names that Download.txt, and the window's two exports
# add to those files and have the simulator read them again (the window test
# HostSimTest.TheDemoFoldersExportsGoIntoTheSimulatorsFiles, run in the folder). A second set-up keeps what the
# files and settings hold; a user's own download list is kept.
#   demo_setup_test.sh BITS UI_TESTS SIMULATOR      (CTest runs it)
set -u
bits=$1 ui_tests=$2 sim=$3
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
caller_display=${TWK_XVFB_PID:-}
export TWK_WIN_BITS=$bits
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh" >&2
# shellcheck source=tools/demo-host.sh
source "$root/tools/demo-host.sh"

failed=0
expect() {  # expect WHAT COMMAND...: the command succeeds
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}
winPath() { "$TWK_WINE" winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r\n'; }
downList() { LC_ALL=C grep -a -i '^DownList=' "$1/TWK.ini" | tr -d '\r' | iconv -f CP932 -t UTF-8; }

tmp=$(mktemp -d)
demo=$tmp/デモ
mkdir -p "$demo"
expect "the set-up runs" twk_demo_host "$demo" "$sim"
host=$demo/vobra_sim
expect "the simulator is in the host's folder" test -f "$host/$(basename "$sim")"
expect "Download.txt and Ignore.txt are there, empty" test -f "$host/Download.txt" -a ! -s "$host/Download.txt" \
    -a -f "$host/Ignore.txt" -a ! -s "$host/Ignore.txt"
expect "TWK.ini names the host's Download.txt" test "$(downList "$demo")" = "DownList=$(winPath "$host/Download.txt")"

TWK_DEMO_FOLDER="$(winPath "$demo")\\" bash "$root/tools/wine-run.sh" "$ui_tests" \
    --gtest_filter=HostSimTest.TheDemoFoldersExportsGoIntoTheSimulatorsFiles
expect "both exports add to the host's files (the window test)" test $? = 0

cp "$demo/TWK.ini" "$tmp/TWK.ini.before"
cp "$host/Download.txt" "$tmp/Download.txt.before"
expect "a second set-up runs" twk_demo_host "$demo" "$sim"
expect "it keeps TWK.ini" cmp -s "$tmp/TWK.ini.before" "$demo/TWK.ini"
expect "it keeps Download.txt" cmp -s "$tmp/Download.txt.before" "$host/Download.txt"

mine=$tmp/mine
mkdir -p "$mine"
printf '[Tollwick]\r\nAlpha=200\r\ndownlist = C:\\Vobra\\Download.txt\r\n' >"$mine/TWK.ini"
cp "$mine/TWK.ini" "$tmp/mine.ini"
expect "a set-up beside a user's own download list runs" twk_demo_host "$mine" ""
expect "it keeps the user's setting" cmp -s "$tmp/mine.ini" "$mine/TWK.ini"

rm -rf "$tmp"
if [ -z "$caller_display" ] && [ -n "${TWK_XVFB_PID:-}" ]; then twk_wine_shutdown; fi
[ "$failed" = 0 ]
