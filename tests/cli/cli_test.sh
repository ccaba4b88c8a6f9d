#!/usr/bin/env bash
# End-to-end tests of tavrelic-cli: each case runs the program as a user
# would, and holds every file it writes against the file that the window's
# own operations save after the same commands from a fresh start, replayed
# by tavrelic_expected (the options become the Preferences dialog's fields,
# the command the menu items). Then the refusals: damaged files, a pattern
# of the wrong height, bad options, and what gets written then.
#   cli_test.sh CLI TOOL FOLDER [CASE]
# CLI is the program (a .exe runs under Wine), TOOL the native
# tavrelic_expected, FOLDER a scratch folder; CASE runs one case alone.
# Prints "PASS name" or "FAIL name: reason" per case; fails with any case.
set -uo pipefail
cli=$1 tool=$2 work=$3 only=${4:-}
failures=0

run_cli() {
  if [[ $cli == *.exe ]]; then wine "$cli" "$@"; else "$cli" "$@"; fi
}
pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }
wanted() { [ -z "$only" ] || [ "$only" = "$1" ]; }

rm -rf "$work"
mkdir -p "$work"/in "$work"/out "$work"/expected
in=$work/in
"$tool" depth-map "$in/kule.bmp" 640 480 &&
  "$tool" depth-map "$in/waski.bmp" 643 200 &&
  "$tool" depth-map "$in/wzorzec.bmp" 91 480 &&
  "$tool" depth-map "$in/niski.bmp" 91 100 &&
  "$tool" noise-stereogram "$in/szum.bmp" 640 480 || { echo "FAIL inputs: cannot write them"; exit 1; }
for frame in 1 2 3 4 5; do "$tool" depth-map "$in/klatka$frame.bmp" $((600 + 10 * frame)) 300 || exit 1; done
head -c 3000 "$in/kule.bmp" >"$in/uciety.bmp"

# The window's commands for a run of tavrelic-cli: the menu items, the
# Preferences dialog's fields and buttons (each by the program's own name
# for it), the file dialogs' names.
window_steps() {
  local command=$1 input=$2 saved=$3; shift 3
  local prefs=() view="" pattern="" colour="" save=save-picture
  while [ $# -gt 0 ]; do
    case "$1" in
      --depth-bits) prefs+=("prefs-set depth-bits $2"); shift ;;
      --repeat) prefs+=("prefs-set repeat $2"); shift ;;
      --min-match) prefs+=("prefs-set min-match $2"); shift ;;
      --search-range) prefs+=("prefs-set search-range $2"); shift ;;
      --parallax) prefs+=("prefs-set parallax $2"); shift ;;
      --cross-eyed) prefs+=("prefs-click wall-eyed") ;;
      --no-random-fill) prefs+=("prefs-click random-fill") ;;
      --colour) colour=1 ;;
      --decoder) prefs+=("prefs-click decoder-$2"); shift ;;
      --unresolved)
        case "$2" in
          keep) prefs+=("prefs-click unresolved-keep") ;;
          random) prefs+=("prefs-click unresolved-random") ;;
          background) prefs+=("prefs-click unresolved-background") ;;
        esac
        shift ;;
      --pattern) pattern=$2; shift ;;
      --view)
        case "$2" in
          stereogram) view=show-stereogram-with-dots ;;
          stereogram-plain) view=show-stereogram-plain ;;
          depth) view=show-depth-quantised ;;
          depth-original) view=show-depth-original ;;
          pattern) view=show-pattern-strip ;;
          pattern-tiled) view=show-pattern-tiled ;;
          anaglyph) view=show-anaglyph ;;
          certainty) view=show-certainty ;;
          side-by-side) save=save-parallel-pair ;;
          cross-view) save=save-crossed-pair ;;
        esac
        shift ;;
    esac
    shift
  done
  echo "scenario cli"
  echo "start"
  # --colour is as if colour was on before the input was loaded, so that a
  # stereogram keeps its colours.
  [ -n "$colour" ] && printf 'command preferences\nprefs-click colour\nprefs-click ok\n'
  case "$input" in
    --text=*)
      # WIDTHxHEIGHT:TEXT, through the text depth map dialog.
      local drawn=${input#--text=} size
      size=${drawn%%:*}
      printf 'command text-depth-map\ndialog-set depth-text "%s"\ndialog-set depth-width %s\n' "${drawn#*:}" "${size%x*}"
      printf 'dialog-set depth-height %s\ndialog-click depth-ok\n' "${size#*x}" ;;
    *.stl | *.obj | *.ply) printf 'command load-model\nchoose-file "%s"\n' "$input" ;;
    *)
      if [ "$command" = decode ]; then echo "command load-stereogram"; else echo "command load-depth-map"; fi
      echo "choose-file \"$input\"" ;;
  esac
  if [ ${#prefs[@]} -gt 0 ]; then
    echo "command preferences"
    printf '%s\n' "${prefs[@]}"
    echo "prefs-click ok"
  fi
  if [ "$command" != decode ]; then
    if [ -n "$pattern" ]; then
      printf 'command load-pattern\nchoose-file "%s"\n' "$pattern"
    else
      echo "command generate-pattern"
    fi
  fi
  case "$command" in
    generate) echo "command generate-stereogram" ;;
    decode) echo "command decode-stereogram" ;;
    batch) echo "command round-trip" ;;
  esac
  [ -n "$view" ] && echo "command $view"
  printf 'command %s\nchoose-file "%s"\n' "$save" "$saved"
}

