#!/usr/bin/env bash
# The release check of ./test.sh: runs ./release.sh and checks what a Windows user gets. The zip holds exactly
# the files of a release; its Tollwick.exe is a 32-bit PE with the version information of resources/version.h;
# its manifest asks for the common controls 6, per-monitor DPI awareness v2 and Windows 7 to 11;
# readme.txt and plugins/plugins.txt are the Japanese sources in Shift_JIS with CR LF; and the program, unzipped
# into a folder with a Japanese name in a fresh Wine prefix, starts, shows its window, closes, and leaves TWK.ini
# beside itself. On a machine that cannot run 32-bit programs the 64-bit twin's exe (build/win64-release) is
# started in place of the unzipped one. Prints one line saying what failed, and exits non-zero, on failure.
set -o pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
work=$ROOT/build/release-check
fail() {
    echo "release check: $*"
    exit 1
}

zip=$(bash release.sh 2>"$ROOT/build/release.log" | tail -1) || fail "release.sh failed (build/release.log)"
[ -f "$zip" ] || fail "release.sh wrote no zip"
major=$(sed -n 's/^#define TWK_VERSION_MAJOR \([0-9]*\)$/\1/p' resources/version.h)
minor=$(sed -n 's/^#define TWK_VERSION_MINOR \([0-9]*\)$/\1/p' resources/version.h)
[ "$(basename "$zip")" = "Tollwick-$major.$minor.zip" ] || fail "the zip is named $(basename "$zip")"

expected="Tollwick.exe
plugins/Replace.c
plugins/Replace.dll
plugins/ap.c
plugins/ap.dll
plugins/plugins.txt
readme.txt"
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "the zip holds: $(echo $listed)"

rm -rf "$work"
mkdir -p "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped" || fail "the zip does not unpack"
python3 - "$work/unzipped" "$major" "$minor" <<'EOF' || exit 1
import struct, sys
import xml.etree.ElementTree as ET
folder, major, minor = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def fail(why):
    print("release check: " + why)
    sys.exit(1)
exe = open(folder + "/Tollwick.exe", "rb").read()
pe = struct.unpack_from("<I", exe, 0x3C)[0]
if exe[:2] != b"MZ" or exe[pe:pe + 4] != b"PE\0\0":
    fail("Tollwick.exe is no PE file")
machine = struct.unpack_from("<H", exe, pe + 4)[0]
magic = struct.unpack_from("<H", exe, pe + 24)[0]
if machine != 0x14C or magic != 0x10B:
    fail("Tollwick.exe is not a 32-bit program (machine 0x%x, optional header 0x%x)" % (machine, magic))
fixed = exe.find(struct.pack("<I", 0xFEEF04BD))
if fixed < 0 or struct.unpack_from("<II", exe, fixed + 8) != ((major << 16) | minor, 0):
    fail("Tollwick.exe has no version information %d.%d" % (major, minor))
for key, value in (("ProductName", "Tollwick"), ("FileVersion", "%d.%d" % (major, minor)),
                   ("FileDescription", None)):
    at = exe.find((key + "\0").encode("utf-16-le"))
    if at < 0:
        fail("the version information has no " + key)
    if value is not None and exe.find((value + "\0").encode("utf-16-le"), at) < 0:
        fail("the version information's %s is not %s" % (key, value))

# The manifest: resource type 24 (RT_MANIFEST), id 1, found through the PE's resource directory.
resources_rva = struct.unpack_from("<I", exe, pe + 24 + (96 if magic == 0x10B else 112) + 2 * 8)[0]
sections = pe + 24 + struct.unpack_from("<H", exe, pe + 20)[0]
def offset(rva):
    for i in range(struct.unpack_from("<H", exe, pe + 6)[0]):
        size, start, raw_size, raw = struct.unpack_from("<IIII", exe, sections + 40 * i + 8)
        if start <= rva < start + max(size, raw_size):
            return raw + rva - start
    fail("Tollwick.exe has nothing at 0x%x" % rva)
if not resources_rva:
    fail("Tollwick.exe has no resources")
base = offset(resources_rva)
def entries(directory):  # id (or name) -> where its subdirectory or data entry lies, for a directory's offset
    named, numbered = struct.unpack_from("<HH", exe, base + (directory & 0x7FFFFFFF) + 12)
    return dict(struct.unpack_from("<II", exe, base + (directory & 0x7FFFFFFF) + 16 + 8 * i)
                for i in range(named + numbered))
