#!/usr/bin/env python3
"""The output parser's share of a conversion's CPU time.

clipforge-cli converts a 20-second 640x480 clip with its default PSP item;
the CPU time of its whole process tree (front, script, avcore.dll, ffmpeg)
is the conversion's. The item's script, run on its own as the batch runs it,
gives the console text the parser reads, saved in the chunks it arrived in.
bench_parser then times the real parser over exactly that text, and a plain
line split of it as the anchor. Run on demand:

    bench/parser/parser_share.py [--json FILE] [--runs N] [build folder]

--runs: conversions timed through clipforge-cli (median; default 3).
--json FILE also writes the figures there.
"""
import argparse, json, os, selectors, shutil, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))


def make_clip(path):
    ffmpeg = os.environ.get("CLIPFORGE_FFMPEG") or shutil.which("ffmpeg")
    subprocess.run([ffmpeg, "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                    "testsrc2=size=640x480:rate=25:duration=20", "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=44100:duration=20", "-ac", "2",
                    "-c:v", "mpeg4", "-q:v", "3", "-c:a", "aac", "-b:a", "128k", "-shortest",
                    path], check=True)


def tree_cpu(command, **popen):
    """Runs command to its end; its wall seconds and the CPU seconds of it and
    every descendant it waited for."""
    start = time.monotonic()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, **popen)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    if status != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return time.monotonic() - start, usage.ru_utime + usage.ru_stime


def capture(command, cwd):
    """Runs command with both output streams read as the batch runner reads
    them: whatever either holds, as it comes. The chunks in arrival order and
    the CPU seconds of the process tree."""
    process = subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    chunks = []
    with selectors.DefaultSelector() as selector:
        for stream in (process.stdout, process.stderr):
            selector.register(stream.fileno(), selectors.EVENT_READ)
        open_streams = 2
        while open_streams:
            for key, _ in selector.select():
                data = os.read(key.fd, 1 << 16)
                if data:
                    chunks.append(data)
                else:
                    selector.unregister(key.fd)
                    open_streams -= 1
    process.stdout.close()
    process.stderr.close()
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    if status != 0:
        sys.stderr.buffer.write(b"".join(chunks)[-2000:])
        sys.exit(f"failed: {' '.join(command)}")
    return chunks, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--json")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("build", nargs="?", default=os.path.join(HERE, "..", "..", "build"))
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    bench_parser = os.path.join(build, "bench", "parser", "bench_parser")
    for program in (os.path.join(build, "app", "clipforge-cli"), bench_parser):
        if not os.access(program, os.X_OK):
            sys.exit(f"{program} not found (build it first)")

    work = tempfile.mkdtemp()
    try:
        # Batches share the program folder's temporary files: use a copy.
        app = os.path.join(work, "app")
        shutil.copytree(os.path.join(build, "app"), app, symlinks=True)
        cli = os.path.join(app, "clipforge-cli")
        clip = os.path.join(work, "clip.mp4")
        print("Generating a 20-second 640x480 clip...", flush=True)
        make_clip(clip)
        item = ["--format", "mp4", "--device", "0", "--item", "0"]

        cpus = []
        for run in range(options.runs):
            wall, cpu = tree_cpu([cli, *item, "--output", os.path.join(work, f"cli{run}"), clip])
            cpus.append(cpu)
            print(f"  conversion {run + 1}: {wall:.2f} s wall, {cpu:.2f} s CPU", flush=True)
        conversion_cpu = statistics.median(cpus)

        # The same item's script, as the batch would run it.
        captured = os.path.join(work, "captured")
        os.mkdir(captured)
        script = subprocess.run([cli, *item, "--print-command", "--output", captured, clip],
                                check=True, capture_output=True, text=True).stdout
        script_file = os.path.join(work, "script.sh")
        with open(script_file, "w") as out:
            out.write(script)
        chunks, script_cpu = capture(["/bin/sh", script_file], cwd=app)
        text_file = os.path.join(work, "console.txt")
        with open(text_file, "wb") as out:
            out.write(b"".join(chunks))
        with open(text_file + ".chunks", "w") as out:
            out.write("".join(f"{len(chunk)}\n" for chunk in chunks))
        print(f"  console text of the item's script: {sum(map(len, chunks))} bytes in "
              f"{len(chunks)} chunks, the script alone {script_cpu:.2f} s CPU", flush=True)

        timed = os.path.join(work, "parser.json")
        subprocess.run([bench_parser, "--json", timed, "--console", text_file], check=True)
        with open(timed) as figures_in:
            figures = json.load(figures_in)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    share = figures["parser_cpu_ms"] / (conversion_cpu * 1000)
    split_share = figures["split_cpu_ms"] / (conversion_cpu * 1000)
    print(f"conversion through clipforge-cli: {conversion_cpu:.2f} s CPU "
          f"(median of {options.runs})")
    print(f"parser's share of it:     {share * 100:.4f} % ({figures['parser_cpu_ms']:.3f} ms)")
    print(f"line split's share of it: {split_share * 100:.4f} % "
          f"({figures['split_cpu_ms']:.3f} ms)")
    if options.json:
        figures.update({
            "runs": options.runs,
            "conversion_cpu_s": cpus,
            "median_conversion_cpu_s": conversion_cpu,
            "script_cpu_s": script_cpu,
            "parser_share": share,
            "split_share": split_share,
        })
        with open(options.json, "w") as out:
            json.dump(figures, out, indent=1)


main()
