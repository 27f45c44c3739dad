#!/usr/bin/env bash
# Times the engine's cuts and joins beside plain copying of the same bytes, page cache warm,
# and reports each operation's peak memory above the process's baseline.
#
#   bench/operations.sh [BUILD_DIR]     (default: build/default)
#
# The corpus (about 2.5 GB) is made once with sox and lame under $TANDREL_BENCH_DIR
# (default: /tmp/tandrel-bench) and reused.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
driver=$build/bench/bench_operation
corpus=${TANDREL_BENCH_DIR:-/tmp/tandrel-bench}
runs=${RUNS:-5}
[ -x "$driver" ] || { echo "build $driver first (cmake --build --preset default)" >&2; exit 1; }
for tool in sox lame split /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
mkdir -p "$corpus"
cd "$corpus"

# --- corpus ----------------------------------------------------------------------------------
if [ ! -f big.mp3 ]; then
  echo "making the corpus in $corpus ..." >&2
  sox -n -r 44100 -c 2 -b 16 tone.wav synth 600 pinknoise vol 0.3 2>/dev/null
  lame --quiet --cbr -b 128 tone.wav tone.mp3                # 10 minutes, about 9.6 MB
  # 60 copies of the frames: about 576 MB, 10 hours at 128 kbit/s.
  for i in $(seq 60); do cat tone.mp3; done > big.mp3
  # 635 MB of 44.1 kHz 16-bit stereo: one canonical header, the same samples repeated.
  sox tone.wav -t raw - 2>/dev/null > tone.raw
  for i in $(seq 6); do cat tone.raw; done | head -c 635000000 > big.raw
  sox -t raw -r 44100 -c 2 -b 16 -e signed-integer big.raw big.wav 2>/dev/null
  rm -f big.raw tone.raw
  for i in $(seq 10); do head -c 57600000 big.mp3 > part_$i.mp3; done
  for i in $(seq 10); do
    sox big.wav part_$i.wav trim 0 $((63000000 / 176400)) 2>/dev/null
  done
fi

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
warm() { cat "$@" > /dev/null; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" > /dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l; }
peak_kb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

rm -rf out && mkdir out
baseline=$(peak_kb "$driver" noop)

sections() {  # ten equal sections of a file lasting $1 ms
  local total=$1 list="" k
  for k in $(seq 0 9); do
    local from=$((k * total / 10 + 1)) to=$(((k + 1) * total / 10))
    [ "$k" = 9 ] && to=-1
    list+="${list:+|}$from;$to;$corpus/out/piece_$k.$2"
  done
  echo "$list"
}
joinlist() { local list="" i; for i in $(seq 10); do list+="${list:+|}$corpus/part_$i.$1"; done; echo "$list"; }

bench() {  # name, limit command (string), engine args...
  local name=$1 limit=$2; shift 2
  local ours=() base=() i
  for i in $(seq "$runs"); do
    rm -rf out/*; sync -f . 2>/dev/null || true
    base+=("$(seconds bash -c "$limit")")
    rm -rf out/*
    ours+=("$(seconds "$driver" "$@")")
  done
  local mo mb peak
  mo=$(printf '%s\n' "${ours[@]}" | median)
  mb=$(printf '%s\n' "${base[@]}" | median)
  rm -rf out/*
  peak=$(peak_kb "$driver" "$@")
  printf '%-28s %8.3f s  %8.3f s  %6.2fx  %6d KB\n' "$name" "$mo" "$mb" "$(echo "$mo / $mb" | bc -l)" \
    $((peak - baseline))
}

mp3ms=$((60 * 600 * 1000))
wavms=$((635000000 / 176400 * 1000))
warm big.mp3 big.wav part_*.mp3 part_*.wav
printf '%-28s %10s  %10s  %7s  %s\n' operation engine limit ratio "peak memory above baseline"
bench "cut mp3, 10 sections" "split -n 10 big.mp3 out/x" \
  cut-time "$corpus/big.mp3" "$(sections $mp3ms mp3)" 10
bench "cut mp3, 10 size pieces" "split -n 10 big.mp3 out/x" \
  cut-size "$corpus/big.mp3" $(( $(stat -c %s big.mp3) / 10 + 1 )) "$corpus/out"
bench "cut wave, 10 sections" "split -n 10 big.wav out/x" \
  cut-time "$corpus/big.wav" "$(sections $wavms wav)" 10
bench "join 10 mp3" "cat part_*.mp3 > out/joined" join "$corpus/out/joined.mp3" "$(joinlist mp3)" 10
bench "join 10 wave" "cat part_*.wav > out/joined" join "$corpus/out/joined.wav" "$(joinlist wav)" 10
rm -rf out
