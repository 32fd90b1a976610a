#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every suite:
#   native (Debug), native under AddressSanitizer + UndefinedBehaviorSanitizer, the file tests under
#   ThreadSanitizer (large list files are split on a second thread), the 32-bit Windows build under
#   Wine (headless), its window, settings, file and host tests again under a US English locale (ANSI code page
#   1252, a Wine prefix of its own), each fuzzer for a bounded time, and the release zip (./release.sh) with
#   its program started from it.
# Ends with one line "N passed, N failed" over all suites; exits non-zero when anything failed.
#   TWK_FUZZ_SECONDS  seconds per fuzzer (default 30)
#   TWK_SKIP          space-separated suites to leave out: native asan tsan win win-en_US fuzz release
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
FUZZ_SECONDS=${TWK_FUZZ_SECONDS:-30}
SKIP=" ${TWK_SKIP:-} "

bash tools/install-deps.sh || { echo "installing the build dependencies failed"; echo "0 passed, 1 failed"; exit 1; }
source tools/build-env.sh

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
        echo "   no tests found in $name"
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

if [[ $SKIP != *" win "* ]]; then
    echo "== win: building (i686-w64-mingw32)"
    if configure_build build/win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Debug; then
        export TWK_HEADLESS=1
        # shellcheck source=tools/wine-env.sh
        source tools/wine-env.sh
        run_ctest win build/win -j1
        twk_wine_shutdown
        if [[ $SKIP != *" win-en_US "* ]]; then
            # The same program on a system whose ANSI code page is not 932: the rows, titles, messages and files
            # must come out as under Japanese. The tests check that the code page really changed.
            echo "== win-en_US: Wine with LC_ALL=en_US.UTF-8"
            TWK_LC_ALL=en_US.UTF-8 TWK_WINEPREFIX="$ROOT/build/wineprefix-en_US" source tools/wine-env.sh
            run_ctest win-en_US build/win -j1 -L "^(ui|settings|formats|host)$"
            twk_wine_shutdown
            export LC_ALL=ja_JP.UTF-8 WINEPREFIX="$ROOT/build/wineprefix"
        fi
    else
        note_fail "win build"
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
