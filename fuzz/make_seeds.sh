#!/usr/bin/env bash
# Rewrites the seed corpora in fuzz/corpus/ from the library's writers and the
# filters themselves; run after `scripts/fuzz.sh` has built build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
# The filters keep their picture to the end of the process, on purpose.
export ASAN_OPTIONS=detect_leaks=0
corpus=fuzz/corpus
build=build-fuzz
cmake --build $build --target fuzz_make_seeds pixlane textlane >/dev/null
$build/fuzz/fuzz_make_seeds $corpus

# Text jobs: count byte, option words, then text in each input code.
mkdir -p $corpus/text_job
euc=$'abc \xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\n\x8e\xb1\x8e\xb2 \x8f\xb0\xa1 end\n\tx\fy\n'
sjis=$'abc \x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\n\xb1\xb2 kana\n'
jis=$'abc \x1b$B$3$s$K$A$O\x1b(B\n\x1b(Ixyz\x1b(B\n'
utf8=$'abc \xe3\x81\x93\xe3\x82\x93 \xef\xbd\xb1 \xf0\x9f\x98\x80\n'
printf '\0%s' "$euc" > $corpus/text_job/euc
printf '\2-fc\0001\0%s' "$sjis" > $corpus/text_job/sjis
printf '\4-fc\0002\0-fo\0001\0%s' "$jis" > $corpus/text_job/jis-vertical
printf '\6-fc\0003\0-fs\00012\00014\0-cp\0003\0%s' "$utf8" > $corpus/text_job/utf8
printf '\2-fm\0001\0.h1b5b3170\nplain\n.hzz\n' > $corpus/text_job/pass-through
printf '\6-ps\000100x150\0-pm\0001\0002\0003\000%s' "$euc" > $corpus/text_job/custom-paper

# Command lines for the picture options: first byte picks the picture.
mkdir -p $corpus/picture_options
printf '\0-r\000300\0-ps\0B5\0-po\0001\0-di\0002\0' > $corpus/picture_options/dither-landscape
printf '\1-fi\0001\0-la\0003\0-gm\0002,1,0.5\0-va\00010,-10,5\0-sa\00030\0-co\00020\0-br\000-5\0' \
  > $corpus/picture_options/fit-corrections
printf '\2-xs\000250\0-ys\00080\0-x\00010\0-y\00020\0-cp\000150\0-sp\0001\0-pm\0001\0002\0003\0004\0' \
  > $corpus/picture_options/scaled-copies
printf '\0-ps\000210x100\0-di\0005=0.3\0-mo\0001\0-pu\0002=1\0' > $corpus/picture_options/custom-threshold

# Printer streams for the viewer, as both filters write them.
mkdir -p $corpus/laneview_stream
$build/pixlane -in $corpus/read_pbm/gray -out $corpus/laneview_stream/picture -cp 2 -xs 300
$build/pixlane -in $corpus/read_pbm/bitmap -out $corpus/laneview_stream/picture-landscape -po 1 -sp 1 -r 120
printf '%s' "$euc" | $build/textlane -out $corpus/laneview_stream/text
printf '%s' "$euc" | $build/textlane -out $corpus/laneview_stream/text-vertical -fo 1 -fm 1
echo "seeds: $(find $corpus -type f | wc -l) files, $(du -sk $corpus | cut -f1) KB"
