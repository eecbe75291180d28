#!/usr/bin/env bash
# avcore.dll against plain ffmpeg on the same PSP conversion: wall time and
# peak memory, several alternating runs. Run on demand:
#   bench/avcore/bench_avcore.sh [path/to/avcore.dll] [pairs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
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

python3 - "$avcore" "$ffmpeg" "$work" "$pairs" <<'PY'
import os, statistics, subprocess, sys, threading, time

avcore, ffmpeg, work, pairs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
clip = os.path.join(work, "clip.mp4")
# The PSP profile's options in the converter's dialect, in the order the
# converter composes them, and the same in today's.
legacy = ["-i", clip, "-y", "-f", "psp", "-vcodec", "h264", "-s", "320x240", "-b", "768k",
          "-r", "29.97", "-acodec", "aac", "-ac", "2", "-ab", "128", "-ar", "48000"]
modern = ["-nostdin", "-y", "-i", clip, "-c:v", "libx264", "-b:v", "768k", "-s", "320x240",
          "-r", "29.97", "-c:a", "aac", "-b:a", "128k", "-ar", "48000", "-ac", "2", "-f", "psp"]

def own_peak_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None

def run(command, sample_own):
    """Wall seconds and peak KiB: the process's own peak plus its largest child's."""
    start = time.monotonic()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    own = [0]
    done = threading.Event()

    def sample():
        while not done.wait(0.05):
            own[0] = own_peak_kib(process.pid) or own[0]

    sampler = threading.Thread(target=sample)
    if sample_own:
        sampler.start()
    # wait4 blocks without polling, so the wall time is not rounded up.
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    done.set()
    if sample_own:
        sampler.join()
    process.returncode = os.waitstatus_to_exitcode(status)
    if status != 0:
        sys.exit(f"failed: {' '.join(command)}")
    # A reaped child's ru_maxrss is the largest of it and its descendants: for
    # avcore that is ffmpeg's peak, to which avcore's own is added.
    return wall, usage.ru_maxrss + own[0]

timings = {"avcore": [], "ffmpeg": []}
peaks = {"avcore": 0, "ffmpeg": 0}
for i in range(pairs):
    order = ["avcore", "ffmpeg"] if i % 2 == 0 else ["ffmpeg", "avcore"]
    for name in order:
        out = os.path.join(work, f"{name}.mp4")
        if name == "avcore":
            wall, peak = run([avcore] + legacy + [out], True)
        else:
            wall, peak = run([ffmpeg] + modern + [out], False)
        timings[name].append(wall)
        peaks[name] = max(peaks[name], peak)
        print(f"  run {i + 1} {name:7s} {wall:6.2f} s", flush=True)

a, f = statistics.median(timings["avcore"]), statistics.median(timings["ffmpeg"])
# Each pair ran back to back, so its ratio cancels slow drifts of the machine;
# the fastest runs show the cost with the least interference.
pair_ratio = statistics.median(x / y for x, y in zip(timings["avcore"], timings["ffmpeg"]))
best_ratio = min(timings["avcore"]) / min(timings["ffmpeg"])
print(f"median wall time: avcore {a:.2f} s, ffmpeg {f:.2f} s")
print(f"wall-time ratio avcore/ffmpeg: {pair_ratio:.3f} median of pairs, "
      f"{best_ratio:.3f} fastest runs (target at most 1.03)")
print(f"peak memory: avcore+ffmpeg {peaks['avcore'] / 1024:.1f} MiB, "
      f"ffmpeg alone {peaks['ffmpeg'] / 1024:.1f} MiB")
PY
