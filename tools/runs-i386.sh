#!/usr/bin/env bash
# Exits 0 when this machine executes 32-bit x86 programs, 1 when it does not. Some kernels run 64-bit programs
# only ("Exec format error"); nothing short of starting one tells, so this starts the smallest one there is: an
# i386 ELF file of 93 bytes whose code is exit(0) (mov eax,1; xor ebx,ebx; int 0x80). It is written into the
# build folder, which must be executable anyway, rather than into /tmp, which may be mounted noexec.
#   TWK_WIN_FORCE=64   answer "no" (to try the path of a machine that cannot run 32-bit programs)
set -u
[ "${TWK_WIN_FORCE:-}" = 64 ] && exit 1
[ "$(uname -m)" = x86_64 ] || [ "$(uname -m)" = i686 ] || [ "$(uname -m)" = i386 ] || exit 1
dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build"
mkdir -p "$dir" || exit 1
probe=$(mktemp "$dir/.runs-i386.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
# ELF header (52 bytes), one loadable segment (32 bytes) mapping the file at 0x08048000, then the code at 0x54.
printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0\0\0\0\0\064\0\040\0\1\0'`
      `'\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010\135\0\0\0\135\0\0\0\5\0\0\0\0\020\0\0'`
      `'\270\1\0\0\0\061\333\315\200' >"$probe" && chmod +x "$probe" || exit 1
"$probe" >/dev/null 2>&1 </dev/null || exit 1
exit 0
