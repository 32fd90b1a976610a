#!/usr/bin/env bash
# Builds the 32-bit program in release mode and writes dist/Tollwick-<version>.zip, the download for Windows
# users: Tollwick.exe, readme.txt (Japanese, Shift_JIS, CR LF) and plugins/ (the two sample plug-ins, their C
# sources and plugins.txt). The version is the one of resources/version.h. Prints the zip's path.
#   TWK_RELEASE_BUILD   the build tree (default: build/win-release, the tree ./run.sh uses)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
BUILD=${TWK_RELEASE_BUILD:-$ROOT/build/win-release}

bash tools/install-deps.sh >/dev/null || { echo "installing the build dependencies failed" >&2; exit 1; }
source tools/build-env.sh

major=$(sed -n 's/^#define TWK_VERSION_MAJOR \([0-9]*\)$/\1/p' resources/version.h)
minor=$(sed -n 's/^#define TWK_VERSION_MINOR \([0-9]*\)$/\1/p' resources/version.h)
[ -n "$major" ] && [ -n "$minor" ] || { echo "no version in resources/version.h" >&2; exit 1; }
version=$major.$minor

mkdir -p build
log=$ROOT/build/release.build.log
if ! { cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release &&
        cmake --build "$BUILD" -j"$JOBS" --target Tollwick twk_ap_plugin twk_replace_plugin; } >"$log" 2>&1; then
    tail -30 "$log" >&2
    echo "The release build failed; the whole log is $log" >&2
    exit 1
fi

# Japanese text files as Windows users in Japan expect them: Shift_JIS, every line ended by CR LF.
to_windows_text() { iconv -f UTF-8 -t CP932 "$1" | sed 's/\r$//; s/$/\r/' >"$2"; }

stage=$ROOT/build/release-stage/Tollwick-$version
rm -rf "$stage"
mkdir -p "$stage/plugins"
i686-w64-mingw32-strip -o "$stage/Tollwick.exe" "$BUILD/ui/Tollwick.exe"
to_windows_text docs/readme.ja.txt "$stage/readme.txt"
to_windows_text docs/plugins.ja.txt "$stage/plugins/plugins.txt"
i686-w64-mingw32-strip -o "$stage/plugins/ap.dll" "$BUILD/tools/plugins/ap.dll"
i686-w64-mingw32-strip -o "$stage/plugins/Replace.dll" "$BUILD/tools/plugins/Replace.dll"
sed 's/$/\r/' tools/plugins/ap_win32.c >"$stage/plugins/ap.c"
sed 's/$/\r/' tools/plugins/replace_win32.c >"$stage/plugins/Replace.c"

# The same sources give the same zip: every file carries the time of the last commit.
stamp=$(git log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)
find "$stage" -exec touch -t "$stamp" {} +
mkdir -p dist
zip_path=$ROOT/dist/Tollwick-$version.zip
rm -f "$zip_path"
(cd "$stage" && zip -q -X -D -r "$zip_path" Tollwick.exe readme.txt plugins/plugins.txt plugins/ap.dll \
    plugins/Replace.dll plugins/ap.c plugins/Replace.c)
echo "$zip_path"
