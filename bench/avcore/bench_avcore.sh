#!/usr/bin/env bash
# avcore.dll against plain ffmpeg on the same PSP conversion: wall time, CPU
# time and peak memory, several alternating runs. Run on demand:
#   bench/avcore/bench_avcore.sh [--json FILE] [path/to/avcore.dll] [pairs]
# --json FILE also writes the figures there (see common/compare.py).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
json_option=()
if [[ ${1:-} == --json ]]; then
  json_option=(--json "$2")
  shift 2
fi
avcore=${1:-$here/../../build/app/avcore.dll}
pairs=${2:-5}
[[ -x $avcore ]] || { echo "avcore.dll not found at $avcore (build it first)" >&2; exit 1; }
ffmpeg=${CLIPFORGE_FFMPEG:-$(command -v ffmpeg)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Generating a 20-second 640x480 clip..."
"$ffmpeg" -nostdin -v error -y -f lavfi -i testsrc2=size=640x480:rate=25:duration=20 \
  -f lavfi -i sine=frequency=440:sample_rate=44100:duration=20 -ac 2 \
  -c:v mpeg4 -q:v 3 -c:a aac -b:a 128k -shortest "$work/clip.mp4"

clip=$work/clip.mp4
# The PSP profile's options in the converter's dialect, in the order the
# converter composes them, and the same in today's.
legacy=$(python3 -c 'import json, sys; print(json.dumps(sys.argv[1:]))' "$avcore" \
  -i "$clip" -y -f psp -vcodec h264 -s 320x240 -b 768k -r 29.97 -acodec aac -ac 2 -ab 128 \
  -ar 48000 "$work/avcore.mp4")
modern=$(python3 -c 'import json, sys; print(json.dumps(sys.argv[1:]))' "$ffmpeg" \
  -nostdin -y -i "$clip" -c:v libx264 -b:v 768k -s 320x240 -r 29.97 -c:a aac -b:a 128k \
  -ar 48000 -ac 2 -f psp "$work/ffmpeg.mp4")
python3 "$here/../common/compare.py" "${json_option[@]}" "$pairs" avcore.dll ffmpeg \
  "$legacy" "$modern"
