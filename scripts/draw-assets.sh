#!/usr/bin/env bash
# Draws the program's pictures into assets/ (needs ImageMagick 6). The results are kept in
# the repository; run this again only after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")/../assets"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
FONT_R=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
# The version the about box shows, from the number the program's files carry (1150 is 1.15).
VERSION=$(sed -n 's/.*program_version = \([0-9]*\);.*/\1/p' ../src/core/document/unit.h |
  awk '{ printf($1 % 10 ? "%.3f" : "%.2f", $1 / 1000) }')
[[ -n $VERSION ]] || { echo "no program_version in src/core/document/unit.h" >&2; exit 1; }

# An open arc as short lines (ImageMagick closes its own arcs and polylines with a chord).
arc() {
  awk -v cx="$1" -v cy="$2" -v r="$3" -v a="$4" -v b="$5" 'BEGIN {
    k = 3.14159265 / 180; px = cx + r * cos(a * k); py = cy + r * sin(a * k)
    for (t = a + 3; t <= b + 0.01; t += 3) {
      x = cx + r * cos(t * k); y = cy + r * sin(t * k)
      printf "line %.1f,%.1f %.1f,%.1f ", px, py, x, y; px = x; py = y }
  }'
}
# A tool-bar icon: drawn on a 96 x 96 canvas, shrunk to 24 x 24 for smooth edges.
icon() {
  local name=$1; shift
  convert -size 96x96 xc:none -strokewidth 5 "$@" -resize 24x24 "icons/$name.png"
}
icon new -fill white -stroke '#505a6a' -draw 'polygon 20,8 58,8 76,26 76,88 20,88' \
  -fill '#dfe6f0' -draw 'polygon 58,8 58,26 76,26' \
  -stroke none -fill '#f0b400' -draw 'circle 70,72 70,56'
icon open -stroke '#8a6500' -fill '#f5c542' -draw 'polygon 8,22 34,22 42,30 86,30 86,82 8,82' \
  -fill '#ffd966' -draw 'polygon 8,82 22,44 94,44 86,82'
icon save -stroke '#1f3f7a' -fill '#3d6cc2' -draw 'roundrectangle 10,10 86,86 6,6' \
  -fill white -stroke none -draw 'rectangle 24,14 72,40' \
  -fill '#1f3f7a' -draw 'rectangle 28,58 68,86' -fill '#9fb7e0' -draw 'rectangle 56,18 64,36'
icon print -stroke '#444' -fill white -draw 'rectangle 26,8 70,36' \
  -fill '#8a8f98' -draw 'roundrectangle 8,34 88,70 6,6' \
  -fill white -draw 'rectangle 26,56 70,90' -stroke '#999' -strokewidth 3 \
  -draw 'line 34,68 62,68' -draw 'line 34,78 62,78'
icon cut -stroke '#333' -fill none -strokewidth 7 -draw 'line 30,10 62,62' -draw 'line 66,10 34,62' \
  -stroke '#c0392b' -draw 'circle 28,74 28,62' -draw 'circle 68,74 68,62'
icon copy -fill white -stroke '#505a6a' -draw 'rectangle 12,8 56,64' -draw 'rectangle 38,30 84,88' \
  -stroke '#9aa5b5' -strokewidth 4 -draw 'line 48,46 74,46' -draw 'line 48,58 74,58' -draw 'line 48,70 74,70'
icon paste -stroke '#6b4a1e' -fill '#b88a4a' -draw 'roundrectangle 14,14 70,88 6,6' \
  -fill '#d8d8d8' -stroke '#555' -draw 'rectangle 30,6 54,20' \
  -fill white -stroke '#505a6a' -draw 'rectangle 42,38 86,90'
icon const -stroke '#1e7a3a' -fill '#e6f5ea' -draw 'roundrectangle 8,8 88,88 10,10' \
  -stroke '#1e7a3a' -strokewidth 12 -draw 'line 48,24 48,72' -draw 'line 24,48 72,48'
