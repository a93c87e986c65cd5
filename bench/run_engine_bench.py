#!/usr/bin/env python3
"""Times the engine against the floor on generated documents.

    run_engine_bench.py --engine PATH [--cli PATH] [--floor-src FILE] [--gen FILE]
                        [--cache DIR] [--repeat R] [--gnu-time] [--track-changes] [SIZES...]

For each size (1k, 10k, 100k, 1m or a plain number of words) it generates the
document once into the cache folder, runs one untimed pass of each program,
then runs the engine driver and the floor alternately R times, each as a whole
process, and prints a Markdown table of medians against the goals. In the same
run it times the driver walking every story (--stories all) against the main
story alone, on the generated document and on one with notes, a header, a
footer, comments and text boxes added (add_stories.py).
With --track-changes the same pass saving its changes as revisions runs
alternately with them too, and a further table sets it against the plain pass.
With --cli the command line runs the same pass in turn with them, and a
further table sets it against the engine driver.
"""
import filecmp
import argparse
import hashlib
import os
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

DEFAULT_SIZES = ["1k", "10k", "100k", "1m"]
MAIN_PART = "word/document.xml"
MB = 1024 * 1024
# The engine against the floor, whole process: at most 2x at 1k words, 1.5x at
# 10k, and no slower than the floor from 100k up.
TIME_GOALS = ((100_000, 1.0), (10_000, 1.5), (0, 2.0))
LARGE_WORDS = 100_000
MEMORY_GOAL = 10.0
MEMORY_GOAL_1M = 6.0  # peak RSS over the inflated main part at a million words
SIZE_GOAL = 1.05  # the changed main part's compressed size over zlib level 6's
LINEAR_SLACK = 1.25  # allowed rise of the cost per main-part byte from one size to the next
STORIES_GOAL = 1.2  # every story walked against the main story alone, whole process
TRACKED_GOAL = 1.2  # the pass with --track-changes over the plain pass
CLI_GOAL = 1.05  # the command line over the engine driver, from 100k words up
CLI_SUMMARY = "1 changed, 0 unchanged, 0 protected, 0 failed"


def word_count(size):
    text = size.lower()
    scale = {"k": 1000, "m": 1_000_000}.get(text[-1:], 1)
    digits = text[:-1] if scale > 1 else text
    if not digits.isdigit() or int(digits) == 0:
        sys.exit(f"run_engine_bench: size \"{size}\" is not a word count like 1k, 10k, 1m or 5000")
    return int(digits) * scale


def default_repeat(words):
    return 5 if words > LARGE_WORDS else 11


def generated_document(gen, cache, size):
    """The document for one size, generated once per version of the generator."""
    with open(gen, "rb") as script:
        tag = hashlib.sha256(script.read()).hexdigest()[:10]
    path = os.path.join(cache, f"doc-{size}-{tag}.docx")
    if not os.path.exists(path):
        partial = path + ".partial"
        subprocess.run([sys.executable, gen, "--words", size, "-o", partial], check=True,
                       stderr=subprocess.DEVNULL)
        os.replace(partial, path)
    return path


def with_stories(document):
    """The document with the other stories added, made once next to it."""
    path = document.replace(".docx", "-stories.docx")
    if not os.path.exists(path):
        here = os.path.dirname(os.path.abspath(__file__))
        subprocess.run([sys.executable, os.path.join(here, "add_stories.py"), document,
                        path + ".partial"], check=True)
        os.replace(path + ".partial", path)
    return path


def main_part_info(path):
    try:
        with zipfile.ZipFile(path) as package:
            return package.getinfo(MAIN_PART)
    except (OSError, KeyError, zipfile.BadZipFile) as error:
        sys.exit(f"run_engine_bench: {path}: cannot read {MAIN_PART}: {error}")


def main_part_size(path):
    return main_part_info(path).file_size


