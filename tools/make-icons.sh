#!/usr/bin/env bash
# Makes resources/icons/*.ico again from the program's artwork, drawn here with ImageMagick: each icon in the
# sizes the system asks for at 100 % to 200 % scaling (16, 20, 24, 32 and 48 pixels), and the program's own icon
# also at 256 (a PNG-compressed entry, for Explorer's large views). The shapes are written in the 32-pixel grid of
# the original artwork; straight edges are put on whole pixels at every size, so the small sizes stay sharp, and
# each size is drawn 8 times larger and reduced, which smooths the slanted and round edges.
#   tools/make-icons.sh [OUT_FOLDER]     (default: resources/icons)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=${1:-resources/icons}
command -v convert >/dev/null || { echo "make-icons: ImageMagick's convert is needed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

SIZES="16 20 24 32 48"
K=8  # drawing scale

# Coordinates in the 32-pixel grid, for the size being drawn ($s, canvas $S = $s * $K):
#   e V    an edge on a whole pixel: V / 32 of the size, rounded, on the large canvas
#   last V the last canvas pixel before the edge V (ImageMagick's rectangles include both corners)
#   h V    a free point (corners of slanted shapes) at V / 2 of the grid, not rounded
e() { echo $(((($1 * s * 2 + 32) / 64) * K)); }
last() { echo $(($(e "$1") - 1)); }
h() { echo $(($1 * S / 64)); }

# The shapes of each icon: ImageMagick options added to the array `opts` for one size.
rect() { opts+=(-draw "rectangle $(e "$1"),$(e "$2") $(last "$3"),$(last "$4")"); }
draw_close() {  # a dark cross
    opts+=(-stroke '#202020' -strokewidth $((S * 9 / 64)))
    opts+=(-draw "stroke-linecap round line $(h 18),$(h 18) $(h 46),$(h 46)")
    opts+=(-draw "stroke-linecap round line $(h 46),$(h 18) $(h 18),$(h 46)")
}
badge() {  # $1: colour; $2: inset. A rounded square with a white T.
    local a=$2 b=$((32 - $2)) r=$((S * (6 - $2 / 2) / 32))
    opts+=(-fill "$1" -draw "roundrectangle $(e "$a"),$(e "$a") $(last "$b"),$(last "$b") $r,$r" -fill white)
    rect 7 7 25 12
    rect 14 12 18 26
}
draw_main() { badge '#2060D0' 1; }
draw_tray_idle() { badge '#2060D0' 2; }
draw_tray_collecting() { badge '#D04020' 2; }
draw_next_mark() { opts+=(-fill '#1050C0' -draw "polygon $(h 12),$(h 20) $(h 54),$(h 20) $(h 33),$(h 50)"); }
draw_prev_mark() { opts+=(-fill '#1050C0' -draw "polygon $(h 12),$(h 46) $(h 54),$(h 46) $(h 33),$(h 16)"); }
frame() {  # X0 Y0 X1 Y1: a white pane with a dark border, one pixel per 32 of the size
    local b=$(((s > 63 ? s / 32 : 1) * K))
    opts+=(-fill '#303030')
    rect "$@"
    opts+=(-fill white -draw "rectangle $(($(e "$1") + b)),$(($(e "$2") + b)) $(($(last "$3") - b)),$(($(last "$4") - b))")
}
draw_side_by_side() { frame 3 5 15 27; frame 17 5 29 27; }
draw_stacked() { frame 4 3 28 15; frame 4 17 28 29; }

# make NAME [EXTRA SIZES]: writes OUT/NAME.ico.
make() {
    local name=$1 images=() s S
    for s in $SIZES ${2:-}; do
        S=$((s * K))
        opts=()
        "draw_$name"
        convert -size ${S}x${S} xc:none +antialias "${opts[@]}" -filter box -resize ${s}x${s} \
            "PNG32:$work/$name-$s.png"
        images+=("$work/$name-$s.png")
    done
    convert "${images[@]}" "$out/$name.ico"
}

make main 256
for icon in close next_mark prev_mark side_by_side stacked tray_idle tray_collecting; do make "$icon"; done
echo "make-icons: wrote $(ls "$out"/*.ico | wc -l) icons to $out"
