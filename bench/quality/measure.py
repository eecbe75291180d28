#!/usr/bin/env python3
"""What one encoded clip is worth against its source:

    measure.py OUTPUT SOURCE WIDTHxHEIGHT

prints one JSON object: the video's average bit rate and its busiest
one-second window (kbit/s, from the packets' sizes and times), and SSIM and
PSNR (all planes, ffmpeg's filters) against the source scaled to the same
size with the same scaler, frame by frame in time order."""
import json, re, subprocess, sys


def packets(path):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
         "packet=pts_time,dts_time,size", "-of", "csv=p=0", path],
        capture_output=True, text=True, check=True).stdout
    result = []
    for line in out.splitlines():
        fields = line.split(",")
        if len(fields) < 3:
            continue
        time = fields[0] if fields[0] not in ("", "N/A") else fields[1]
        result.append((float(time), int(fields[2])))
    return sorted(result)


def rates(path):
    items = packets(path)
    if len(items) < 2:
        return 0.0, 0.0
    step = (items[-1][0] - items[0][0]) / (len(items) - 1)
    duration = items[-1][0] - items[0][0] + step
    average = sum(size for _, size in items) * 8 / duration / 1000
    busiest, start, window = 0, 0, 0
    for end in range(len(items)):
        window += items[end][1]
        while items[end][0] - items[start][0] >= 1.0 - step / 2:
            window -= items[start][1]
            start += 1
        busiest = max(busiest, window)
    return average, busiest * 8 / 1000


def quality(path, source, size):
    width, height = size.split("x")
    graph = (f"[0:v]settb=1/30,setpts=N,format=yuv420p,setsar=1[a];"
             f"[1:v]scale={width}:{height}:flags=bicubic,settb=1/30,setpts=N,format=yuv420p,setsar=1[b];"
             "[a]split[a1][a2];[b]split[b1][b2];[a1][b1]ssim=shortest=1;[a2][b2]psnr=shortest=1")
    log = subprocess.run(
        ["ffmpeg", "-nostdin", "-hide_banner", "-i", path, "-i", source, "-lavfi", graph,
         "-f", "null", "-"], capture_output=True, text=True).stderr
    ssim = re.findall(r"SSIM .* All:([0-9.]+)", log)
    psnr = re.findall(r"PSNR .* average:([0-9.inf]+)", log)
    return float(ssim[-1]) if ssim else 0.0, float(psnr[-1]) if psnr else 0.0


def measure(output, source, size):
    average, busiest = rates(output)
    ssim, psnr = quality(output, source, size)
    return {"kbits": round(average, 1), "busiest": round(busiest, 1), "ssim": round(ssim, 5),
            "psnr": round(psnr, 3)}


def main():
    print(json.dumps(measure(*sys.argv[1:4])))


if __name__ == "__main__":
    main()
