#!/usr/bin/env bash
# Writes the input files of the end-to-end scenarios into FOLDER, for both
# programs' sessions: depth maps of three sizes, a large noise stereogram,
# a depth map with a Polish name in a folder with a Polish name, the sample
# depth maps of the package, and the damaged BMP files of the loader's fuzz
# corpus. BUILD is a native build that holds tavrelic_expected.
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
  python3 "$root/fuzz/make_corpus.py" "$folder/corpus"