types = entries(0)
if 24 not in types:
    fail("Tollwick.exe has no manifest")
manifests = entries(types[24])
if list(manifests) != [1]:
    fail("Tollwick.exe's manifests are %s, not the one with id 1" % sorted(manifests))
data_rva, size = struct.unpack_from("<II", exe, base + next(iter(entries(manifests[1]).values())))
manifest = exe[offset(data_rva):offset(data_rva) + size]
try:
    root = ET.fromstring(manifest)
except ET.ParseError as error:
    fail("the manifest is no XML: %s" % error)
def texts(tag):
    return [(e.text or "").strip() for e in root.iter() if e.tag.split("}")[-1] == tag]
def elements(tag):
    return [e.attrib for e in root.iter() if e.tag.split("}")[-1] == tag]
if not any(a.get("name") == "Microsoft.Windows.Common-Controls" and a.get("version") == "6.0.0.0"
           for a in elements("assemblyIdentity")):
    fail("the manifest does not ask for the common controls 6")
if [t.split(",")[0].strip().lower() for t in texts("dpiAwareness")] != ["permonitorv2"] or not texts("dpiAware"):
    fail("the manifest does not ask for per-monitor DPI awareness v2: %s" % (texts("dpiAwareness") + texts("dpiAware")))
systems = {a.get("Id", "").lower() for a in elements("supportedOS")}
for system, guid in (("7", "35138b9a-5d96-4fbd-8e2d-a2440225f93a"), ("8", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38"),
                     ("8.1", "1f676c76-80e1-4239-95bb-83d0f6d0da78"), ("10", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")):
    if "{%s}" % guid not in systems:
        fail("the manifest does not name Windows %s" % system)

for shipped, source in (("readme.txt", "docs/readme.ja.txt"), ("plugins/plugins.txt", "docs/plugins.ja.txt")):
    data = open(folder + "/" + shipped, "rb").read()
    if data.replace(b"\r\n", b"").find(b"\n") >= 0 or data.replace(b"\r\n", b"").find(b"\r") >= 0:
        fail(shipped + " has line ends other than CR LF")
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError:
        fail(shipped + " is not Shift_JIS")
    if text.replace("\r\n", "\n") != open(source, encoding="utf-8").read():
        fail(shipped + " differs from " + source)
EOF

# The program the machine can run, and the helper built for the same processor.
[ -f tools/win-arch.sh ] && source tools/win-arch.sh
if [ "${TWK_WIN_BITS:-32}" = 64 ]; then
    tree=$ROOT/build/win64-release
    toolchain=$ROOT/cmake/mingw-x86_64.cmake
else
    tree=$ROOT/build/win-release
    toolchain=$ROOT/cmake/mingw-i686.cmake
fi
source tools/build-env.sh
{ cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release &&
    cmake --build "$tree" -j"$JOBS" --target Tollwick twk_release_tool; } >"$ROOT/build/release-check.build.log" 2>&1 ||
    fail "building the start helper failed (build/release-check.build.log)"

# A fresh prefix, and the program in a folder with a Japanese name on drive C:.
prefix=$ROOT/build/wineprefix-release
rm -rf "$prefix"
export TWK_WINEPREFIX=$prefix TWK_HEADLESS=1
source tools/wine-env.sh >/dev/null 2>&1
folder="$prefix/drive_c/ツール/トールウィック"
mkdir -p "$folder"
cp -r "$work/unzipped/." "$folder/"
[ "${TWK_WIN_BITS:-32}" = 64 ] && cp "$tree/ui/Tollwick.exe" "$folder/Tollwick.exe"
out=$(cd "$folder" && "${TWK_WINE:-wine}" "$tree/tools/release/twk_release_tool.exe" check \
    'C:\ツール\トールウィック\Tollwick.exe' 2>/dev/null </dev/null)
rc=$?
twk_wine_shutdown
[ $rc -eq 0 ] || fail "the unzipped program did not start and close: $(echo $out)"
[ -f "$folder/TWK.ini" ] || fail "no TWK.ini beside the program after it closed"
rm -rf "$prefix"
echo "release check: $(basename "$zip") passed (${TWK_WIN_BITS:-32}-bit run${TWK_WIN_REASON:+: $TWK_WIN_REASON})"
