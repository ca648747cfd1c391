#!/bin/sh
# Draws the program icon: a rounded square holding a 10 x 10 grid of tiles,
# half of them already turned from the cool blue cover to the warm source
# colour, with the front running diagonally from bottom-left to top-right.
#
# The design lives on a 32-unit grid; each size is drawn at an integer scale
# of it, so the 32 px icon stays pixel-exact and the 128 px one matches it.
#
# Usage: make_icon.sh [output-dir]   (default: ../resources next to this script)
# Needs ImageMagick's `convert`.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../resources}
mkdir -p "$out"

FRAME='#1f2b47'
COVER_A='#3372c8'   # cover tiles, checkered in two shades
COVER_B='#4687da'
SOURCE_A='#e4502c'  # revealed tiles
SOURCE_B='#f2773a'
FRONT=10            # tiles with row + column < FRONT are revealed

# tile_draws SCALE: ImageMagick draw primitives for the 100 tiles
tile_draws() {
    s=$1
    r=0
    while [ $r -lt 10 ]; do
        c=0
        while [ $c -lt 10 ]; do
            if [ $((r + c)) -lt $FRONT ]; then
                if [ $(((r + c) % 2)) -eq 0 ]; then col=$SOURCE_A; else col=$SOURCE_B; fi
            else
                if [ $(((r + c) % 2)) -eq 0 ]; then col=$COVER_A; else col=$COVER_B; fi
            fi
            x0=$((s * (1 + 3 * c))); y0=$((s * (1 + 3 * r)))
            x1=$((x0 + 3 * s - 1)); y1=$((y0 + 3 * s - 1))
            printf "fill '%s' rectangle %d,%d %d,%d " "$col" $x0 $y0 $x1 $y1
            c=$((c + 1))
        done
        r=$((r + 1))
    done
}

# render SCALE AA OUTFILE: AA is -antialias (smooth) or +antialias (crisp)
render() {
    s=$1; aa=$2; file=$3
    n=$((32 * s)); e=$((n - 1))
    convert -size ${n}x${n} xc:none $aa \
        -fill "$FRAME" -draw "roundrectangle 0,0 $e,$e $((6 * s)),$((6 * s))" \
        \( -size ${n}x${n} xc:none $aa -draw "$(tile_draws $s)" \
           \( -size ${n}x${n} xc:none $aa -fill white \
              -draw "roundrectangle $s,$s $((e - s)),$((e - s)) $((5 * s)),$((5 * s))" \) \
           -compose DstIn -composite \) \
        -compose Over -composite \
        -depth 8 -strip "$file"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

render 1 +antialias "$tmp/icon32.png"
convert "$tmp/icon32.png" -strip PNG8:"$out/icon.png"
render 4 -antialias "$out/icon-128.png"