class Runner:
    """Runs one whole process under a timing parent and returns its wall time (ms) and peak
    RSS (KiB). The parent is measure_process by default: wall time to the microsecond. GNU
    time gives the same RSS but wall time only to 10 ms, so its wall time is taken from here
    and includes its own start-up."""

    def __init__(self, measure, gnu_time):
        self.measure = measure
        self.gnu_time = gnu_time

    def run(self, command):
        wall, rss, _ = self.run_with_cpu(command)
        return wall, rss

    def run_with_cpu(self, command):
        """Wall time (ms), peak RSS (KiB) and the CPU time of all its threads (ms)."""
        parent = ["/usr/bin/time", "-f", "%e %M %U %S"] if self.gnu_time else [self.measure]
        start = time.perf_counter()
        done = subprocess.run(parent + command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        outside = (time.perf_counter() - start) * 1000
        lines = done.stderr.decode(errors="replace").strip().splitlines()
        if done.returncode != 0 or not lines:
            sys.exit(f"run_engine_bench: {shlex.join(command)} failed with exit code "
                     f"{done.returncode}:\n" + "\n".join(lines[:-1]))
        fields = lines[-1].split()
        if self.gnu_time:
            return outside, int(fields[1]), (float(fields[2]) + float(fields[3])) * 1000
        return float(fields[0]), int(fields[1]), float(fields[2])


def run_checked(command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"run_engine_bench: {shlex.join(command)} failed with exit code "
                 f"{done.returncode}:\n{done.stderr.strip()}")
    return done.stdout


def engine_summary(engine, document, output):
    summary = run_checked([engine, document, output]).strip()
    try:
        with zipfile.ZipFile(output) as package:
            damaged = package.testzip()
    except zipfile.BadZipFile as error:
        sys.exit(f"run_engine_bench: the engine wrote {output}, which is no zip package: {error}")
    if damaged:
        sys.exit(f"run_engine_bench: the engine wrote {output} with a damaged entry {damaged}")
    return summary


def warm_median(engine, document, output, passes, *options):
    report = run_checked([engine, document, output, "--repeat", str(passes), *options])
    times = [float(line.split()[2]) for line in report.splitlines()
             if line.startswith("pass ")]
    return statistics.median(times)


def cli_command(args, document, work, size):
    """The command line's pass over the document, checked once to save what the engine
    driver saved, byte for byte: the same work, the same atomic and flushed save over
    the previous result."""
    out_dir = os.path.join(work, f"cli-{size}")
    os.makedirs(out_dir, exist_ok=True)
    command = [args.cli, "--yes", "--marks", ".", "--out", out_dir, document]
    summary = run_checked(command).strip()
    if summary != CLI_SUMMARY:
        sys.exit(f"run_engine_bench: {shlex.join(command)} reported \"{summary}\", "
                 f"not \"{CLI_SUMMARY}\"")
    return command, os.path.join(out_dir, os.path.basename(document))


def saved_as(work, folder, document):
    """Where the driver saves a document: under its own name in a folder of its own, so
    that the batch puts it there as the command line's --out does."""
    os.makedirs(os.path.join(work, folder), exist_ok=True)
    return os.path.join(work, folder, os.path.basename(document))


def measure_size(args, runner, floor, size, work):
    words = word_count(size)
    document = generated_document(args.gen, args.cache, size)
    engine_out = saved_as(work, f"engine-{size}", document)
    floor_out = os.path.join(work, f"floor-{size}.docx")
    engine_command = [args.engine, document, engine_out]
    floor_command = [floor, "rezip", document, floor_out]
    summary = engine_summary(args.engine, document, engine_out)
    commands = [engine_command]
    if args.cli:
        command, cli_out = cli_command(args, document, work, size)
        if not filecmp.cmp(engine_out, cli_out, shallow=False):
            sys.exit(f"run_engine_bench: pellucor-cli saved {document} differently from the "
                     "engine driver")
        commands.append(command)
    commands.append(floor_command)
    runner.run(floor_command)
    stories_doc = with_stories(document)
    story_commands = {
        "plain all": engine_command + ["--stories", "all"],
        "added main": [args.engine, stories_doc, saved_as(work, f"stories-{size}", stories_doc)],
    }
    story_commands["added all"] = story_commands["added main"] + ["--stories", "all"]
    story_summaries = {name: run_checked(command).strip()
                       for name, command in story_commands.items()}
    tracked_command = engine_command + ["--track-changes"] if args.track_changes else None
    runs = [[] for _ in commands]
    tracked_runs = []
    story_runs = {name: [] for name in story_commands}
    for _ in range(args.repeat or default_repeat(words)):
        for command, times in zip(commands, runs):
            times.append(runner.run_with_cpu(command))
        for name, command in story_commands.items():
            story_runs[name].append(runner.run(command)[0])
        if tracked_command:
            tracked_runs.append(runner.run(tracked_command))
    cpu = [statistics.median(c for _, _, c in times) for times in runs]
    runs = [[(t, r) for t, r, _ in times] for times in runs]
    engine_runs, floor_runs = runs[0], runs[-1]
    tracked = None
    if tracked_command:
        tracked = {"command": tracked_command,
                   "ms": statistics.median(t for t, _ in tracked_runs),
                   "warm_ms": warm_median(args.engine, document, engine_out,
                                          default_repeat(words), "--track-changes")}
    return {
        "stories": {name: statistics.median(runs) for name, runs in story_runs.items()},
        "story_summaries": story_summaries, "story_commands": story_commands,
        "tracked": tracked,
        "cli_ms": statistics.median(t for t, _ in runs[1]) if args.cli else None,
        "cpu_ms": cpu,  # engine, then the command line when timed, then the floor
        "size": size, "words": words, "main": main_part_size(document), "summary": summary,
        "commands": (engine_command, floor_command),
        "engine_ms": statistics.median(t for t, _ in engine_runs),
        "floor_ms": statistics.median(t for t, _ in floor_runs),
        "engine_range": (min(t for t, _ in engine_runs), max(t for t, _ in engine_runs)),
        "floor_range": (min(t for t, _ in floor_runs), max(t for t, _ in floor_runs)),
        "engine_rss": max(r for _, r in engine_runs) * 1024,
        "floor_rss": max(r for _, r in floor_runs) * 1024,
        "warm_ms": warm_median(args.engine, document, engine_out, default_repeat(words)),
        "compressed": (main_part_info(engine_out).compress_size,
                       main_part_info(floor_out).compress_size),
    }


def verdicts(row, previous, idle_rss):
    limit = next(goal for words, goal in TIME_GOALS if row["words"] >= words)
    ratio = row["engine_ms"] / row["floor_ms"]
    time_ok = f"{'yes' if ratio <= limit else 'no'} (≤{limit}x)"
    if previous is None:
        linear = "–"
    else:
        growth = (row["engine_ms"] / row["main"]) / (previous["engine_ms"] / previous["main"])
        linear = f"{'yes' if growth <= LINEAR_SLACK else 'no'} ({growth:.2f})"
    memory = row["engine_rss"] / row["main"]
    above_idle = (row["engine_rss"] - idle_rss) / row["main"]
    memory_goal = MEMORY_GOAL_1M if row["words"] >= 1_000_000 else MEMORY_GOAL
    if memory <= memory_goal:
        memory_ok = f"yes (≤{memory_goal:g}x)"
    elif above_idle <= memory_goal:
        memory_ok = "no (yes above idle)"
    else:
        memory_ok = f"no (≤{memory_goal:g}x)"
    return ratio, time_ok, linear, memory, above_idle, memory_ok


def print_table(rows, idle_rss):
    print("| size | main part MB | engine ms | floor ms | ratio | time goal | linear (cost/byte "
          "vs previous) | engine warm ms | engine RSS MB | RSS / main | (RSS − idle) / main "
          "| floor RSS / main | memory goal | compressed main vs zlib-6 |")
    print("|---|---:|---:|---:|---:|---|---|---:|---:|---:|---:|---:|---|---:|")
    previous = None
    for row in rows:
        ratio, time_ok, linear, memory, above_idle, memory_ok = verdicts(row, previous, idle_rss)
        print(f"| {row['size']} | {row['main'] / MB:.2f} | {row['engine_ms']:.1f} | "
              f"{row['floor_ms']:.1f} | {ratio:.3f} | {time_ok} | {linear} | "
              f"{row['warm_ms']:.1f} | {row['engine_rss'] / MB:.1f} | {memory:.1f} | "
              f"{above_idle:.1f} | {row['floor_rss'] / row['main']:.1f} | {memory_ok} | "
              f"{row['compressed'][0] / row['compressed'][1]:.3f} "
              f"({'yes' if row['compressed'][0] <= SIZE_GOAL * row['compressed'][1] else 'no'}, "
              f"≤{SIZE_GOAL}) |")
        previous = row


def print_story_table(rows):
    print("\n| size | document | main story ms | every story ms | ratio | goal |")
    print("|---|---|---:|---:|---:|---|")
    for row in rows:
        for name, main_ms, all_ms in (
                ("generated", row["engine_ms"], row["stories"]["plain all"]),
                ("with stories added", row["stories"]["added main"], row["stories"]["added all"])):
            ratio = all_ms / main_ms
            print(f"| {row['size']} | {name} | {main_ms:.1f} | {all_ms:.1f} | {ratio:.3f} | "
                  f"{'yes' if ratio <= STORIES_GOAL else 'no'} (≤{STORIES_GOAL}x) |")


def print_tracked(rows):
    print("\n| size | plain ms | --track-changes ms | ratio | plain warm ms | "
          "--track-changes warm ms | warm ratio | goal |")
    print("|---|---:|---:|---:|---:|---:|---:|---|")
    for row in rows:
        tracked = row["tracked"]
        ratio, warm = tracked["ms"] / row["engine_ms"], tracked["warm_ms"] / row["warm_ms"]
        print(f"| {row['size']} | {row['engine_ms']:.1f} | {tracked['ms']:.1f} | {ratio:.3f} | "
              f"{row['warm_ms']:.1f} | {tracked['warm_ms']:.1f} | {warm:.3f} | "
              f"{'yes' if ratio <= TRACKED_GOAL else 'no'} (≤{TRACKED_GOAL}x) |")
    for row in rows:
        print(f"- {row['size']}: `{shlex.join(row['tracked']['command'])}`")


def print_cli_table(rows):
    print("\n| size | engine ms | pellucor-cli ms | cli / engine | goal (from 100k) | floor ms "
          "| cli / floor | engine CPU ms | cli CPU ms | cli / engine, CPU |")
    print("|---|---:|---:|---:|---|---:|---:|---:|---:|---:|")
    for row in rows:
        ratio = row["cli_ms"] / row["engine_ms"]
        # GNU time counts CPU time in hundredths of a second.
        engine_cpu, cli_cpu = row["cpu_ms"][:2]
        cpu_ratio = f"{cli_cpu / engine_cpu:.3f}" if engine_cpu > 0 else "–"
        goal = (f"{'yes' if ratio <= CLI_GOAL else 'no'} (≤{CLI_GOAL}x)"
                if row["words"] >= LARGE_WORDS else "–")
        print(f"| {row['size']} | {row['engine_ms']:.1f} | {row['cli_ms']:.1f} | {ratio:.3f} | "
              f"{goal} | {row['floor_ms']:.1f} | {row['cli_ms'] / row['floor_ms']:.3f} | "
              f"{row['cpu_ms'][0]:.1f} | {row['cpu_ms'][1]:.1f} | {cpu_ratio} |")
    print("\nThe command line, run in turn with the engine driver and the floor: "
          "`pellucor-cli --yes --marks . --out DIR DOC`, saving what the driver saves. The CPU "
          "times (user and system, all threads, medians) hardly move with the machine's load; "
          "the wall times do.")


def print_details(rows, idle, work):
    print(f"\nIdle engine process (start and quit, no document): median {idle['ms']:.1f} ms, "
          f"peak RSS {idle['rss'] / MB:.1f} MB. Runs per size, with the spread of whole-process "
          f"times ({work} was a temporary folder):")
    for row in rows:
        engine_command, floor_command = row["commands"]
        print(f"- {row['size']}: {row['summary']}\n"
              f"  engine {row['engine_range'][0]:.1f}–{row['engine_range'][1]:.1f} ms, "
              f"floor {row['floor_range'][0]:.1f}–{row['floor_range'][1]:.1f} ms "
              f"(peak RSS {row['floor_rss'] / MB:.1f} MB)\n"
              f"  `{shlex.join(engine_command)}` / `{shlex.join(floor_command)}`")
        for name, command in row["story_commands"].items():
            print(f"  {name}: {row['story_summaries'][name]}\n  `{shlex.join(command)}`")


def compile_c(work, name, source, *libraries):
    binary = os.path.join(work, name)
    subprocess.run(["gcc", "-O2", "-o", binary, source, *libraries], check=True)
    return binary


def parse_arguments():
    here = os.path.dirname(os.path.abspath(__file__))
    shared = os.path.normpath(os.path.join(here, "..", "..", "shared", "bench"))
    parser = argparse.ArgumentParser(description="Times the engine against the floor.")
    parser.add_argument("sizes", nargs="*", default=DEFAULT_SIZES)
    parser.add_argument("--engine", required=True, help="the pellucor-bench-engine binary")
    parser.add_argument("--cli", help="the pellucor-cli binary, to time in turn with the engine")
    parser.add_argument("--floor-src", default=os.path.join(shared, "floor.c"))
    parser.add_argument("--gen", default=os.path.join(shared, "gen_docx.py"))
    parser.add_argument("--cache", default=os.path.join(tempfile.gettempdir(), "pellucor-bench"))
    parser.add_argument("--repeat", type=int, help="runs per size (default 11, 5 above 100k)")
    parser.add_argument("--gnu-time", action="store_true",
                        help="measure through /usr/bin/time -f '%%e %%M' instead of measure_process")
    parser.add_argument("--track-changes", action="store_true",
                        help="also time the pass that saves its changes as revisions")
    parser.add_argument("--invocation", help="the command line to print as the one used")
    return parser.parse_args()


def main():
    args = parse_arguments()
    if args.gnu_time and not os.access("/usr/bin/time", os.X_OK):
        print("run_engine_bench: /usr/bin/time is missing (Debian package \"time\"); "
              "measuring with bench/measure_process.c instead", file=sys.stderr)
        args.gnu_time = False
    os.makedirs(args.cache, exist_ok=True)
    sizes = sorted(args.sizes, key=word_count)
    load_before = os.getloadavg()[0]
    work = tempfile.mkdtemp(prefix="pellucor-bench-run-")
    try:
        floor = compile_c(work, "floor", args.floor_src, "-lz")
        here = os.path.dirname(os.path.abspath(__file__))
        timer = compile_c(work, "measure_process", os.path.join(here, "measure_process.c"))
        runner = Runner(timer, args.gnu_time)
        idle_runs = [runner.run([args.engine, "--idle"]) for _ in range(11)]
        idle = {"ms": statistics.median(t for t, _ in idle_runs),
                "rss": max(r for _, r in idle_runs) * 1024}
        rows = [measure_size(args, runner, floor, size, work) for size in sizes]
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"Command: `{(args.invocation or shlex.join(sys.argv)).strip()}`")
    print(f"Measured with {'/usr/bin/time' if args.gnu_time else 'bench/measure_process.c'}; "
          "times are whole-process wall-clock medians, RSS the largest peak of the runs; "
          f"load average before the run {load_before:.2f}, after {os.getloadavg()[0]:.2f} "
          f"on {os.cpu_count()} cores.\n")
    print_table(rows, idle["rss"])
    print_story_table(rows)
    if args.cli:
        print_cli_table(rows)
    print_details(rows, idle, work)
    if args.track_changes:
        print_tracked(rows)


if __name__ == "__main__":
    main()
