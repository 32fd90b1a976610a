#!/usr/bin/env bash
# Builds release trees and runs the benchmarks whose names match the filter (a regular expression, as
# --benchmark_filter), printing one Google Benchmark JSON document on standard output. Native benchmarks run
# directly; the Windows ones (collection, list views) run under Wine.
#   ./bench.sh                  every benchmark
#   ./bench.sh 'BM_Sort.*'      those that match
#   ./bench.sh -BM_UiEndurance  all but those that match
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
FILTER=${1:-.}

bash tools/install-deps.sh >&2 || exit 1
source tools/build-env.sh
twk_restart_for_locales "$ROOT/$(basename "${BASH_SOURCE[0]}")" "$@"
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

# The Windows benchmarks run in the 32-bit product's build where this machine runs 32-bit programs, else in the
# 64-bit twin's; the JSON says which (context "windows_build", and "windows_bits" on each of them).
# shellcheck source=tools/win-arch.sh
source tools/win-arch.sh
if [ -f bench/win32/CMakeLists.txt ]; then
    if [ -z "$TWK_WIN_BITS" ]; then
        echo "bench.sh: Wine runs no Windows program here: the Windows benchmarks cannot run" >&2
        exit 1
    fi
    echo "Windows benchmarks: $TWK_WIN_CHOICE" >&2
    tree=$(twk_win_tree "$TWK_WIN_BITS" win-release)
    build "$tree" -DCMAKE_TOOLCHAIN_FILE="$(twk_win_toolchain "$TWK_WIN_BITS")" -DCMAKE_BUILD_TYPE=Release || exit 1
    exe=$(find "$tree" -name twk_winbench.exe | head -1)
    if [ -n "$exe" ]; then
        bench_prefix=$ROOT/build/wineprefix-bench
        [ "$TWK_WIN_BITS" = 64 ] && bench_prefix=$ROOT/build/wineprefix64-bench
        export TWK_HEADLESS=1 TWK_WINEPREFIX="$bench_prefix"
        # shellcheck source=tools/wine-env.sh
        source tools/wine-env.sh >&2
        (cd "$(dirname "$exe")" && "$TWK_WINE" "./$(basename "$exe")" --benchmark_filter="$FILTER") \
            2>build/bench-win.stderr | tr -d '\r' >build/bench-win.json
        twk_wine_shutdown
        parts+=(build/bench-win.json)
    fi
fi

TWK_WIN_CHOICE=$TWK_WIN_CHOICE TWK_WIN_BITS=$TWK_WIN_BITS python3 - "${parts[@]}" <<'PY'
import json, os, sys
merged = None
for path in sys.argv[1:]:
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    except (OSError, ValueError) as e:
        print(f"bench.sh: could not read {path}: {e}", file=sys.stderr)
        continue
    if path.endswith("bench-win.json"):
        bits = int(os.environ.get("TWK_WIN_BITS") or 0)
        for b in doc.get("benchmarks", []):
            b["windows_bits"] = bits
    if merged is None:
        merged = doc
    else:
        merged.setdefault("benchmarks", []).extend(doc.get("benchmarks", []))
merged = merged or {"benchmarks": []}
merged.setdefault("context", {})["windows_build"] = os.environ.get("TWK_WIN_CHOICE", "")
print(json.dumps(merged, indent=2, ensure_ascii=False))
# A benchmark that found a wrong result (SkipWithError) fails the run.
failed = [b["name"] for b in merged["benchmarks"] if b.get("error_occurred")]
for name in failed:
    print(f"bench.sh: {name} failed its check", file=sys.stderr)
sys.exit(1 if failed else 0)
PY
