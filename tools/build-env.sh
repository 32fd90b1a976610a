#!/usr/bin/env bash
# Source this file: what every build of the project shares. Compiles go through ccache when it is there, with
# paths taken relative to the checkout, so that another clone or work tree of the same sources reuses them.
_twk_build_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS=$(nproc 2>/dev/null || echo 2)
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_BASEDIR="$_twk_build_root" CCACHE_NOHASHDIR=1
    export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
fi
