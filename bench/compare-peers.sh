#!/usr/bin/env bash
# Times `tandrel` beside its peers on the same cuts and joins, 10 pieces or 10 inputs each, page
# cache warm, and prints each tool's median wall time, its ratio to the limit (split or cat: the
# cost of moving the bytes) and its peak resident memory.
#
#   bench/compare-peers.sh [BUILD_DIR]        (default: build/default)
#
# Peers: split and cat (the limit), ffmpeg with -c copy (segment and concat muxers), mp3splt and
# mp3wrap (MP3), sox (WAVE). The corpus (about 2 GB: a 60-minute and a 600-minute MP3, a
# 60-minute WAVE and ten 6-minute inputs of each kind) is made once under $TANDREL_BENCH_DIR
# (default: /tmp/tandrel-peers) from one minute of noise: sox makes it, lame encodes it once
# without an info frame, and the longer files are copies of those frames, so making the corpus
# costs seconds, not an hour of encoding. RUNS (default 3) runs per tool.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
tandrel=$build/cli/tandrel
corpus=${TANDREL_BENCH_DIR:-/tmp/tandrel-peers}
runs=${RUNS:-3}
[ -x "$tandrel" ] || { echo "build $tandrel first (cmake --build --preset default)" >&2; exit 1; }
for tool in sox lame ffmpeg mp3splt mp3wrap split /usr/bin/time; do
  command -v "$tool" >/dev/null || {
    echo "missing $tool (apt-get install -y sox lame ffmpeg mp3splt mp3wrap time)" >&2
    exit 1
  }
done
mkdir -p "$corpus"
cd "$corpus"

# --- corpus ------------------------------------------------------------------------------------
repeat() {  # count, file: the file's bytes `count` times on stdout
  local i
  for ((i = 0; i < $1; i++)); do cat "$2"; done
}
if [ ! -f .complete ]; then
  echo "making the corpus in $corpus ..." >&2
  sox -R -n -r 44100 -c 2 -b 16 minute.wav synth 60 pinknoise vol 0.3
  lame --quiet -t --cbr -b 128 minute.wav minute.mp3
  repeat 6 minute.mp3 > six.mp3                     # 6 minutes, about 5.8 MB
  repeat 10 six.mp3 > hour.mp3                      # 60 minutes, about 58 MB
  repeat 10 hour.mp3 > tenhours.mp3                 # 600 minutes, about 576 MB
  sox minute.wav -t raw minute.raw
  repeat 6 minute.raw > six.raw
  sox -t raw -r 44100 -c 2 -b 16 -e signed-integer six.raw six.wav   # 6 minutes, 63.5 MB
  repeat 10 six.raw > hour.raw
  sox -t raw -r 44100 -c 2 -b 16 -e signed-integer hour.raw hour.wav # 60 minutes, 635 MB
  rm -f minute.raw six.raw hour.raw
  for i in 01 02 03 04 05 06 07 08 09 10; do
    cp six.mp3 "in_$i.mp3"
    cp six.wav "in_$i.wav"
  done
  for kind in mp3 wav; do
    for i in 01 02 03 04 05 06 07 08 09 10; do echo "file '$corpus/in_$i.$kind'"; done \
      > "concat_$kind.txt"
  done
  touch .complete
fi
inputs() { echo "$corpus"/in_{01,02,03,04,05,06,07,08,09,10}."$1"; }

# --- timing ------------------------------------------------------------------------------------
median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
# One run of a command line (run by bash, in $corpus): "seconds peak_kB" after the out folder is
# emptied and the page cache has seen the inputs.
measure() {
  rm -rf out && mkdir out
  /usr/bin/time -f '%e %M' -o time.txt bash -c "$1" > /dev/null 2> run.err ||
    { echo "failed: $1" >&2; cat run.err >&2; return 1; }
  cat time.txt
}

rows=()
limit_s=0
task() {  # title, warm files, then pairs of tool name and command line; the first is the limit
  local title=$1 warm=$2
  shift 2
  cat $warm > /dev/null
  local first=1
  while [ $# -gt 0 ]; do
    local name=$1 command=$2 times=() peaks=() i t m result
    shift 2
    for ((i = 0; i < runs; i++)); do
      result=$(measure "$command")
      read -r t m <<< "$result"
      times+=("$t")
      peaks+=("$m")
    done
    local med peak ratio
    med=$(printf '%s\n' "${times[@]}" | median)
    peak=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -1)
    if [ $first = 1 ]; then limit_s=$med; first=0; fi
    ratio=$(awk -v a="$med" -v b="$limit_s" 'BEGIN {printf (b > 0) ? "%.1f" : "-", a / b}')
    rows+=("$(printf '%-34s %-22s %9.2f %8s %10.1f' "$title" "$name" "$med" "$ratio" \
      "$(awk -v k="$peak" 'BEGIN {print k / 1024}')")")
    echo "${rows[-1]}" >&2
  done
}

T=$tandrel
task "cut 60-min MP3 into 10" hour.mp3 \
  "split" "split -n 10 hour.mp3 out/x" \
  "tandrel" "$T cut -q --parts 10 -o out hour.mp3" \
  "ffmpeg -c copy segment" "ffmpeg -v error -i hour.mp3 -map 0:a -c copy -f segment -segment_time 360 out/p%02d.mp3" \
  "mp3splt" "mp3splt -q -S 10 -d out hour.mp3"
task "cut 600-min MP3 into 10" tenhours.mp3 \
  "split" "split -n 10 tenhours.mp3 out/x" \
  "tandrel" "$T cut -q --parts 10 -o out tenhours.mp3" \
  "ffmpeg -c copy segment" "ffmpeg -v error -i tenhours.mp3 -map 0:a -c copy -f segment -segment_time 3600 out/p%02d.mp3" \
  "mp3splt" "mp3splt -q -S 10 -d out tenhours.mp3"
task "cut 60-min WAVE into 10" hour.wav \
  "split" "split -n 10 hour.wav out/x" \
  "tandrel" "$T cut -q --parts 10 -o out hour.wav" \
  "ffmpeg -c copy segment" "ffmpeg -v error -i hour.wav -c copy -f segment -segment_time 360 out/p%02d.wav" \
  "sox" "sox hour.wav out/p.wav trim 0 360 : newfile : restart"
task "join 10 MP3 (60 min)" "$(inputs mp3)" \
  "cat" "cat $(inputs mp3) > out/joined.mp3" \
  "tandrel" "$T join -q -o out/joined.mp3 $(inputs mp3)" \
  "ffmpeg -c copy concat" "ffmpeg -v error -f concat -safe 0 -i concat_mp3.txt -c copy out/joined.mp3" \
  "mp3wrap" "mp3wrap out/joined.mp3 $(inputs mp3)"
task "join 10 WAVE (60 min)" "$(inputs wav)" \
  "cat" "cat $(inputs wav) > out/joined.wav" \
  "tandrel" "$T join -q -o out/joined.wav $(inputs wav)" \
  "ffmpeg -c copy concat" "ffmpeg -v error -f concat -safe 0 -i concat_wav.txt -c copy out/joined.wav" \
  "sox" "sox $(inputs wav) out/joined.wav"
rm -rf out time.txt run.err

echo
printf '%-34s %-22s %9s %8s %10s\n' "task" "tool" "median s" "x limit" "peak MB"
printf '%s\n' "${rows[@]}"
echo "($runs runs each; warm page cache; $(nproc) cores)"
