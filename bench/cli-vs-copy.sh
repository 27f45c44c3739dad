#!/usr/bin/env bash
# Times the command-line program beside the plain tools that move the same bytes, on a tmpfs so
# that the disk plays no part: `tandrel cut --parts 10` beside `split -n 10`, and `tandrel join`
# of the ten pieces beside `cat`. The least of 9 rounds each, then the ratios, and the cut's peak
# memory.
#
#   bench/cli-vs-copy.sh [MP3]     (default: about 576 MB of lame-encoded noise, made here)
#
# TANDREL: the program (default build/default/cli/tandrel); TANDREL_BENCH_TMP: a tmpfs folder
# (default /dev/shm). It needs about 6 times the MP3's size there.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tandrel=${TANDREL:-$root/build/default/cli/tandrel}
[ -x "$tandrel" ] || { echo "build $tandrel first (cmake --build --preset default --target tandrel)" >&2; exit 1; }
for tool in split cat /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d "${TANDREL_BENCH_TMP:-/dev/shm}/tandrel-cli-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ $# -ge 1 ]; then
  cp "$1" "$work/big.mp3"
else
  for tool in sox lame; do
    command -v "$tool" >/dev/null || { echo "missing $tool (or give an MP3)" >&2; exit 1; }
  done
  echo "making about 576 MB of MP3 in $work ..." >&2
  sox -R -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth 60 pinknoise vol 0.3 2>/dev/null
  # -t: no info frame, so that the copies put end to end are one plain run of frames.
  lame --quiet -t --cbr -b 128 "$work/noise.wav" "$work/noise.mp3"  # 60 s, about 960 KB
  copies=$(( (576000000 + $(stat -c %s "$work/noise.mp3") - 1) / $(stat -c %s "$work/noise.mp3") ))
  for _ in $(seq "$copies"); do cat "$work/noise.mp3"; done > "$work/big.mp3"
  rm -f "$work/noise.wav" "$work/noise.mp3"
fi
size=$(stat -c %s "$work/big.mp3")
cd "$work"

# ms COMMAND...: the wall time of one run of COMMAND in milliseconds.
ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
least() { if [ -z "$1" ] || [ "$2" -lt "$1" ]; then echo "$2"; else echo "$1"; fi; }
seconds() { awk -v ms="$1" 'BEGIN { printf "%.3f", ms / 1000 }'; }

# The pieces to join: one cut first.
rm -rf cut && mkdir cut
"$tandrel" cut big.mp3 --parts 10 -q -o cut >/dev/null
ls cut/*.mp3 > pieces.txt
[ "$(wc -l < pieces.txt)" -eq 10 ] || { echo "the cut did not make 10 pieces" >&2; exit 1; }
mapfile -t pieces < pieces.txt

# Rounds of all four, each keeping its least time: runs on this kind of machine vary by a fifth
# from one to the next, and drift over a minute, so the four are timed side by side.
cut='' split='' join='' catted=''
for _ in $(seq "${TANDREL_BENCH_ROUNDS:-9}"); do
  rm -rf again split && mkdir again split
  cut=$(least "$cut" "$(ms "$tandrel" cut big.mp3 --parts 10 -q -o again)")
  split=$(least "$split" "$(ms split -n 10 big.mp3 split/x)")
  rm -f joined.mp3 catted.mp3
  join=$(least "$join" "$(ms "$tandrel" join -q -o joined.mp3 "${pieces[@]}")")
  catted=$(least "$catted" "$(ms sh -c 'cat "$@" > catted.mp3' sh "${pieces[@]}")")
done
cut=$(seconds "$cut") split=$(seconds "$split") join=$(seconds "$join") catted=$(seconds "$catted")
cmp -s catted.mp3 big.mp3 || echo "note: the pieces put end to end differ from the source" >&2
# The join puts an info frame in front of frames that have none, so it may be a frame longer.
joined=$(stat -c %s joined.mp3)

rm -rf cut && mkdir cut
/usr/bin/time -v -o time.txt "$tandrel" cut big.mp3 --parts 10 -q -o cut >/dev/null 2>&1
rss=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' time.txt)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
echo "source: $size bytes on $(df --output=fstype "$work" | tail -1) ($work)"
printf '%-34s %8s s\n' "tandrel cut --parts 10" "$cut" "split -n 10" "$split" \
  "tandrel join (10 pieces)" "$join" "cat (10 pieces)" "$catted"
echo "cut / split: $(ratio "$cut" "$split")    join / cat: $(ratio "$join" "$catted")"
echo "joined: $joined bytes, $((joined - size)) more than the source"
echo "peak RSS of the cut: $rss KiB"
