#!/usr/bin/env bash
# Builds release trees and runs the benchmarks whose names match the filter (a regular expression, as
# --benchmark_filter), printing one Google Benchmark JSON document on standard output. Native benchmarks run
# directly; the Windows ones (collection, list views) run under Wine.
#   ./bench.sh                  every benchmark
#   ./bench.sh 'BM_Sort.*'      those that match
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
FILTER=${1:-.}

bash tools/install-deps.sh >&2 || exit 1
source tools/build-env.sh
mkdir -p build

build() {
    local dir=$1; shift
    { cmake -S "$ROOT" -B "$dir" "$@" && cmake --build "$dir" -j"$JOBS"; } >"$dir.build.log" 2>&1 ||
        { echo "build of $dir failed: see $dir.build.log" >&2; tail -20 "$dir.build.log" >&2; return 1; }
}

parts=()
build build/release -DCMAKE_BUILD_TYPE=Release -DTWK_BENCH=ON || exit 1
build/release/twk_bench --benchmark_format=json --benchmark_filter="$FILTER" >build/bench-native.json || exit 1
parts+=(build/bench-native.json)

if [ -f bench/win32/CMakeLists.txt ]; then
    build build/win-release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release || exit 1
    exe=$(find build/win-release -name twk_winbench.exe | head -1)
    if [ -n "$exe" ]; then
        export TWK_HEADLESS=1 TWK_WINEPREFIX="$ROOT/build/wineprefix-bench"
        # shellcheck source=tools/wine-env.sh
        source tools/wine-env.sh >&2
        (cd "$(dirname "$exe")" && wine "./$(basename "$exe")" --benchmark_filter="$FILTER") \
            2>build/bench-win.stderr | tr -d '\r' >build/bench-win.json
        twk_wine_shutdown
        parts+=(build/bench-win.json)
    fi
fi

python3 - "${parts[@]}" <<'PY'
import json, sys
merged = None
for path in sys.argv[1:]:
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    except (OSError, ValueError) as e:
        print(f"bench.sh: could not read {path}: {e}", file=sys.stderr)
        continue
    if merged is None:
        merged = doc
    else:
        merged.setdefault("benchmarks", []).extend(doc.get("benchmarks", []))
print(json.dumps(merged or {"benchmarks": []}, indent=2, ensure_ascii=False))
PY
