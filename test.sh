#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every suite:
#   native (Debug), native under AddressSanitizer + UndefinedBehaviorSanitizer, the file tests under
#   ThreadSanitizer (large list files are split on a second thread), the 32-bit Windows build under
#   Wine (headless), its window, settings, file and host tests again under a US English locale (ANSI code page
#   1252, a Wine prefix of its own), the 64-bit twin's suite where this machine runs both kinds of program, and
#   each fuzzer for a bounded time, and the release zip (./release.sh) with its program started from it. On a
#   machine that cannot run 32-bit programs the twin runs in place of the 32-bit suites.
# Ends with one line "N passed, N failed" over all suites; exits non-zero when anything failed.
#   TWK_FUZZ_SECONDS  seconds per fuzzer (default 30)
#   TWK_SKIP          space-separated suites to leave out: native asan tsan win win-dpi win-en_US win64 fuzz release
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
FUZZ_SECONDS=${TWK_FUZZ_SECONDS:-30}
SKIP=" ${TWK_SKIP:-} "

bash tools/install-deps.sh || { echo "installing the build dependencies failed"; echo "0 passed, 1 failed"; exit 1; }
source tools/build-env.sh
twk_restart_for_locales "$ROOT/$(basename "${BASH_SOURCE[0]}")" "$@"

passed=0
failed=0
failures=()

note_fail() { failed=$((failed + ${2:-1})); failures+=("$1"); }

# configure_build DIR [cmake args...]: configures and builds one tree (only target $TWK_TARGET when set);
# returns non-zero on failure.
configure_build() {
    local dir=$1; shift
    local log="$ROOT/build/$(basename "$dir").build.log"
    mkdir -p "$ROOT/build"
    if ! { cmake -S "$ROOT" -B "$dir" "$@" &&
        cmake --build "$dir" -j"$JOBS" ${TWK_TARGET:+--target "$TWK_TARGET"}; } >"$log" 2>&1; then
        echo "---- build of $dir failed (log: $log) ----"
        grep -E "error|Error" "$log" | head -40
        return 1
    fi
    if grep -q "warning:" "$log"; then
        echo "---- warnings in $dir ----"
        grep "warning:" "$log" | sort -u | head -20
    fi
    return 0
}

# run_ctest NAME DIR [ctest args...]: runs a suite and adds its counts.
run_ctest() {
    local name=$1 dir=$2; shift 2
    local log="$ROOT/build/$name.ctest.log"
    echo "== $name: running tests"
    ${TWK_CTEST_WRAP:-} ctest --test-dir "$dir" --output-on-failure "$@" >"$log" 2>&1
    local rc=$?
    local line total bad
    line=$(grep -E "tests? passed, [0-9]+ tests? failed out of [0-9]+" "$log" | tail -1)
    if [ -n "$line" ]; then
        bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + total - bad))
        echo "   $line"
        if [ "$bad" -gt 0 ]; then
            note_fail "$name" "$bad"
            grep -E "^\s+[0-9]+ - .*(Failed|Timeout|Exception|Not Run)" "$log" | head -30
        fi
    elif [ $rc -ne 0 ]; then
        note_fail "$name"
        tail -30 "$log"
    else
        # A suite that ran nothing has not passed.
        note_fail "$name"
        echo "   $name ran no test"
    fi
    if [ $rc -ne 0 ] && [ -n "$line" ] && [ "${bad:-0}" = 0 ]; then note_fail "$name"; fi
}

if [[ $SKIP != *" native "* ]]; then
    echo "== native: building"
    if configure_build build/native -DCMAKE_BUILD_TYPE=Debug; then
        run_ctest native build/native -j"$JOBS"
    else
        note_fail "native build"
    fi
fi

if [[ $SKIP != *" asan "* ]]; then
    echo "== asan: building"
    if configure_build build/asan -DCMAKE_BUILD_TYPE=Debug -DTWK_SANITIZE=ON; then
        ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
        UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
            run_ctest asan build/asan -j"$JOBS"
    else
        note_fail "asan build"
    fi
fi

