#!/usr/bin/env bash
# Makes the seed inputs of the fuzz targets in corpus/<target>/ with sox, lame and python3.
# The files are committed; rerun only to change them. Everything stays a few KiB.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

frames="$here/corpus/fuzz_frame_reader"
xing="$here/corpus/fuzz_xing_header"
wave="$here/corpus/fuzz_wave_header"
rm -rf "$frames" "$xing" "$wave"
mkdir -p "$frames" "$xing" "$wave"

tone() {  # tone <rate> <channels> <seconds> <out.wav>
  sox -D -n -r "$1" -c "$2" -b 16 "$4" synth "$3" sine 440
}

tone 44100 2 0.25 "$work/stereo.wav"
tone 44100 1 0.25 "$work/mono.wav"
tone 22050 1 0.25 "$work/mono22.wav"
tone 48000 2 0.1 "$work/stereo48.wav"

# Streams whose first frame is an info frame: "Info" for constant, "Xing" for variable bit rate.
lame --quiet --cbr -b 64 --resample 44.1 "$work/stereo.wav" "$frames/cbr_info_tag.mp3"
lame --quiet -V 9 --resample 44.1 "$work/mono.wav" "$frames/vbr_xing_mono.mp3"
lame --quiet --cbr -b 64 --resample 22.05 "$work/mono22.wav" "$frames/mpeg2_mono_22khz.mp3"
lame --quiet --cbr -b 128 -t "$work/stereo48.wav" "$frames/cbr_48khz_no_tag.mp3"
lame --quiet --cbr -b 64 --resample 44.1 --id3v2-only --tt "seed" "$work/stereo.wav" "$frames/id3v2_tag.mp3"

# The start of each info frame (what the callers hand over, at most 196 bytes), then a seek
# percentage as a little-endian float.
with_percent() {  # with_percent <mp3> <float bytes> <out>
  { head -c 196 "$1"; printf '%b' "$2"; } >"$3"
}
with_percent "$frames/cbr_info_tag.mp3" '\x00\x00\x16\x42' "$xing/info_stereo_37_5.bin"
with_percent "$frames/vbr_xing_mono.mp3" '\x00\x00\xc8\x42' "$xing/xing_mono_100.bin"
with_percent "$frames/mpeg2_mono_22khz.mp3" '\x00\x00\x00\x00' "$xing/info_mpeg2_mono_0.bin"

sox -D -n -r 8000 -c 1 -b 8 "$wave/canonical_u8.wav" synth 0.002 sine 440
sox -D -n -r 8000 -c 1 -e a-law "$wave/fmt18_fact.wav" synth 0.002 sine 440
sox -D -n -r 8000 -c 3 -b 16 "$wave/extensible_3ch.wav" synth 0.001 sine 440
# A LIST chunk of odd size (pad byte) between fmt and data, as encoders write their name there.
python3 - "$wave/list_odd_chunk.wav" <<'PY'
import struct, sys
fmt = struct.pack("<HHIIHH", 1, 1, 8000, 16000, 2, 16)
info = b"INFO" + b"ISFT" + struct.pack("<I", 5) + b"tone\0" + b"\0"
lst = b"LIST" + struct.pack("<I", len(info) - 1) + info
data = bytes(range(16))
body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + lst + b"data" + struct.pack("<I", len(data)) + data
open(sys.argv[1], "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY

du -cb "$frames" "$xing" "$wave" | tail -1
