#!/usr/bin/env bash
# Runs a Windows program under the project's Wine environment (used by CTest as the cross-compiling emulator).
# The program's output goes through files, not straight into the caller's pipes: Wine's helper processes (the
# desktop, services) outlive the program and would otherwise hold the caller's pipe open after it has exited.
caller_display=${TWK_XVFB_PID:-}
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" >&2
out=$(mktemp)
err=$(mktemp)
"$TWK_WINE" "$@" >"$out" 2>"$err" </dev/null
rc=$?
# Wine now and then fails to start a program: it ends at once with a failure code and writes nothing (seen once
# in a few thousand starts here). Every test program writes before it tests anything, so a failure without a
# byte of output is such a start and is tried once more; a program that ran is never run again.
if [ $rc -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
    echo "wine-run.sh: $1 ended with $rc before it wrote anything; starting it once more" >&2
    "$TWK_WINE" "$@" >"$out" 2>"$err" </dev/null
    rc=$?
fi
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
# A virtual display started for this one program (run outside ./test.sh, say by ctest alone) goes with it.
if [ -z "$caller_display" ] && [ -n "${TWK_XVFB_PID:-}" ]; then twk_wine_shutdown; fi
exit $rc