if [[ $SKIP != *" tsan "* ]]; then
    echo "== tsan: building the file tests"
    if TWK_TARGET=twk_formats_tests configure_build build/tsan -DCMAKE_BUILD_TYPE=Debug -DTWK_SANITIZE_THREAD=ON; then
        # Without address randomisation: the sanitizer's fixed memory layout does not fit every kernel's.
        TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} \
            TWK_CTEST_WRAP="setarch $(uname -m) -R" run_ctest tsan build/tsan -j"$JOBS" -L "^formats$"
    else
        note_fail "tsan build"
    fi
fi

# Windows: the 32-bit product is always built (building runs nothing), and so is its 64-bit twin, the same
# sources for x86-64. The suites run the product where this machine runs 32-bit programs, else the twin; where it
# runs both, the twin's Japanese suite runs as well, so that the twin cannot rot.
# shellcheck source=tools/win-arch.sh
source tools/win-arch.sh
declare -A win_built=()
# build_win BITS: builds build/win (32) or build/win64 (64) once; returns non-zero when that failed.
build_win() {
    local bits=$1 tree
    tree=$(twk_win_tree "$bits" win)
    if [ -z "${win_built[$bits]:-}" ]; then
        if [ "$bits" = 64 ]; then echo "== $(basename "$tree"): building the 64-bit twin (x86_64-w64-mingw32)"
        else echo "== $(basename "$tree"): building the 32-bit product (i686-w64-mingw32)"; fi
        if configure_build "$tree" -DCMAKE_TOOLCHAIN_FILE="$(twk_win_toolchain "$bits")" -DCMAKE_BUILD_TYPE=Debug
        then win_built[$bits]=ok; else win_built[$bits]=failed; note_fail "$(basename "$tree") build"; fi
    fi
    [ "${win_built[$bits]}" = ok ]
}
# win_suite NAME BITS LOCALE PREFIX [ctest args...]: one Windows suite under Wine, in a prefix of its own. The
# programs are told what the suite claims (bitness, locale) and fail when they are something else.
win_suite() {
    local name=$1 bits=$2 locale=$3 prefix=$4 tree what; shift 4
    tree=$(twk_win_tree "$bits" win)
    if [ "$bits" = 32 ]; then what="32-bit product"; else what=$TWK_WIN_CHOICE; fi
    [ "$name" = win64 ] && what="64-bit twin, run beside the 32-bit product"
    echo "== $name ($what; LC_ALL=$locale)"
    build_win "$bits" || return 0
    export TWK_HEADLESS=1 TWK_WIN_BITS=$bits TWK_LC_ALL=$locale TWK_WINEPREFIX=$prefix
    export TWK_SUITE_BITS=$bits TWK_SUITE_LOCALE=$locale
    # shellcheck source=tools/wine-env.sh
    source tools/wine-env.sh
    # Wine now and then hangs a program before it has done anything: a test that times out runs once more.
    run_ctest "$name" "$tree" -j1 --repeat after-timeout:2 "$@"
    twk_wine_shutdown
    unset TWK_SUITE_BITS TWK_SUITE_LOCALE TWK_LC_ALL TWK_WINEPREFIX
}
# The window's layout at the display scalings users run: its tests in one prefix whose DPI is set before each
# run, and then the settings files the runs wrote compared byte for byte (sizes are stored in 96-DPI units).
dpi_values=(96 120 144 192)
win_dpi_suite() {
    local bits=$1 prefix=$2 tree dpi dir
    tree=$(twk_win_tree "$bits" win)
    echo "== win-dpi (${dpi_values[*]} DPI; LC_ALL=ja_JP.UTF-8)"
    build_win "$bits" || return 0
    dir=$ROOT/build/dpi-roundtrip
    rm -rf "$dir" && mkdir -p "$dir"
    for dpi in "${dpi_values[@]}"; do
        export TWK_HEADLESS=1 TWK_WIN_BITS=$bits TWK_LC_ALL=ja_JP.UTF-8 TWK_WINEPREFIX=$prefix TWK_DPI=$dpi
        export TWK_SUITE_BITS=$bits TWK_SUITE_LOCALE=ja_JP.UTF-8 TWK_EXPECT_DPI=$dpi TWK_DPI_ROUNDTRIP_DIR="Z:$dir"
        # shellcheck source=tools/wine-env.sh
        source tools/wine-env.sh
        run_ctest "win-dpi-$dpi" "$tree" -j1 --repeat after-timeout:2 -R '^(DpiLayoutTest\.|CommandsTest\.JumpToAMark)'
        twk_wine_shutdown
    done
    unset TWK_SUITE_BITS TWK_SUITE_LOCALE TWK_LC_ALL TWK_WINEPREFIX TWK_DPI TWK_EXPECT_DPI TWK_DPI_ROUNDTRIP_DIR
    for dpi in "${dpi_values[@]:1}"; do
        if cmp -s "$dir/TWK-96.ini" "$dir/TWK-$dpi.ini"; then
            passed=$((passed + 1))
        else
            echo "   TWK.ini written at $dpi DPI differs from the one written at 96 DPI (or is missing): $dir"
            note_fail "win-dpi-$dpi round trip"
        fi
    done
}
# The window, settings, file and host tests again on a system whose ANSI code page is not 932: the rows, titles,
# messages and files must come out as under Japanese.
en_us_labels=(-L "^(ui|settings|formats|host)$")
if [[ $SKIP != *" win "* ]]; then
    build_win 32 || true
    build_win 64 || true
    if [ -z "$TWK_WIN_BITS" ]; then
        echo "== win: cannot run ($TWK_WIN_CHOICE)"
        note_fail "win (Wine runs no Windows program here)"
        [[ $SKIP != *" win-en_US "* ]] && note_fail "win-en_US (Wine runs no Windows program here)"
    else
        bits=$TWK_WIN_BITS
        base=$ROOT/build/wineprefix; [ "$bits" = 64 ] && base=$ROOT/build/wineprefix64
        win_suite win "$bits" ja_JP.UTF-8 "$base"
        [[ $SKIP != *" win-dpi "* ]] && win_dpi_suite "$bits" "$base-dpi"
        if [[ $SKIP != *" win-en_US "* ]]; then
            win_suite win-en_US "$bits" en_US.UTF-8 "$base-en_US" "${en_us_labels[@]}"
        fi
        if [ "$bits" = 32 ] && [[ $SKIP != *" win64 "* ]]; then
            if [ "$TWK_WIN_CAN64" = 1 ]; then
                win_suite win64 64 ja_JP.UTF-8 "$ROOT/build/wineprefix64"
            else
                echo "== win64: cannot run (Wine runs no 64-bit program here)"
                note_fail "win64 (Wine runs no 64-bit program here)"
            fi
        fi
    fi
