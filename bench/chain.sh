#!/usr/bin/env bash
# A 10-page A4 document (text, vector graphics, gray photographs) through the
# spooler's chain to the lane printer and through its peers, side by side:
#   lane       cupsfilter with the build's lane.ppd at 600 dpi: pdftopdf, gstoraster, rastertolane
#   raster     the same chain stopped at the raster page (the renderer alone)
#   gutenprint cupsfilter with Gutenprint's LaserJet 4250 PPD at 600 dpi
#   hpcups     cupsfilter with hpcups' LaserJet 4250 PPD (600 dpi)
#   ljet4      Ghostscript's ljet4 device at 600 dpi
#   pxlmono    Ghostscript's pxlmono device at 600 dpi
# The document is a PostScript program this script writes (its photographs
# are the benchmark picture), turned into PDF by ps2pdf. Runs alternate (lane,
# raster, gutenprint, ...) so that load from other work falls on every chain
# alike. Prints a markdown table of medians: wall time, CPU time (user +
# system of every process of the chain), peak memory (the largest process),
# time to the first byte of output, and bytes sent.
#   bench/chain.sh [RUNS] [BUILD_DIR]   (default 3 runs, build-bench)
# The peers' packages are installed when missing and the script runs as root
# (bench/prepare.sh); a peer that cannot be had is left out.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
runs=${1:-3}
build=${2:-build-bench}
targets=(rastertolane imagetolane texttolane lane_ppd stream_meter)
packages=(cups cups-filters ghostscript printer-driver-gutenprint printer-driver-hpcups)
source bench/prepare.sh
meter=$(realpath "$build/bench/stream_meter")

# A private spooler set-up: the build's filters beside the system's, as the
# tests point cupsfilter at them.
chmod 755 "$work"
spool="$work/spool"
mkdir -p "$spool/bin/filter" "$spool/conf"
for filter in rastertolane imagetolane texttolane; do
  cp "$build/$filter" "$spool/bin/filter/"