icon rate -stroke '#7a3a1e' -fill '#fbeee6' -draw 'roundrectangle 8,8 88,88 10,10' \
  -stroke '#a0461e' -strokewidth 12 -draw 'line 28,28 68,68' -draw 'line 68,28 28,68'
icon trim -stroke '#33507a' -fill '#e6eefb' -draw 'roundrectangle 8,8 88,88 10,10' \
  -stroke '#2d5aa0' -strokewidth 8 -draw 'line 18,74 78,22' \
  -stroke none -fill '#2d5aa0' -draw 'circle 18,74 18,66' -draw 'circle 48,48 48,40' -draw 'circle 78,22 78,14'
icon param -stroke '#555' -strokewidth 6 -draw 'line 12,24 84,24' -draw 'line 12,48 84,48' -draw 'line 12,72 84,72' \
  -fill '#f0b400' -stroke '#8a6500' -draw 'roundrectangle 54,14 66,34 3,3' \
  -draw 'roundrectangle 24,38 36,58 3,3' -draw 'roundrectangle 62,62 74,82 3,3'
icon graph -stroke '#444' -fill white -draw 'rectangle 8,8 88,88' \
  -stroke '#c0392b' -strokewidth 7 -fill none -draw 'polyline 14,76 34,50 52,60 82,18' \
  -stroke '#bbb' -strokewidth 3 -draw 'line 8,48 88,48' -draw 'line 48,8 48,88'
icon read -stroke '#333' -fill '#d0d5dd' -draw 'roundrectangle 10,60 86,88 6,6' \
  -stroke none -fill '#1e8a3a' -draw 'polygon 36,6 60,6 60,30 76,30 48,58 20,30 36,30'
icon write -stroke '#333' -fill '#d0d5dd' -draw 'roundrectangle 10,60 86,88 6,6' \
  -stroke none -fill '#c0392b' -draw 'polygon 36,56 60,56 60,32 76,32 48,4 20,32 36,32'
icon link -fill none -stroke '#1f5fbf' -strokewidth 10 -draw 'roundrectangle 6,30 56,66 18,18' \
  -stroke '#3d8be0' -draw 'roundrectangle 40,30 90,66 18,18'
icon monitor -stroke '#333' -fill '#20252c' -draw 'circle 48,52 48,10' \
  -stroke '#40c060' -strokewidth 6 -fill none -draw "$(arc 48 52 32 160 380)" \
  -stroke '#ff5030' -strokewidth 7 -draw 'line 48,52 72,28' -stroke none -fill white -draw 'circle 48,52 48,46'
icon trace -stroke none -fill '#b8f0c0' -draw 'circle 20,72 20,64' -fill '#70e080' -draw 'circle 38,56 38,47' \
  -fill '#30c050' -draw 'circle 58,42 58,32' -fill '#0a8a2a' -draw 'circle 78,24 78,12'
icon cursortrace -fill none -stroke '#333' -strokewidth 5 -draw 'rectangle 10,10 86,86' \
  -draw 'line 48,10 48,86' -draw 'line 10,48 86,48' -stroke '#e02020' -strokewidth 8 -draw 'rectangle 30,30 66,66'
icon log -stroke '#444' -fill '#fffbe8' -draw 'rectangle 8,12 88,84' \
  -stroke '#d0c8a0' -strokewidth 2 -draw 'line 8,36 88,36' -draw 'line 8,60 88,60' \
  -stroke '#1f5fbf' -strokewidth 6 -fill none -draw 'polyline 12,70 26,40 40,56 54,24 68,50 84,30'
icon list21 -stroke '#505a6a' -fill white -draw 'rectangle 8,14 88,82' -strokewidth 3 \
  -draw 'line 8,36 88,36' -draw 'line 8,58 88,58' -draw 'line 34,14 34,82' -draw 'line 61,14 61,82' \
  -stroke none -fill '#3d6cc2' -draw 'rectangle 10,16 86,34'
