#!/usr/bin/env bash
# Source this file: decides, once and the same way for the tests, the demo and the benchmarks, which Windows
# build this machine runs. The product is the 32-bit Tollwick.exe; some machines cannot execute 32-bit code at
# all (their kernel runs 64-bit programs only), and there the same sources run as the 64-bit twin.
# Sets:
#   TWK_WIN_CAN32, TWK_WIN_CAN64   1 when this machine runs 32-bit / 64-bit Windows programs under Wine, else 0
#   TWK_WIN_BITS                   32 when it runs 32-bit programs, 64 when only the twin runs, empty when neither
#   TWK_WIN_CHOICE                 the choice in words, for the scripts to print
# TWK_WIN_FORCE=64 makes the scripts behave as on a machine that cannot run 32-bit programs (to try that path).
_twk_probe() { [ -x "$1" ] && "$1" --version >/dev/null 2>&1 </dev/null; }

TWK_WIN_CAN32=0
TWK_WIN_CAN64=0
# The same probe of the kernel as the install's (which installs the 32-bit loader only where it passes), then the
# loaders themselves, the real ELF programs: Debian's wine wrapper would pick the 32-bit one even where the kernel
# refuses to execute it ("Exec format error", exit status 126).
if bash "$(dirname "${BASH_SOURCE[0]}")/runs-i386.sh" && _twk_probe /usr/lib/wine/wine; then TWK_WIN_CAN32=1; fi
if _twk_probe /usr/lib/wine/wine64; then TWK_WIN_CAN64=1; fi

if [ "$TWK_WIN_CAN32" = 1 ]; then
    TWK_WIN_BITS=32
    TWK_WIN_CHOICE="32-bit product"
elif [ "$TWK_WIN_CAN64" = 1 ]; then
    TWK_WIN_BITS=64
    if [ "${TWK_WIN_FORCE:-}" = 64 ]; then
        TWK_WIN_CHOICE="64-bit twin: TWK_WIN_FORCE=64"
    else
        TWK_WIN_CHOICE="64-bit twin: this machine cannot run 32-bit programs"
    fi
else
    TWK_WIN_BITS=""
    TWK_WIN_CHOICE="none: Wine runs neither 32-bit nor 64-bit programs here"
fi
export TWK_WIN_CAN32 TWK_WIN_CAN64 TWK_WIN_BITS TWK_WIN_CHOICE

# twk_win_toolchain BITS: the CMake toolchain file of that build. twk_win_tree BITS NAME: its build folder
# (build/win-release for the 32-bit product, build/win64-release for the twin).
twk_win_toolchain() {
    if [ "$1" = 64 ]; then echo "$_twk_arch_root/cmake/mingw-x86_64.cmake"; else echo "$_twk_arch_root/cmake/mingw-i686.cmake"; fi
}
twk_win_tree() { if [ "$1" = 64 ]; then echo "build/${2/#win/win64}"; else echo "build/$2"; fi; }
_twk_arch_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