fi

if [[ $SKIP != *" fuzz "* ]] && ls fuzz/*_fuzz.cpp >/dev/null 2>&1; then
    echo "== fuzz: building (clang, libFuzzer)"
    if CC=clang CXX=clang++ configure_build build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTWK_FUZZ=ON; then
        for src in fuzz/*_fuzz.cpp; do
            name=$(basename "$src" .cpp)
            exe=build/fuzz/$name
            seeds=fuzz/corpus/${name%_fuzz}
            work=build/fuzz/corpus-$name
            mkdir -p "$work"
            [ -d "$seeds" ] || seeds=""
            if "$exe" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
                "$work" $seeds >"build/fuzz/$name.log" 2>&1; then
                passed=$((passed + 1))
                echo "   $name: clean for ${FUZZ_SECONDS}s"
            else
                note_fail "$name"
                echo "   $name: FINDING (log: build/fuzz/$name.log)"
                grep -E "ERROR|SUMMARY|==[0-9]+==" "build/fuzz/$name.log" | head -15
            fi
        done
    else
        note_fail "fuzz build"
    fi
fi

# ---- release: the zip of ./release.sh, its contents, and the unzipped program started in a fresh Wine prefix
# from a Japanese folder name (tools/release-check.sh). One check; its one line says what failed.
if [[ $SKIP != *" release "* ]]; then
    echo "== release: building and checking the zip"
    if release_line=$(bash tools/release-check.sh); then
        passed=$((passed + 1))
    else
        note_fail "release"
    fi
    echo "   $release_line"
fi
# ---- end of release

if [ ${#failures[@]} -gt 0 ]; then echo "Failed: ${failures[*]}"; fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
