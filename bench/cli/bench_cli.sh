#!/usr/bin/env bash
# clipforge-cli's PSP conversion (first item of the first PSP device profile:
# MP4 and thumbnail) against plain ffmpeg doing the same two steps with
# today's options: whole-process wall time and peak memory. Run on demand:
#   bench/cli/bench_cli.sh [path/to/program-folder] [pairs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
app=${1:-$here/../../build/app}
pairs=${2:-5}
[[ -x $app/clipforge-cli ]] || { echo "clipforge-cli not found in $app (build it first)" >&2; exit 1; }
ffmpeg=${CLIPFORGE_FFMPEG:-$(command -v ffmpeg)}
command -v HandBrakeCLI >/dev/null && echo "note: HandBrakeCLI is installed but not compared here"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Batches share the program folder's temporary files: use a copy.
cp -a "$app" "$work/app"
echo "Generating a 20-second 640x480 clip..."
"$ffmpeg" -nostdin -v error -y -f lavfi -i testsrc2=size=640x480:rate=25:duration=20 \
  -f lavfi -i sine=frequency=440:sample_rate=44100:duration=20 -ac 2 \
  -c:v mpeg4 -q:v 3 -c:a aac -b:a 128k -shortest "$work/clip.mp4"

json() { python3 -c 'import json, sys; print(json.dumps(sys.argv[1:]))' "$@"; }
scale='scale=320:240:force_original_aspect_ratio=decrease:force_divisible_by=2,pad=320:240:(ow-iw)/2:(oh-ih)/2,setsar=1'
thumb='thumbnail,scale=160:120:force_original_aspect_ratio=decrease:force_divisible_by=2,pad=160:120:(ow-iw)/2:(oh-ih)/2,setsar=1'
cli=$(json "$work/app/clipforge-cli" --format mp4 --device 0 --item 0 \
  --output "$work/cli{run}" "$work/clip.mp4")
plain=$(json sh -c '"$0" -nostdin -v error -y -i "$1" -c:v libx264 -profile:v main -level 30 \
  -pix_fmt yuv420p -vf "$2" -r 30000/1001 -b:v 768k -maxrate 1536k -bufsize 1536k \
  -c:a aac -b:a 128k -ar 48000 -ac 2 -f psp "$4.MP4" &&
  "$0" -nostdin -v error -y -i "$4.MP4" -an -vf "$3" -frames:v 1 -pix_fmt yuvj420p -q:v 3 \
  -f mjpeg "$4.THM"' "$ffmpeg" "$work/clip.mp4" "$scale" "$thumb" "$work/plain{run}")
python3 "$here/../common/compare.py" "$pairs" clipforge-cli ffmpeg "$cli" "$plain"
