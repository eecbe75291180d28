#!/bin/sh
# One video the PSP plays, with its thumbnail, for the PSP device profiles:
#
#   psp.sh mpeg4|avc WIDTHxHEIGHT KBITS INPUT OUTPUT TITLE
#
# writes OUTPUT.MP4 and OUTPUT.THM (OUTPUT is a path without extension) in
# the psp container at 29.97 fps, titled TITLE, with a 160x120 JPEG thumbnail.
# mpeg4 is MPEG-4 Simple Profile without B-frames and AAC-LC 24 kHz, which
# every system software plays (320x240, at most 768 kbit/s). avc is AVC within
# what the console's decoder takes (system software 2.0 or later, 3.30 for
# 480x272): Main profile, level 2.1 up to 76,800 pixels and 3.0 above, at most
# 2 reference frames, 1 B-frame without pyramid, no weighted P prediction, one
# slice per picture; AAC-LC 48 kHz. The file names are data: they reach
# avcore.dll as arguments, never as shell text.
set -e

fail() {
    echo "Error: $1" >&2
    exit 1
}

# A name fit for one error line.
shown() { printf '%s' "$1" | tr '\n\r' '??'; }

[ $# -eq 6 ] || fail "usage: psp.sh mpeg4|avc WIDTHxHEIGHT KBITS INPUT OUTPUT TITLE"
codec=$1 size=$2 kbits=$3 input=$4 output=$5 title=$6
case $0 in
    */*) avcore=${0%/*}/../avcore.dll ;;
    *) avcore=../avcore.dll ;;
esac

width=${size%%x*} height=${size#*x}
case $size in
    [1-9]*x[1-9]*) ;;
    *) fail "picture size $size is not WIDTHxHEIGHT" ;;
esac
case $width$height in
    *[!0-9]*) fail "picture size $size is not WIDTHxHEIGHT" ;;
esac
case $kbits in
    '' | *[!0-9]* | 0*) fail "video bit rate $kbits is not a number of kbit/s" ;;
esac

case $codec in
    mpeg4)
        if [ "$size" != 320x240 ] || [ "$kbits" -gt 768 ]; then
            fail "MPEG-4 video for the PSP is 320x240 at up to 768 kbit/s, not $size at $kbits"
        fi
        # Simple Profile's tools that pay (rate-distortion macroblock
        # decision, trellis, four motion vectors, SATD comparison) and a key
        # frame every ten seconds. This encoder's rate control overshoots
        # its average on detailed pictures and leaks a large buffer: it aims
        # at 7/8 of the ceiling through a buffer of a quarter second, so that
        # rate plus buffer stay within 1.25 times the ceiling and a short
        # clip's start does not lift its average above it. The finest
        # quantiser 2 costs more bits than it shows; 3 leaves them to harder
        # frames.
        rate=$((kbits * 7 / 8))
        set -- -vcodec mpeg4 -bf 0 -g 300 -mbd rd -trellis 1 -cmp 2 -subcmp 2 -flags +mv4 \
            -qmin 3 -b "$rate" -maxrate "${rate}k" -bufsize "$((kbits / 4))k" -ar 24000 \
            -ab 96
        ;;
    avc)
        if [ "$width" -gt 480 ] || [ "$height" -gt 272 ]; then
            fail "AVC video for the PSP is at most 480x272, not $size"
        fi
        # The buffer holds every second within 1.25 times the item's rate,
        # far inside the levels' limits (4 and 10 Mbit/s).
        level=30
        [ $((width * height)) -gt 76800 ] || level=21
        set -- -vcodec h264 -profile:v main -level "$level" \
            -x264-params ref=2:bframes=1:b-pyramid=none:weightp=0:slices=1 \
            -b "$((kbits * 19 / 20))" -maxrate "${kbits}k" -bufsize "$((kbits / 4))k" \
            -ar 48000 -ab 128
        ;;
    *) fail "unknown codec $codec (mpeg4 or avc)" ;;
esac

# Checked before the encode, which may take long: nothing is replaced.
for file in "$output.MP4" "$output.THM"; do
    if [ -e "$file" ] || [ -L "$file" ]; then
        fail "$(shown "${file##*/}") already exists in the output folder and is left untouched"
    fi
done

# The picture scaled into the frame with square pixels, borders around it.
fit="scale=trunc(iw*sar/2)*2:ih,setsar=1,scale=$width:$height:force_original_aspect_ratio=decrease"
fit="$fit:force_divisible_by=2,pad=$width:$height:(ow-iw)/2:(oh-ih)/2,setsar=1"
thumb="thumbnail,scale=160:120:force_original_aspect_ratio=decrease:force_divisible_by=2"
thumb="$thumb,pad=160:120:(ow-iw)/2:(oh-ih)/2,setsar=1"

# avcore.dll adds a silent sound track when the input has none: the console
# shows no video without one.
"$avcore" -i "$input" -f psp "$@" -pix_fmt yuv420p -vf "$fit" -r 30000/1001 -acodec aac -ac 2 \
    -metadata "title=$title" "$output.MP4"
exec "$avcore" -i "$output.MP4" -an -vf "$thumb" -vframes 1 -pix_fmt yuvj420p -q:v 3 \
    -f mjpeg "$output.THM"
