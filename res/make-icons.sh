#!/usr/bin/env bash
# Draws the program's icon with ImageMagick: two data sheets, the blue one carried over onto
# the orange one by a white arrow. The 16 px image is drawn on its own pixel grid (not scaled
# down) so that it stays sharp, and saved with a palette of at most 256 colours.
set -euo pipefail
cd "$(dirname "$0")"

convert -size 16x16 xc:none +antialias \
  -fill '#2f6fd6' -stroke '#17407f' -draw 'roundrectangle 0,0 9,9 2,2' \
  -fill '#f08a24' -stroke '#8a4a0c' -draw 'roundrectangle 6,6 15,15 2,2' \
  -stroke none -fill white \
  -draw 'rectangle 3,7 9,8' -draw 'polygon 9,4 12,7 12,8 9,11' \
  PNG8:mirelda-16.png

convert -size 48x48 xc:none \
  -fill '#2f6fd6' -stroke '#17407f' -strokewidth 2 -draw 'roundrectangle 2,2 29,29 5,5' \
  -fill '#f08a24' -stroke '#8a4a0c' -strokewidth 2 -draw 'roundrectangle 18,18 45,45 5,5' \
  -stroke none -fill white \
  -draw 'rectangle 9,21 29,26' -draw 'polygon 28,14 38,23.5 28,33' \
  -depth 8 mirelda-48.png