icon list22 -stroke '#8a6500' -fill '#f5c542' -draw 'polygon 8,22 34,22 42,30 88,30 88,82 8,82'
icon list26 -stroke '#b0b0b0' -fill '#f4f4f4' -draw 'rectangle 8,14 88,82' -strokewidth 3 \
  -draw 'line 8,36 88,36' -draw 'line 8,58 88,58' -draw 'line 34,14 34,82' -draw 'line 61,14 61,82' \
  -stroke none -fill '#d0d0d0' -draw 'rectangle 10,16 86,34'

# The log windows' zoom buttons: a magnifier with a minus (Minimize) or a plus (Maximize).
magnifier() {
  local name=$1; shift
  icon "$name" -fill '#eaf2fb' -stroke '#2b3f5c' -strokewidth 8 -draw 'circle 40,40 40,10' \
    -stroke '#2b3f5c' -strokewidth 16 -draw 'line 62,62 86,86' \
    -stroke '#1f5fbf' -strokewidth 9 -draw 'line 24,40 56,40' "$@"
}
magnifier zoomout
magnifier zoomin -draw 'line 40,24 40,56'

# The program's own icon: a boost gauge.
gauge() {
  local size=$1 out=$2
  convert -size 192x192 xc:none \
    -fill '#1b2330' -stroke '#8a96a8' -strokewidth 8 -draw 'circle 96,96 96,8' \
    -fill none -stroke '#3fbf6a' -strokewidth 14 -draw "$(arc 96 96 62 135 300)" \
    -stroke '#e8a020' -draw "$(arc 96 96 62 300 345)" \
    -stroke '#e03a2a' -draw "$(arc 96 96 62 345 405)" \
    -stroke white -strokewidth 12 -draw 'line 96,96 146,56' \
    -stroke none -fill '#e8edf4' -draw 'circle 96,96 96,82' \
    -resize "${size}x${size}" "$out"
}
gauge 48 pvedit.png
gauge 64 images/pvedit.png

# The tool bar's logo and the picture strip above it.
convert -size 384x88 xc:none -fill '#1b2330' -draw 'roundrectangle 0,0 383,87 16,16' \
  -fill none -stroke '#3fbf6a' -strokewidth 8 -draw "$(arc 44 44 30 135 405)" \
  -stroke white -strokewidth 6 -draw 'line 44,44 64,26' \
  -stroke none -fill white -font "$FONT" -pointsize 44 -draw "text 92,60 'PAVEX'" \
  -fill '#3fbf6a' -draw "text 282,60 '5'" \
  -fill '#8a96a8' -font "$FONT_R" -pointsize 18 -draw "text 312,62 'boost'" \
  -resize 128x30 images/logo.png
convert -size 8x1200 gradient:'#3d6cc2-#1b2330' -rotate 90 images/strip.png

# The splash picture: a 24-bit Windows bitmap, as the program has always loaded it.
convert -size 520x300 gradient:'#2a3a55-#0c1018' \
  -fill none -stroke '#33415a' -strokewidth 2 -draw 'circle 400,150 400,44' \
  -stroke '#3fbf6a' -strokewidth 12 -draw "$(arc 400 150 86 135 300)" \
  -stroke '#e8a020' -draw "$(arc 400 150 86 300 345)" \
  -stroke '#e03a2a' -draw "$(arc 400 150 86 345 405)" \
  -stroke white -strokewidth 8 -draw 'line 400,150 457,102' \
  -stroke none -fill '#e8edf4' -draw 'circle 400,150 400,138' \
  -fill white -font "$FONT" -pointsize 34 -draw "text 30,120 'Pavex Dravlo'" \
  -fill '#9fb7e0' -font "$FONT_R" -pointsize 16 -draw "text 32,152 'Pavex5 boost controller'" -draw "text 32,174 'data editor'" \
  -fill '#8a96a8' -pointsize 14 -draw "text 32,268 'Version $VERSION'" \
  -type TrueColor BMP3:SPLASH.BMP