done
for filter in /usr/lib/cups/filter/*; do
  [ -e "$spool/bin/filter/$(basename "$filter")" ] || ln -s "$filter" "$spool/bin/filter/"
done
for helper in backend daemon notifier cgi-bin monitor; do
  [ ! -e "/usr/lib/cups/$helper" ] || ln -s "/usr/lib/cups/$helper" "$spool/bin/$helper"
done
cp cups/lane.types "$spool/conf/"
cp "$build/lane.ppd" "$spool/conf/lane.ppd"
printf 'ServerBin %s\nServerRoot %s\n' "$spool/bin" "$spool/conf" >"$spool/conf/cups-files.conf"
files=$spool/conf/cups-files.conf

# The peers' PPD files, as the spooler's driver programs hand them out.
/usr/lib/cups/driver/gutenprint.5.3 cat gutenprint.5.3://hp-lj_4250/expert >"$spool/conf/gutenprint.ppd" 2>/dev/null \
  || rm -f "$spool/conf/gutenprint.ppd"
/usr/lib/cups/daemon/cups-driverd cat drv:///hpcups.drv/hp-laserjet_4250-pcl3.ppd >"$spool/conf/hpcups.ppd" 2>/dev/null \
  || rm -f "$spool/conf/hpcups.ppd"

# The document.
photo_ps() {  # the pixels of a PGM file, inline after an image operator
  local w h
  read -r w h < <(sed -n 2p "$1")
  echo "$w $h 8 [$w 0 0 -$h 0 $h] currentfile /ASCIIHexDecode filter image"
  tail -c +$((${#w} + ${#h} + 10)) "$1" | od -An -v -tx1 | tr -d ' '  # the pixels after "P5\nW H\n255\n"
  echo '>'
}
document_ps() {
  cat <<'EOF'
%!PS-Adobe-3.0
%%Pages: 10
%%BoundingBox: 0 0 595 842
%%EndComments
/seed 7 def
/rnd { seed 75 mul 74 add 65537 mod /seed exch def seed } def
/words [(the) (printer) (lane) (raster) (of) (a) (page) (halftone) (line) (dots) (spooler)
  (gray) (error) (diffusion) (and) (to) (paper) (ordered) (matrix) (picture) (filter)
  (resolution) (sheet) (margin) (with) (stream) (command) (copies) (tone) (correction)] def
/para { % x y lines size width font
  findfont 2 index scalefont setfont /wd exch def /sz exch def /n exch def /y exch def /x exch def
  n { x y moveto
      { words rnd words length mod get dup stringwidth pop currentpoint pop add x wd add gt
        { pop exit } if show ( ) show } loop
      /y y sz 1.3 mul sub def } repeat
} def
/title { /Helvetica-Bold findfont exch scalefont setfont 3 1 roll moveto show } def % x y string size
/box { % x y w h gray
  gsave setgray 4 2 roll translate 0 0 moveto 1 index 0 lineto 2 copy lineto 0 exch lineto
  pop closepath fill grestore } def
/figures { % x y w h: grid, bars, a wave, discs and a curve
  /h exch def /w exch def /y exch def /x exch def
  gsave x y translate 0.5 setlinewidth
  0 20 w { 0 moveto 0 h rlineto stroke } for
  0 20 h { 0 exch moveto w 0 rlineto stroke } for
  1 1 12 { /k exch def k w 14 div mul 10 w 20 div k 37 mul 61 mod 60 add h mul 80 div k 16 div box } for
  3 setlinewidth 0 h 2 div moveto
  0 w 8 div w { dup h 3 div 2 index 7 mul sin mul h 2 div add lineto pop } for stroke
  1 1 6 { /k exch def newpath w k 7 div mul h 0.75 mul 12 k 4 mul add 0 360 arc k 7 div setgray fill } for
  0 setgray 2 setlinewidth newpath 20 20 moveto w 3 div h w 2 div 0 w 20 sub h 2 div curveto stroke
  grestore } def
/photo { 4 2 roll translate scale } def % x y w h; the image follows
EOF
  local page
  for page in 1 2 3 4 5 6 7 8 9 10; do
    echo "%%Page: $page $page"
    echo "save"
    case $page in
      1) echo "50 780 (Lanes of a printing system) 24 title 50 740 50 11 495 /Times-Roman para" ;;
      2) echo "50 800 60 10 235 /Times-Roman para 310 800 60 10 235 /Times-Roman para" ;;
      3) echo "50 790 (Figures) 18 title 50 420 495 340 figures 50 80 495 300 figures" ;;
      4) echo "50 790 (A photograph) 18 title gsave 50 300 495 371 photo"; photo_ps "$1"
         echo "grestore 50 260 16 10 495 /Times-Roman para" ;;
      5) echo "50 800 25 10 495 /Helvetica para gsave 50 60 240 180 photo"; photo_ps "$1"
         echo "grestore 300 60 245 400 figures" ;;
      6) echo "50 500 495 300 figures 50 440 30 11 495 /Times-Italic para" ;;
      7) echo "gsave 50 440 240 360 photo"; photo_ps "$1"
         echo "grestore gsave 305 440 240 360 photo"; photo_ps "$1"
         echo "grestore 50 400 25 11 495 /Times-Roman para" ;;
      8) echo "40 810 100 7.5 515 /Courier para" ;;
      9) echo "50 790 (Tables) 18 title 0 1 20 { 30 mul 150 add 50 exch 495 0.6 0.9 box } for"
         echo "50 770 45 13 495 /Helvetica para" ;;
      10) echo "gsave 30 150 535 642 photo"; photo_ps "$1"
          echo "grestore 30 150 535 642 figures 50 120 6 11 495 /Times-Bold para" ;;
    esac
    echo "restore showpage"
  done
  echo "%%EOF"
}
"$build/bench/make_test_pgm" 1000 750 >"$work/photo.pgm"
document_ps "$work/photo.pgm" >"$work/document.ps"
ps2pdf -sPAPERSIZE=a4 "$work/document.ps" "$work/document.pdf"

# The chains, by name.
names=(lane raster)
[ ! -f "$spool/conf/gutenprint.ppd" ] || names+=(gutenprint)
[ ! -f "$spool/conf/hpcups.ppd" ] || names+=(hpcups)
names+=(ljet4 pxlmono)
command_of() {
  local spooler=(cupsfilter -c "$files" -e)
  case $1 in
    lane) echo "${spooler[@]}" -p "$spool/conf/lane.ppd" -m printer/lane -o Resolution=600dpi ;;
    raster) echo "${spooler[@]}" -p "$spool/conf/lane.ppd" -m application/vnd.cups-raster -o Resolution=600dpi ;;
    gutenprint) echo "${spooler[@]}" -p "$spool/conf/gutenprint.ppd" -m printer/gutenprint -o Resolution=600dpi ;;
    hpcups) echo "${spooler[@]}" -p "$spool/conf/hpcups.ppd" -m printer/hpcups ;;
    ljet4 | pxlmono) echo gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE="$1" -r600 -sPAPERSIZE=a4 -sOutputFile=- ;;
  esac
}

cd "$work"
for ((run = 0; run < runs; run++)); do
  for name in "${names[@]}"; do
    read -r -a command <<<"$(command_of "$name")"
    start=$EPOCHREALTIME
    /usr/bin/time -f "%U %S %M" -o time.txt "${command[@]}" document.pdf 2>err.txt | "$meter" "$start" >meter.txt
    if [ "${PIPESTATUS[0]}" -ne 0 ] || [ "$(awk '{ print $3 }' meter.txt)" = 0 ]; then
      echo "$name failed: $(grep -v '^DEBUG' err.txt | head -c 300)" >&2
      exit 1
    fi
    echo "$(cat time.txt) $(cat meter.txt)" >>"times.$name"   # user system peak-kB first last bytes
  done
done

echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; 10 A4 pages; median of $runs runs"
echo
echo "| Chain | wall | CPU | peak memory | first byte | bytes sent |"
echo "|---|---|---|---|---|---|"
for name in "${names[@]}"; do
  wall=$(median_of "times.$name" '$5')
  cpu=$(median_of "times.$name" '$1 + $2')
  peak=$(median_of "times.$name" '$3 / 1024')
  first=$(median_of "times.$name" '$4')
  bytes=$(median_of "times.$name" '$6')
  awk -v n="$name" -v w="$wall" -v c="$cpu" -v p="$peak" -v f="$first" -v b="$bytes" \
    'BEGIN { printf "| %s | %.2f s | %.2f s | %.0f MB | %.2f s | %.1f MB |\n", n, w, c, p, f, b / 1e6 }'
done
