#!/usr/bin/env bash
# Runs a Windows program under the project's Wine environment (used by CTest as the cross-compiling emulator).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" >&2
exec wine "$@"