# The file the window saves for the same commands.
expected_file() {
  local command=$1 input=$2 saved=$3; shift 3
  window_steps "$command" "$input" "$saved" "$@" >"$work/steps.txt"
  "$tool" replay "$work/steps.txt" cli
}

# NAME COMMAND INPUT OPTIONS...: one input, one file, the window's bytes.
# An INPUT of --text=WIDTHxHEIGHT:TEXT is the depth map of that text, which
# the window makes in its text dialog.
same_as_window() {
  local name=$1 command=$2 input=$3; shift 3
  wanted "$name" || return 0
  local out=$work/out/$name.bmp want=$work/expected/$name.bmp
  local given=("$input")
  if [[ $input == --text=* ]]; then
    local drawn=${input#--text=}
    given=(--text "${drawn#*:}" --size "${drawn%%:*}")
  fi
  if ! expected_file "$command" "$input" "$want" "$@"; then fail "$name" "the window's replay failed"; return; fi
  if ! run_cli "$command" "${given[@]}" -o "$out" "$@" 2>"$work/$name.err"; then
    fail "$name" "exit code $? ($(tr '\n' ' ' <"$work/$name.err"))"; return
  fi
  if cmp -s "$out" "$want"; then pass "$name"; else fail "$name" "$(cmp "$out" "$want" | head -n 1)"; fi
}

same_as_window generate-default generate "$in/kule.bmp"
same_as_window generate-options generate "$in/kule.bmp" --depth-bits 5 --repeat 8 --cross-eyed --no-random-fill
same_as_window generate-widened generate "$in/waski.bmp" --repeat 7
same_as_window generate-pattern generate "$in/kule.bmp" --pattern "$in/wzorzec.bmp"
for view in stereogram stereogram-plain depth depth-original pattern pattern-tiled; do
  same_as_window "generate-view-$view" generate "$in/kule.bmp" --depth-bits 2 --view "$view"
done
same_as_window decode-default decode "$work/out/generate-default.bmp"
same_as_window decode-options decode "$work/out/generate-options.bmp" --depth-bits 5 --min-match 3 \
  --search-range 60 --unresolved random
same_as_window decode-no-width decode "$in/szum.bmp" --unresolved background
same_as_window batch-default batch "$in/kule.bmp"
same_as_window batch-options batch "$in/waski.bmp" --depth-bits 4 --repeat 12 --unresolved background
same_as_window batch-pattern batch "$in/kule.bmp" --pattern "$in/wzorzec.bmp" --view stereogram-plain
# In colour: dots drawn in colour, a colour tile repeated down the picture,
# a colour stereogram decoded on its three channels, the pattern's views.
# (The window's replay reads the BMP twin of the tile's pixels.)
convert -size 48x40 -seed 9 plasma:fractal "$in/kafel.png" && "$tool" picture-as-bmp "$in/kafel.png" "$in/kafel.png.bmp" ||
  echo "FAIL inputs: cannot make the colour tile"
same_as_window colour-dots generate "$in/kule.bmp" --colour
same_as_window colour-tile generate "$in/kule.bmp" --colour --pattern "$in/kafel.png"
same_as_window colour-tile-view generate "$in/kule.bmp" --colour --pattern "$in/kafel.png" --view pattern-tiled
same_as_window colour-decode decode "$work/out/colour-tile.bmp" --colour
same_as_window colour-batch batch "$in/kule.bmp" --colour --depth-bits 4
# Stereo pairs of the depth map: loaded, decoded, after the batch.
same_as_window anaglyph generate "$in/kule.bmp" --view anaglyph
same_as_window side-by-side generate "$in/kule.bmp" --view side-by-side --parallax 30
same_as_window cross-view decode "$work/out/generate-default.bmp" --view cross-view
same_as_window anaglyph-batch batch "$in/kule.bmp" --view anaglyph --parallax 12

# Depth maps drawn from models and text, as the window draws them (a model
# at the window's starting size, 640 x 480, which is the default --size).
python3 "$(dirname "$0")/../../samples/make_models.py" --every-format "$in/modele" >/dev/null ||
  echo "FAIL inputs: cannot write the sample models"
same_as_window model-stl generate "$in/modele/kostka-na-plycie.stl"
same_as_window model-ply generate "$in/modele/kostka-na-plycie.ply" --view depth-original
same_as_window model-obj-batch batch "$in/modele/torus.obj" --depth-bits 5
same_as_window text generate "--text=500x300:Żółw 3D"
same_as_window text-depth generate "--text=320x100:Ala ma kota" --view depth-original
# Every format of the torus draws the same depth map.
if wanted model-formats; then
  why=""
  for model in "$in"/modele/torus.stl "$in"/modele/torus?*; do
    name=$(basename "$model")
    run_cli generate "$model" --size 200x150 --rotate 10,-20,30 --view depth-original -o "$work/out/$name.bmp" \
      2>"$work/model-formats.err" || why="$why $name refused: $(tr '\n' ' ' <"$work/model-formats.err");"
    cmp -s "$work/out/$name.bmp" "$work/out/torus.stl.bmp" || why="$why $name differs from torus.stl;"
  done
  if [ -z "$why" ]; then pass model-formats; else fail model-formats "$why"; fi
fi

# Animations from frames of a sphere moving right: each frame of the
# animated PNG and GIF is the file the same command writes for that frame
# alone (the APNG read by the tests' own reader, the GIF by ImageMagick).
for step in 1 2 3 4; do
  convert -size 320x200 xc:black -fill gray60 -draw "circle $((80 + 40 * step)),100 $((120 + 40 * step)),100" \
    -depth 8 -define png:color-type=0 "$in/ruch$step.png" || echo "FAIL inputs: cannot draw the moving sphere"
done
moving=("$in"/ruch?.png)
if wanted animation; then
  why=""
  run_cli generate "${moving[@]}" --animate -o "$work/out/ruch.png" 2>"$work/animation.err" &&
    run_cli batch "${moving[@]}" --animate --fps 25 -o "$work/out/ruch.gif" 2>>"$work/animation.err" ||
    why="refused: $(tr '\n' ' ' <"$work/animation.err");"
  "$tool" animation-frames "$work/out/ruch.png" "$work/out/apng-" 2>>"$work/animation.err" ||
    why="$why the APNG does not read: $(tail -n 1 "$work/animation.err");"
  convert "$work/out/ruch.gif" -coalesce "BMP3:$work/out/gif-%d.bmp" || why="$why ImageMagick cannot read the GIF;"
  delays=$(identify -format '%T %s,' "$work/out/ruch.gif" 2>&1)
  [ "$delays" = "4 0,4 1,4 2,4 3," ] || why="$why the GIF's delays and frames read $delays;"
  for step in 1 2 3 4; do
    run_cli generate "$in/ruch$step.png" -o "$work/out/ruch$step-sam.bmp" 2>>"$work/animation.err" &&
      run_cli batch "$in/ruch$step.png" -o "$work/out/ruch$step-batch.bmp" 2>>"$work/animation.err" ||
      why="$why frame $step alone refused;"
    differ=$(compare -metric AE "$work/out/apng-$step.bmp" "$work/out/ruch$step-sam.bmp" null: 2>&1)
    [ "$differ" = 0 ] || why="$why APNG frame $step: $differ pixels differ;"
    differ=$(compare -metric AE "$work/out/gif-$((step - 1)).bmp" "$work/out/ruch$step-batch.bmp" null: 2>&1)
    [ "$differ" = 0 ] || why="$why GIF frame $step: $differ pixels differ;"
  done
  if [ -z "$why" ]; then pass animation; else fail animation "$why"; fi
fi

# --fresh-dots: new dots in every frame after the first and nothing else:
# most pixels change, and each frame decodes to the depth map it decodes to
# without it, but for the odd pixel where the decoder, reading other dots,
# is led astray by a chance match (at most 0.5 %; a depth map, squares or
# size that changed would differ in thousands).
if wanted fresh-dots; then
  why=""
  run_cli generate "${moving[@]:0:3}" -o "$work/out/spokojne" 2>"$work/fresh.err" &&
    run_cli generate "${moving[@]:0:3}" --fresh-dots -o "$work/out/swieze" 2>>"$work/fresh.err" ||
    why="refused: $(tr '\n' ' ' <"$work/fresh.err");"
  for step in 1 2 3; do
    calm=$work/out/spokojne/ruch$step.png fresh=$work/out/swieze/ruch$step.png
    changed=$(compare -metric AE "$calm" "$fresh" null: 2>&1)
    if [ "$step" -eq 1 ]; then
      [ "$changed" = 0 ] || why="$why the first frame's dots changed in $changed pixels;"
    else
      [ "${changed%%[!0-9]*}" -gt 25600 ] 2>/dev/null || why="$why frame $step changed only $changed pixels;"
    fi
    run_cli decode "$calm" -o "$work/out/spokojne-$step.bmp" 2>>"$work/fresh.err" &&
      run_cli decode "$fresh" -o "$work/out/swieze-$step.bmp" 2>>"$work/fresh.err" || why="$why decoding refused;"
    differ=$(compare -metric AE "$work/out/spokojne-$step.bmp" "$work/out/swieze-$step.bmp" null: 2>&1)
    [ "${differ%%[!0-9]*}" -le 320 ] 2>/dev/null || why="$why frame $step decodes $differ pixels apart;"
  done
  if [ -z "$why" ]; then pass fresh-dots; else fail fresh-dots "$why"; fi
fi

# Decoders: a JPEG stereogram read by the tolerant decoder on automatic,
# its certainty, the exact decoder when asked for, and the batch through
# the tolerant one.
convert "$work/out/generate-view-stereogram-plain.bmp" -quality 85 "$in/stereogram.jpg" ||
  echo "FAIL inputs: cannot save the stereogram as JPEG"
same_as_window jpeg-auto decode "$in/stereogram.jpg"
same_as_window jpeg-certainty decode "$in/stereogram.jpg" --view certainty
same_as_window jpeg-exact decode "$in/stereogram.jpg" --decoder exact
same_as_window batch-tolerant batch "$in/kule.bmp" --decoder tolerant --depth-bits 4
same_as_window tolerant-certainty decode "$work/out/generate-default.bmp" --decoder tolerant --view certainty
if wanted decoders-differ; then
  cmp -s "$work/out/jpeg-auto.bmp" "$work/out/jpeg-exact.bmp" && fail decoders-differ "the JPEG decodes alike either way" ||
    pass decoders-differ
fi

# A frame sequence into a folder, a worker per core: each frame is the
# window's file, whatever the order the frames come in.
if wanted frames; then
  frames=("$in"/klatka?.bmp)
  run_cli generate "${frames[@]}" -o "$work/out/klatki" --repeat 6 2>"$work/frames.err"
  code=$?
  reversed=()
  for ((i = ${#frames[@]} - 1; i >= 0; --i)); do reversed+=("${frames[i]}"); done
  run_cli generate "${reversed[@]}" -o "$work/out/klatki-odwrotnie" --repeat 6 2>>"$work/frames.err"
  why=""
  [ "$code" -eq 0 ] && [ $? -eq 0 ] || why="exit code $code: $(tr '\n' ' ' <"$work/frames.err")"
  for frame in "${frames[@]}"; do
    name=$(basename "$frame")
    expected_file generate "$frame" "$work/expected/$name" --repeat 6 || why="the window's replay of $name failed"
    cmp -s "$work/out/klatki/$name" "$work/expected/$name" || why="$why $name differs from the window's;"
    cmp -s "$work/out/klatki-odwrotnie/$name" "$work/expected/$name" || why="$why $name differs in reverse order;"
  done
  if [ -z "$why" ]; then pass frames; else fail frames "$why"; fi
fi

# Every form of PNG and JPEG, made by ImageMagick from one colour picture
# (with an alpha ramp for the forms that have alpha): each gives the same
# stereogram as the BMP of its pixels that tavrelic_expected decodes and
# converts apart from the program (16-bit samples rounded, alpha over
# black).
png_forms=(
  "grey1:base:-colorspace gray -threshold 50% -depth 1 -define png:bit-depth=1 -define png:color-type=0"
  "grey2:base:-colorspace gray -depth 2 -define png:bit-depth=2 -define png:color-type=0"
  "grey4:base:-colorspace gray -depth 4 -define png:bit-depth=4 -define png:color-type=0"
  "grey8:base:-colorspace gray -depth 8 -define png:color-type=0"
  "grey16:base:-colorspace gray -depth 16 -define png:color-type=0"
  "greyalpha8:alpha:-colorspace gray -depth 8 -define png:color-type=4"
  "greyalpha16:alpha:-colorspace gray -depth 16 -define png:color-type=4"
  "rgb8:base:-depth 8 -define png:color-type=2"
  "rgb16:base:-depth 16 -define png:color-type=2"
  "rgba8:alpha:-depth 8 -define png:color-type=6"
  "rgba16:alpha:-depth 16 -define png:color-type=6"
  "palette:base:-colors 40 -define png:color-type=3"
  "palettealpha:alpha:-colors 40 -define png:color-type=3"
  "interlaced:base:-interlace PNG -depth 8 -define png:color-type=2"
)
jpeg_forms=("baseline:base:-quality 85" "greyjpeg:base:-colorspace gray -quality 85" "progressive:base:-interlace JPEG -quality 85")
if wanted picture-forms; then
  why=""
  convert -size 320x200 -seed 5 plasma:fractal "$in/baza.png" &&
    convert -size 320x200 gradient:none-black "$in/rampa.png" &&
    convert "$in/baza.png" "$in/rampa.png" -compose copy-opacity -composite "$in/baza-alfa.png" ||
    why="ImageMagick cannot make the pictures;"
  for form in "${png_forms[@]}" "${jpeg_forms[@]}"; do
    name=${form%%:*} rest=${form#*:}
    source=$in/baza.png
    [ "${rest%%:*}" = alpha ] && source=$in/baza-alfa.png
    extension=png
    [[ " ${jpeg_forms[*]} " == *" $form "* ]] && extension=jpg
    picture=$in/forma-$name.$extension
    # shellcheck disable=SC2086
    convert "$source" ${rest#*:} "$picture" && "$tool" picture-as-bmp "$picture" "$picture.bmp" ||
      { why="$why cannot make $name;"; continue; }
    run_cli generate "$picture" -o "$work/out/forma-$name.bmp" 2>>"$work/forms.err" &&
      run_cli generate "$picture.bmp" -o "$work/out/forma-$name-bmp.bmp" 2>>"$work/forms.err" ||
      { why="$why $name refused: $(tail -n 1 "$work/forms.err");"; continue; }
    cmp -s "$work/out/forma-$name.bmp" "$work/out/forma-$name-bmp.bmp" || why="$why $name differs from its BMP;"
  done
  if [ -z "$why" ]; then pass picture-forms; else fail picture-forms "$why"; fi
fi

# A PNG is written with the pixels of the BMP, in 8-bit grey.
if wanted png-output; then
  run_cli generate "$in/kule.bmp" -o "$work/out/kule.png" 2>"$work/png.err" &&
    run_cli generate "$in/kule.bmp" -o "$work/out/kule-png.bmp" 2>>"$work/png.err"
  code=$?
  kind=$(identify -format '%[png:IHDR.bit-depth-orig] %[png:IHDR.color-type-orig]' "$work/out/kule.png" 2>&1)
  differ=$(compare -metric AE "$work/out/kule.png" "$work/out/kule-png.bmp" null: 2>&1)
  if [ "$code" -eq 0 ] && [ "$kind" = "8 0" ] && [ "$differ" = "0" ]; then pass png-output
  else fail png-output "exit code $code, PNG bit depth and colour type $kind, $differ pixels differ from the BMP"; fi
fi

# NAME CODE MESSAGE ARGUMENTS...: the run ends with CODE and says MESSAGE
# on standard error.
refused() {
  local name=$1 code=$2 message=$3; shift 3
  wanted "$name" || return 0
  run_cli "$@" >"$work/$name.out" 2>"$work/$name.err"
  local got=$?
  if [ "$got" -ne "$code" ]; then fail "$name" "exit code $got, expected $code ($(tr '\n' ' ' <"$work/$name.err"))"
  elif ! grep -qF -- "$message" "$work/$name.err"; then fail "$name" "no \"$message\" in: $(tr '\n' ' ' <"$work/$name.err")"
  else pass "$name"; fi
}

refused damaged-file 1 "uciety.bmp: Błąd: Uszkodzony lub nieobsługiwany plik BMP!" \
  generate "$in/uciety.bmp" -o "$work/out/uciety.bmp"
[ -e "$work/out/uciety.bmp" ] && fail damaged-file-written "a file was written for a damaged input"
head -c 3000 "$in/forma-grey16.png" >"$in/uciety.png"
printf '\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\0\0\0\0\0\0\0\0' >"$in/ogromny.png"
head -c 2000 "$in/forma-baseline.jpg" >"$in/uciety.jpg"
# The first scan names Huffman tables 2, which no segment defines.
python3 -c '
import sys
data = bytearray(open(sys.argv[1], "rb").read())
scan = data.index(b"\xff\xda")
data[scan + 6] = 0x22
open(sys.argv[2], "wb").write(data)' "$in/forma-baseline.jpg" "$in/bez-tablic.jpg"
# A JPEG whose frame declares 8000 x 8000 pixels, far more than its bytes
# can hold.
python3 -c '
import sys
data = bytearray(open(sys.argv[1], "rb").read())
frame = data.index(b"\xff\xc0")
data[frame + 5:frame + 9] = (8000).to_bytes(2, "big") * 2
open(sys.argv[2], "wb").write(data)' "$in/forma-baseline.jpg" "$in/za-krotki.jpg"
refused jpeg-too-short-for-its-size 1 "za-krotki.jpg: Błąd: Uszkodzony lub nieobsługiwany plik JPEG!" \
  generate "$in/za-krotki.jpg" -o "$work/out/za-krotki.bmp"
refused undefined-jpeg-tables 1 "bez-tablic.jpg: Błąd: Uszkodzony lub nieobsługiwany plik JPEG!" \
  decode "$in/bez-tablic.jpg" -o "$work/out/bez-tablic.bmp"
refused damaged-png 1 "uciety.png: Błąd: Uszkodzony lub nieobsługiwany plik PNG!" \
  generate "$in/uciety.png" -o "$work/out/uciety-png.bmp"
refused damaged-jpeg 1 "uciety.jpg: Błąd: Uszkodzony lub nieobsługiwany plik JPEG!" \
  decode "$in/uciety.jpg" -o "$work/out/uciety-jpg.bmp"
refused huge-png 1 "ogromny.png: Błąd: Obrazek jest zbyt duży, by go wczytać!" \
  generate "$in/ogromny.png" -o "$work/out/ogromny.bmp"
refused not-a-picture 1 "nie można odczytać pliku albo nie jest to obrazek" \
  decode "$work/steps.txt" -o "$work/out/tekst.bmp"
refused pattern-height 1 "Wysokość wzorca różni się od wysokości obrazka!" \
  generate "$in/kule.bmp" --pattern "$in/niski.bmp" -o "$work/out/wzorzec-niski.bmp"
refused depth-bits 2 "Uwaga: Błędne wartości głębokości" generate "$in/kule.bmp" --depth-bits 9 -o "$work/out/g9.bmp"
refused repeat-count 2 "Błędne wartości ilości powtórzeń wzorca" \
  generate "$in/kule.bmp" "$in/waski.bmp" --repeat 2 -o "$work/out/r2"
refused certainty-of-exact 1 "Sorki, ale nie ma co wyświetlać" \
  decode "$work/out/generate-default.bmp" --view certainty -o "$work/out/pewnosc.bmp"
refused bad-decoder 2 "--decoder: niepoprawna wartość: szybki" decode "$in/stereogram.jpg" --decoder szybki \
  -o "$work/out/szybki.bmp"
refused unknown-option 2 "nieznana opcja: --glebia" generate "$in/kule.bmp" --glebia 3 -o "$work/out/x.bmp"
refused no-output 2 "nie podano wyjścia" generate "$in/kule.bmp"
# Models and text: what is refused, and the animations that are not made.
head -c 300 "$in/modele/torus.stl" >"$in/modele/uciety.stl"
refused model-decoded 1 "to model 3D, a nie stereogram" decode "$in/modele/torus.stl" -o "$work/out/model.bmp"
refused damaged-model 1 "uciety.stl: Błąd: Uszkodzony lub nieobsługiwany plik STL!" \
  generate "$in/modele/uciety.stl" -o "$work/out/uciety-model.bmp"
refused bad-size 2 "niepoprawne wymiary: 0x480" generate "$in/modele/torus.stl" --size 0x480 -o "$work/out/s0.bmp"
refused bad-rotation 2 "niepoprawny obrót: 10,nan,0" generate "$in/modele/torus.stl" --rotate 10,nan,0 -o "$work/out/r.bmp"
refused text-and-inputs 2 "--text daje mapę głębokości zamiast plików" \
  generate "$in/kule.bmp" --text "Ala" -o "$work/out/t.bmp"
refused text-with-decode 2 "opcja --text nie dotyczy polecenia decode" \
  decode --text "Ala" -o "$work/out/t-dekod.bmp"
refused empty-text 1 "Napis jest pusty!" generate --text " " -o "$work/out/pusty.bmp"
refused animation-sizes 1 "klatki animacji muszą mieć takie same wymiary" \
  generate "$in/klatka1.bmp" "$in/klatka2.bmp" --animate -o "$work/out/rozne.png"
head -c 200 "$in/ruch3.png" >"$in/ruch-uciety.png"
refused animation-refused-frame 1 "ruch-uciety.png: Błąd: Uszkodzony lub nieobsługiwany plik PNG!" \
  generate "${moving[@]:0:2}" "$in/ruch-uciety.png" "${moving[@]:2}" --animate -o "$work/out/przerwana.gif"
refused animation-name 2 "animacja (--animate) jest zapisywana do pliku .png albo .gif" \
  generate "${moving[@]}" --animate -o "$work/out/ruch.bmp"
refused animation-fps 2 "niepoprawna liczba klatek na sekundę: 101" \
  generate "${moving[@]}" --animate --fps 101 -o "$work/out/szybka.png"
for written in pewnosc.bmp szybki.bmp s0.bmp r.bmp t.bmp pusty.bmp model.bmp uciety-model.bmp rozne.png przerwana.gif ruch.bmp szybka.png; do
  [ -e "$work/out/$written" ] && fail "nothing-written-$written" "a refused run wrote $written"
done
[ -z "$(find "$work/out" -maxdepth 1 -name '*.part*')" ] || fail nothing-half-written "a refused animation left a part file"
for written in g9.bmp r2 x.bmp wzorzec-niski.bmp uciety-png.bmp uciety-jpg.bmp bez-tablic.bmp za-krotki.bmp ogromny.bmp; do
  [ -e "$work/out/$written" ] && fail "nothing-written-$written" "a refused run wrote $written"
done

# A damaged frame among good ones: the good ones are written, exit code 1.
if wanted mixed-inputs; then
  run_cli generate "$in/klatka1.bmp" "$in/uciety.bmp" "$in/klatka2.bmp" -o "$work/out/mieszane" 2>"$work/mixed.err"
  code=$?
  if [ "$code" -eq 1 ] && [ -f "$work/out/mieszane/klatka1.bmp" ] && [ -f "$work/out/mieszane/klatka2.bmp" ] &&
     [ ! -e "$work/out/mieszane/uciety.bmp" ] && [ -z "$(find "$work/out/mieszane" -name '*.part')" ]; then
    pass mixed-inputs
  else
    fail mixed-inputs "exit code $code; written: $(ls "$work/out/mieszane" 2>/dev/null | tr '\n' ' ')"
  fi
fi

if wanted info; then
  run_cli info "$in/kule.bmp" "$in/uciety.bmp" "$in/kafel.png" >"$work/info.out" 2>"$work/info.err"
  code=$?
  if [ "$code" -eq 1 ] && grep -qF "kule.bmp: BMP 24-bitowy, 640 x 480" "$work/info.out" &&
     grep -qF "kafel.png: PNG, 48 x 40, w kolorze" "$work/info.out" &&
     grep -qF "uciety.bmp: Błąd: Uszkodzony lub nieobsługiwany plik BMP!" "$work/info.err"; then
    pass info
  else
    fail info "exit code $code: $(cat "$work/info.out" "$work/info.err" | tr '\n' ' ')"
  fi
fi

if wanted help; then
  run_cli --help >"$work/help.out" 2>&1 && grep -q "tavrelic-cli generate MAPA" "$work/help.out" &&
    run_cli --version | grep -q "^tavrelic-cli [0-9]" && pass help || fail help "$(head -n 3 "$work/help.out")"
fi

[ "$failures" -eq 0 ]
