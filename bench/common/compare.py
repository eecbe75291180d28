"""Times two commands against each other: alternating runs, wall time, CPU
time and peak memory, ratios of the first to the second (the anchor).

    compare.py [--json FILE] PAIRS NAME_A NAME_B JSON_A JSON_B

JSON_A and JSON_B are argument vectors as JSON arrays; "{run}" in any
argument becomes the run's number, so each run can write a fresh output.
With --json the figures are also written to FILE as one JSON object.
"""
import json, os, statistics, subprocess, sys, threading, time


def own_peak_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def run(command):
    """Wall seconds, CPU seconds and peak KiB: the largest process of the
    tree, plus the command's own peak when a descendant was the largest
    (both run at once)."""
    start = time.monotonic()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    own = [0]
    done = threading.Event()

    def sample():
        while not done.wait(0.05):
            own[0] = own_peak_kib(process.pid) or own[0]

    sampler = threading.Thread(target=sample)
    sampler.start()
    # wait4 blocks without polling, so the wall time is not rounded up.
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - start
    done.set()
    sampler.join()
    if status != 0:
        sys.exit(f"failed: {' '.join(command)}")
    # A reaped child's usage covers it and the descendants it waited for.
    cpu = usage.ru_utime + usage.ru_stime
    tree = usage.ru_maxrss
    return wall, cpu, tree + own[0] if own[0] < tree else tree


def main():
    args = sys.argv[1:]
    json_file = None
    if args[:1] == ["--json"]:
        json_file, args = args[1], args[2:]
    pairs, name_a, name_b = int(args[0]), args[1], args[2]
    commands = {name_a: json.loads(args[3]), name_b: json.loads(args[4])}
    timings = {name_a: [], name_b: []}
    cpus = {name_a: [], name_b: []}
    peaks = {name_a: 0, name_b: 0}
    for i in range(pairs):
        order = [name_a, name_b] if i % 2 == 0 else [name_b, name_a]
        for name in order:
            command = [arg.replace("{run}", str(i)) for arg in commands[name]]
            wall, cpu, peak = run(command)
            timings[name].append(wall)
            cpus[name].append(cpu)
            peaks[name] = max(peaks[name], peak)
            print(f"  run {i + 1} {name:14s} {wall:6.2f} s", flush=True)

    a, b = statistics.median(timings[name_a]), statistics.median(timings[name_b])
    # Each pair ran back to back, so its ratio cancels slow drifts of the
    # machine; the fastest runs show the cost with the least interference.
    pair_ratios = [x / y for x, y in zip(timings[name_a], timings[name_b])]
    pair_ratio = statistics.median(pair_ratios)
    best_ratio = min(timings[name_a]) / min(timings[name_b])
    # CPU time hardly depends on what else the machine runs: when it agrees
    # with the wall ratio, the wall ratio is not the neighbours' doing.
    cpu_a, cpu_b = statistics.median(cpus[name_a]), statistics.median(cpus[name_b])
    print(f"median wall time: {name_a} {a:.2f} s, {name_b} {b:.2f} s")
    print(f"wall-time ratio {name_a}/{name_b}: {pair_ratio:.3f} median of pairs, "
          f"{best_ratio:.3f} fastest runs")
    print(f"median CPU time: {name_a} {cpu_a:.2f} s, {name_b} {cpu_b:.2f} s "
          f"(ratio {cpu_a / cpu_b:.3f})")
    print(f"peak memory: {name_a} {peaks[name_a] / 1024:.1f} MiB, "
          f"{name_b} {peaks[name_b] / 1024:.1f} MiB")
    if json_file:
        figures = {
            "names": [name_a, name_b],
            "pairs": pairs,
            "wall_s": timings,
            "cpu_s": cpus,
            "median_wall_s": {name_a: a, name_b: b},
            "median_cpu_s": {name_a: cpu_a, name_b: cpu_b},
            "peak_mib": {name: kib / 1024 for name, kib in peaks.items()},
            "pair_ratios": pair_ratios,
            "ratio": pair_ratio,
            "fastest_ratio": best_ratio,
            "cpu_ratio": cpu_a / cpu_b,
        }
        with open(json_file, "w") as out:
            json.dump(figures, out, indent=1)


main()
