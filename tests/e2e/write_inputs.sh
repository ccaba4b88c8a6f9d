#!/usr/bin/env bash
# Writes the input files of the end-to-end scenarios into FOLDER, for both
# programs' sessions: depth maps of three sizes, a large noise stereogram,
# a depth map with a Polish name in a folder with a Polish name, the sample
# depth maps of the package, the damaged BMP files of the loader's fuzz
# corpus, and depth maps as a 16-bit grey PNG and as a JPEG, each with the
# BMP twin of its pixels beside it, a truncated PNG, and a colour texture
# tile as PNG (with its twin) for the colour scenario, and the sample 3D
# models (STL, OBJ, PLY) and a truncated STL for the scenarios of drawn
# depth maps, and a stereogram of the program's saved as JPEG at quality 85
# (with no twin: the scenario decodes the JPEG the program reads). BUILD is
# a native build that holds tavrelic_expected and tavrelic-cli.
#   write_inputs.sh FOLDER BUILD
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
folder=$1 tool=$2/tests/e2e/expected/tavrelic_expected
[ -x "$tool" ] || { echo "no $tool (build the native preset first)" >&2; exit 1; }
mkdir -p "$folder/Zdjęcia"
"$tool" depth-map "$folder/depth300.bmp" 300 200 &&
  "$tool" depth-map "$folder/depth400.bmp" 400 300 &&
  "$tool" depth-map "$folder/depth641.bmp" 641 100 &&
  "$tool" noise-stereogram "$folder/noise3840.bmp" 3840 2160 &&
  cp "$folder/depth300.bmp" "$folder/Zdjęcia/mapa głębokości ąęłńóśźż.bmp" &&
  python3 "$root/samples/make_samples.py" "$folder" &&
  python3 "$root/fuzz/make_corpus.py" "$folder/corpus" &&
  convert -size 300x200 radial-gradient:white-black -depth 16 -define png:color-type=0 "$folder/depth16.png" &&
  "$tool" picture-as-bmp "$folder/depth16.png" "$folder/depth16.png.bmp" &&
  convert -size 300x200 -seed 3 plasma:fractal -quality 90 "$folder/depth-colour.jpg" &&
  "$tool" picture-as-bmp "$folder/depth-colour.jpg" "$folder/depth-colour.jpg.bmp" &&
  head -c 4000 "$folder/depth16.png" >"$folder/truncated.png" &&
  convert -size 60x50 -seed 11 plasma:fractal -depth 8 -define png:color-type=2 "$folder/tile-colour.png" &&
  "$tool" picture-as-bmp "$folder/tile-colour.png" "$folder/tile-colour.png.bmp" &&
  python3 "$root/samples/make_models.py" "$folder/models" &&
  head -c 300 "$folder/models/torus.stl" >"$folder/models/damaged.stl" &&
  "$2/src/cli/tavrelic-cli" generate "$folder/depth400.bmp" --view stereogram-plain -o "$folder/stereogram.bmp" &&
  convert "$folder/stereogram.bmp" -quality 85 "$folder/stereogram-q85.jpg" && rm "$folder/stereogram.bmp"
