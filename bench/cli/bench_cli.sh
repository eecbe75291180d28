#!/usr/bin/env bash
# clipforge-cli's default PSP item (the first item of the first PSP device
# profile: MPEG-4 320x240 at 768 kbit/s, MP4 and thumbnail) on a 20-second
# 640x480 clip, against
#  - plain ffmpeg doing the same two steps with the same options (target: at
#    most 1.03 times its wall time, median of the pairs; peak memory within
#    30 MiB of it), and
#  - HandBrakeCLI encoding the same clip to the same size, codec and rates
#    (target: at most 1.30 times its wall time; the PSP item spends more on
#    each frame for its picture quality). Debian's handbrake-cli is installed
#    when missing.
# Whole-process wall time, CPU time and peak memory. Run on demand:
#   bench/cli/bench_cli.sh [--json FILE] [path/to/program-folder] [pairs]
# --json FILE also writes both comparisons' figures there, as one object
# keyed by the anchor's name (see common/compare.py).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
json_file=
if [[ ${1:-} == --json ]]; then
  json_file=$2
  shift 2
fi
app=${1:-$here/../../build/app}
pairs=${2:-5}
[[ -x $app/clipforge-cli ]] || { echo "clipforge-cli not found in $app (build it first)" >&2; exit 1; }
ffmpeg=${CLIPFORGE_FFMPEG:-$(command -v ffmpeg)}

if ! command -v HandBrakeCLI >/dev/null; then
  echo "Installing HandBrakeCLI (Debian package handbrake-cli)..."
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" apt-get install -y handbrake-cli ||
    { "${sudo[@]}" apt-get update && "${sudo[@]}" apt-get install -y handbrake-cli; }
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Batches share the program folder's temporary files: use a copy.
cp -a "$app" "$work/app"
echo "Generating a 20-second 640x480 clip..."
"$ffmpeg" -nostdin -v error -y -f lavfi -i testsrc2=size=640x480:rate=25:duration=20 \
  -f lavfi -i sine=frequency=440:sample_rate=44100:duration=20 -ac 2 \
  -c:v mpeg4 -q:v 3 -c:a aac -b:a 128k -shortest "$work/clip.mp4"

json() { python3 -c 'import json, sys; print(json.dumps(sys.argv[1:]))' "$@"; }
# What cores/psp.sh asks of avcore.dll for "mpeg4 320x240 768", in today's words.
fit='scale=trunc(iw*sar/2)*2:ih,setsar=1,scale=320:240:force_original_aspect_ratio=decrease'
fit+=':force_divisible_by=2,pad=320:240:(ow-iw)/2:(oh-ih)/2,setsar=1'
thumb='thumbnail,scale=160:120:force_original_aspect_ratio=decrease:force_divisible_by=2'
thumb+=',pad=160:120:(ow-iw)/2:(oh-ih)/2,setsar=1'
cli=$(json "$work/app/clipforge-cli" --format mp4 --device 0 --item 0 \
  --output "$work/cli{run}" "$work/clip.mp4")
plain=$(json sh -c '"$0" -nostdin -v error -y -i "$1" -f psp -c:v mpeg4 -bf 0 -g 300 -mbd rd \
  -trellis 1 -cmp 2 -subcmp 2 -flags +mv4 -qmin 3 -b:v 672k -maxrate 672k -bufsize 192k \
  -ar 24000 \
  -b:a 96k -pix_fmt yuv420p -vf "$2" -r 30000/1001 \
  -c:a aac -ac 2 -metadata title=clip "$4.MP4" &&
  "$0" -nostdin -v error -y -i "$4.MP4" -an -vf "$3" -frames:v 1 -pix_fmt yuvj420p -q:v 3 \
  -f mjpeg "$4.THM"' "$ffmpeg" "$work/clip.mp4" "$fit" "$thumb" "$work/plain{run}")
handbrake=$(json HandBrakeCLI -i "$work/clip.mp4" -o "$work/handbrake{run}.mp4" -f av_mp4 \
  -e mpeg4 -b 672 -w 320 -l 240 --crop 0:0:0:0 --non-anamorphic -r 29.97 --cfr \
  -E av_aac -B 96 -R 24 -6 stereo)

echo "clipforge-cli against plain ffmpeg (target: ratio at most 1.03, memory within 30 MiB)"
python3 "$here/../common/compare.py" --json "$work/ffmpeg.json" "$pairs" clipforge-cli ffmpeg \
  "$cli" "$plain"
echo "clipforge-cli against HandBrakeCLI (target: ratio at most 1.30)"
python3 "$here/../common/compare.py" --json "$work/handbrake.json" "$pairs" clipforge-cli \
  HandBrakeCLI "$cli" "$handbrake"
if [[ -n $json_file ]]; then
  python3 -c 'import json, sys
figures = {"ffmpeg": json.load(open(sys.argv[2])),
           "HandBrakeCLI": json.load(open(sys.argv[3]))}
json.dump(figures, open(sys.argv[1], "w"), indent=1)' \
    "$json_file" "$work/ffmpeg.json" "$work/handbrake.json"
fi
