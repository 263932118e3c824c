#!/usr/bin/env python3
"""Turns the benchmark programs' JSON output into bench/README.md: every figure against its target."""
import glob
import json
import os
import platform
import re
import statistics
import subprocess
import sys

# Host and internal rates of the benchmarks, and the sub-block the stage figures refer to.
HOST_RATE = 44100
INTERNAL_RATE = 2 * HOST_RATE
VOICES = 16

# Lane operations per voice per internal sample the heavy patch needs (both channels), counted from
# the engine's kernels (source/engine/kernels): what any implementation of the same arithmetic has to
# execute. Oscillator 1 runs one phase chain (its right channel repeats the left); oscillators 2 and 3
# run two each, under FM.
HEAVY_PATCH_OPERATIONS = [
    ("Phase chains: 5 chains x (index, wrap, step)", 40),
    ("Exponential FM of 2 oscillators x 2 channels (in double, with the division by the rate)", 56),
    ("Ring modulation: 3 products x 2 channels", 18),
    ("Oscillator levels, panning and mix into the filter", 12),
    ("Ladder filter: 2 channels x (feedback and four stages)", 50),
    ("Amplitude and mix into the output bus", 6),
    ("Decimator share: 29 taps x 2 channels per host sample, over 2 internal samples and 16 voices", 4),
    ("Modulation at host rate: LFOs, envelopes, matrix, bus clamping", 10),
]
# Table reads per voice per internal sample: the 5 phase chains, and the 2 LFOs at the host rate.
HEAVY_PATCH_TABLE_READS = 5 + 2 / 2
VOICE_COUNTS = (1, 2, 4, 8, 16)
# 16 heavy voices: the real-time factor to reach, and the one to aim for.
TARGET_FACTOR = 150
AIM_FACTOR = 200
# Single-precision lane operations one core retires per cycle at best: four 256-bit floating-point
# pipes (two multiply, two add). The engine does not fuse multiplies and adds, to keep its output
# bit-exact across builds, so the fused rate does not apply.
PEAK_OPERATIONS_PER_CYCLE = 32


def load(path):
    with open(path) as f:
        return json.load(f)


def aggregates(report, which="median"):
    """name -> benchmark record: the `which` aggregate of repetitions where there are several."""
    result = {}
    for b in report["benchmarks"]:
        name = b["run_name"] if "run_name" in b else b["name"]
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != which:
            continue
        if b.get("run_type") != "aggregate" and which != "median":
            continue
        result[name] = b
    return result


def medians(report):
    return aggregates(report, "median")


def ms(b):
    t = b.get("real_time", b.get("cpu_time"))
    unit = b.get("time_unit", "ns")
    return t * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[unit]


def short_name(symbol):
    """A callgrind symbol as a function name: no file, no namespace noise, no arguments or templates."""
    name = symbol.split(":", 1)[1] if symbol.startswith("???:") or symbol.startswith("./") else symbol
    name = re.sub(r" \[[^\]]*\]$", "", name)
    name = name.replace("(anonymous namespace)::", "")
    depth = 0
    for i, c in enumerate(name):
        if c == "<":
            depth += 1
        elif c == ">":
            depth -= 1
        elif c == "(" and depth == 0:
            name = name[:i]
            break
    name = re.sub(r"<[^<>]*(<[^<>]*>[^<>]*)*>", "", name)
    name = name.split(" ")[-1]
    return name.replace("talvane::", "")


def callgrind_functions(path):
    """Instructions executed per function (self cost) in one callgrind profile, and the total."""
    text = subprocess.run(["callgrind_annotate", "--inclusive=no", "--threshold=100", path],
                          capture_output=True, text=True, check=True).stdout
    functions = {}
    total = 0
    for line in text.splitlines():
        m = re.match(r"^\s*([\d,]+) \([^)]*\)\s+(.*)$", line)
        if not m:
            continue
        count = int(m.group(1).replace(",", ""))
        if m.group(2).startswith("PROGRAM TOTALS"):
            total = count
            continue
        key = short_name(m.group(2))
        functions[key] = functions.get(key, 0) + count
    return total, functions


def audio_instructions(folder, patch):
    """Per voice per internal sample: instructions of a 5 s render less those of a 1 s render."""
    short = os.path.join(folder, f"callgrind.{patch}.1")
    long = os.path.join(folder, f"callgrind.{patch}.5")
    if not (os.path.exists(short) and os.path.exists(long)):
        return None
    total1, f1 = callgrind_functions(short)
    total5, f5 = callgrind_functions(long)
    scale = 1.0 / (4 * INTERNAL_RATE * VOICES)
    per_function = {k: (f5[k] - f1.get(k, 0)) * scale for k in f5}
    return (total5 - total1) * scale, per_function


def kernels_target():
    """Which kernels the benchmarks ran: the best target the processor has."""
    try:
        with open("/proc/cpuinfo") as f:
            flags = next((line for line in f if line.startswith("flags")), "")
    except OSError:
        return "unknown"
    have = set(flags.split(":", 1)[-1].split())
    if {"avx512f", "avx512vl", "avx512dq", "avx512bw"} <= have:
        return "AVX-512 (sixteen lanes per vector)"
    if "avx2" in have:
        return "AVX2 (eight lanes per vector)"
    return "baseline (SSSE3, four lanes per vector)"


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def fresh_runs(folder, prefix):
    """name -> records of the benchmarks run once per process, over the files `prefix`.N.json."""
    runs = {}
    for file in sorted(glob.glob(os.path.join(folder, f"{prefix}.*.json"))):
        for b in load(file)["benchmarks"]:
            runs.setdefault(b["name"], []).append(b)
    return runs


def once_per_process(runs, name):
    """'median ms (best ms)' of a figure that only a fresh process shows, or None."""
    times = sorted(ms(b) for b in runs.get(name, []))
    if not times:
        return None
    return f"{statistics.median(times):.1f} ms (best {times[0]:.1f} ms)"


def main(folder):
    bank = medians(load(os.path.join(folder, "bank.json")))
    engine_report = load(os.path.join(folder, "engine.json"))
    # What a process meets once (the shared bank, the first set-up, the memory of new instances) is
    # measured in fresh processes, several times over.
    fresh = fresh_runs(folder, "fresh-bank")
    fresh.update(fresh_runs(folder, "fresh-engine"))
    callgrind_folder = folder
    engine = medians(engine_report)
    # The repetitions' largest real-time factor: the best run, least disturbed by other work.
    best = aggregates(engine_report, "max")
    context = engine_report["context"]
    commit = subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True, text=True).stdout.strip()
    out = []
    w = out.append
    w("# Benchmarks")
    w("")
    w("Generated by `tools/run-benchmarks` (which rebuilds and reruns everything below); do not edit by hand.")
    w("")
    w(f"- Date: {context['date']}; commit {commit}")
    w(f"- Machine: {cpu_model()}, {context['num_cpus']} CPUs at {context['mhz_per_cpu']} MHz, "
      f"{platform.system()} {platform.release()}")
    w("- Programs: `bench/engine_bench.cpp` drives the built `Talvane.so` through the host library "
      "(real VST 3 interfaces); `bench/bank_bench.cpp` measures the set-up work. One core. Real-time factors "
      "are the median of nine runs, with the best of the nine beside it. The runs of all the benchmarks are "
      "interleaved in random order, so a slow spell of a shared (virtual) machine spreads over them instead of "
      "falling on one; and since other work only ever adds time, the best run is the closest to the code's "
      "own cost. The sessions start their notes eight at a time (the engine keeps at most eight notes waiting "
      "to start) and let each batch start before sending the next, at every block size, so every voice "
      "counted plays.")
    w(f"- Kernels: {kernels_target()}")
    # Other work on the machine only adds time; say how busy it was, so that a reader knows whether the
    # absolute figures mean anything or only the comparisons between builds taking turns do. Busy means
    # more work than cores: the build just before the timings lifts the one-minute figure by itself.
    load_avg = context.get("load_avg") or []
    if load_avg:
        busy = load_avg[0] > context["num_cpus"]
        w(f"- Load average as the timings began: {load_avg[0]:.1f} over a minute, {load_avg[-1]:.1f} over fifteen"
          + ("; the machine was busy, so the times are too long and only the comparison with another build "
             "(below, where there is one) and the instruction counts mean much" if busy else "; a quiet machine"))
    w("")

    def rt(name):
        b = engine.get(name)
        return b["realtime_x"] if b else float("nan")

    def rt_best(name):
        b = best.get(name)
        return b["realtime_x"] if b else float("nan")

    def both(name):
        return f"{rt(name):.0f}× (best {rt_best(name):.0f}×)"

    w("## Real-time factor at 44.1 kHz, blocks of 512")
    w("")
    w("Seconds of audio rendered per second of computing (higher is better). The heavy patch has three "
      "oscillators with FM and ring modulation, the filter with its envelope, both LFOs, both modulation "
      "envelopes and both matrices routed.")
    w("")
    w("| Voices | Default patch | Heavy patch | Target (heavy, 16 voices) |")
    w("|---|---|---|---|")
    for v in VOICE_COUNTS:
        target = f"≥ {TARGET_FACTOR}× (aim {AIM_FACTOR}×)" if v == 16 else ""
        w(f"| {v} | {both(f'BM_DefaultPatch/{v}/real_time')} | {both(f'BM_HeavyPatch/{v}/real_time')} | {target} |")
    heavy16 = rt("BM_HeavyPatch/16/real_time")
    heavy16_best = rt_best("BM_HeavyPatch/16/real_time")
    w("")
    if heavy16 >= TARGET_FACTOR:
        verdict = "Target met."
    elif heavy16_best >= TARGET_FACTOR:
        verdict = "Target met by the best run; the median shows the machine's other load."
    else:
        verdict = "Target missed; see the analysis below."
    w(f"16 heavy voices render one second of audio in {1000.0 / heavy16:.1f} ms (median), "
      f"{1000.0 / heavy16_best:.1f} ms (best run); target ≤ {1000.0 / TARGET_FACTOR:.1f} ms. " + verdict)
    w("")
    w("Cost per voice (ms of computing per second of audio, divided by the voices; best runs): the kernels "
      "run the voices side by side in vector lanes, padded to four, and cover them with the widest vectors "
      "that fit (sixteen lanes with AVX-512, eight with AVX2) and then narrower ones, so a few voices run in "
      "the narrowest vectors instead of a full register of idle lanes.")
    w("")
    w("| Voices | Default patch | Heavy patch |")
    w("|---|---|---|")
    for v in VOICE_COUNTS:
        d = rt_best(f"BM_DefaultPatch/{v}/real_time")
        h = rt_best(f"BM_HeavyPatch/{v}/real_time")
        w(f"| {v} | {1000.0 / d / v:.2f} ms | {1000.0 / h / v:.2f} ms |")
    w("")
    w("## Cost against host block size (16 heavy voices)")
    w("")
    w("| Block | Real-time factor |")
    w("|---|---|")
    blocks = (16, 64, 256, 1024, 4096)
    by_block = [rt_best(f"BM_HeavyByBlockSize/{block}/real_time") for block in blocks]
    for block in blocks:
        w(f"| {block} | {both(f'BM_HeavyByBlockSize/{block}/real_time')} |")
    w("")
    w(f"From blocks of 16 to blocks of 4096 the best runs' factors differ by at most "
      f"{100.0 * (max(by_block) / min(by_block) - 1):.0f}% (target: flat). The engine works in sub-blocks of 16 "
      "host samples whatever the host's block, so only the per-call overhead of `process` differs.")
    w("")
    against_build(w, folder)
    arithmetic_limit(w, heavy16_best, context, callgrind_folder)
    w("## Set-up and memory")
    w("")
    first = once_per_process(fresh, "BM_FirstSetup/iterations:1/manual_time")
    later = engine.get("BM_LaterSetup")
    shared = once_per_process(fresh, "BM_SharedBankFirstUse/iterations:1")
    memory = sorted(b["MiB_per_instance"] for b in fresh.get("BM_MemoryPerInstance/iterations:1", []))
    processes = len(fresh.get("BM_SharedBankFirstUse/iterations:1", []))
    w(f"Figures of a process's first use are the median of {processes} fresh processes, with the best beside it.")
    w("")
    w("| Figure | Measured | Target |")
    w("|---|---|---|")
    if shared:
        w(f"| Shared wavetable bank ready (first use in a process) | {shared} | ≤ 50 ms |")
    if "BM_BuildWavetableBank" in bank:
        w(f"| Bank rebuilt with warm pages | {ms(bank['BM_BuildWavetableBank']):.1f} ms | |")
    if first:
        w(f"| First `setupProcessing` of the process (bank, tables, noise, buffers) | {first} | |")
    if later:
        w(f"| Later `setupProcessing` | {ms(later):.1f} ms | ≤ 20 ms |")
    if "BM_GenerateNoise" in bank:
        w(f"| of which noise generation | {ms(bank['BM_GenerateNoise']):.1f} ms | |")
    if memory:
        w(f"| Memory per added instance (RSS growth over 16, block buffers for 512 included) | "
          f"{statistics.median(memory):.2f} MiB | ≤ 5 MiB |")
    w("")
    w("## The stages on their own")
    w("")
    w("Sixteen voices rendered side by side, as the engine runs them; time per voice per sub-block "
      "(16 host samples, 32 internal samples, both channels).")
    w("")
    w("| Stage | Default patch | Heavy patch |")
    w("|---|---|---|")
    for stage in ("Oscillator", "Filter", "Modulation"):
        row = []
        for arg in (0, 1):
            b = engine.get(f"BM_{stage}Stage/{arg}")
            row.append(f"{b['ns_per_voice'] * 1e9:.0f} ns" if b else "–")
        w(f"| {stage} | {row[0]} | {row[1]} |")
    w("")
    sys.stdout.write("\n".join(out) + "\n")


def repetitions(folder, who):
    """name -> real-time factors of every repetition in the files against-`who`.N.json."""
    runs = {}
    for file in sorted(glob.glob(os.path.join(folder, f"against-{who}.*.json"))):
        for b in load(file)["benchmarks"]:
            if b.get("run_type") == "aggregate":
                continue
            runs.setdefault(b.get("run_name", b["name"]), []).append(b["realtime_x"])
    return runs


def against_build(w, folder):
    """The host-driven renders of this build beside those of another build's module, when measured."""
    path = os.path.join(folder, "against-module")
    if not os.path.exists(path):
        return
    with open(path) as f:
        module = f.read().strip()
    commit = subprocess.run(["git", "-C", os.path.dirname(module), "log", "-1", "--format=%h of %cd",
                             "--date=short"], capture_output=True, text=True).stdout.strip()
    mine, other = repetitions(folder, "this"), repetitions(folder, "other")
    w("## Against another build")
    w("")
    w(f"The same sessions on `{module}`" + (f", from a tree at {commit}" if commit else "") +
      ": three rounds of three repetitions each, the two builds taking turns, so that the machine's other "
      "work falls on both. Median real-time factor (best); the last column is this build's median against "
      "the other's.")
    w("")
    w("| Render | This build | Other build | This / other |")
    w("|---|---|---|---|")
    def order(name):
        family, _, rest = name.partition("/")
        arg = rest.split("/")[0]
        return family, int(arg) if arg.isdigit() else 0

    for name in sorted(mine, key=order):
        if name not in other:
            continue
        a, b = mine[name], other[name]
        label = name.replace("/real_time", "").replace("BM_", "")
        w(f"| {label} | {statistics.median(a):.0f}× ({max(a):.0f}×) | {statistics.median(b):.0f}× "
          f"({max(b):.0f}×) | {statistics.median(a) / statistics.median(b):.2f} |")
    w("")


def arithmetic_limit(w, heavy16, context, callgrind_folder):
    w("## How far from the arithmetic limit")
    w("")
    w("Lane operations the heavy patch needs per voice per internal sample, counted from the kernels:")
    w("")
    w("| Work | Operations |")
    w("|---|---|")
    needed = 0
    for what, count in HEAVY_PATCH_OPERATIONS:
        w(f"| {what} | {count} |")
        needed += count
    w(f"| Total | {needed} |")
    w("")
    mhz = context["mhz_per_cpu"]
    per_second = needed * INTERNAL_RATE * VOICES
    limit_seconds = per_second / (PEAK_OPERATIONS_PER_CYCLE * mhz * 1e6)
    limit = 1.0 / limit_seconds
    w(f"For 16 voices that is {per_second / 1e6:.0f} million operations per second of audio. At "
      f"{PEAK_OPERATIONS_PER_CYCLE} single-precision operations per cycle (four 256-bit floating-point "
      f"pipes; multiplies and adds stay unfused so that the output is bit-exact) and the nominal {mhz} MHz, "
      f"one core needs at least {limit_seconds * 1000:.1f} ms per second of audio: an arithmetic limit of "
      f"about {limit:.0f}× real time. The best measured {heavy16:.0f}× is {100.0 * heavy16 / limit:.0f}% of it.")
    w("")
    reads = HEAVY_PATCH_TABLE_READS * INTERNAL_RATE * VOICES
    w(f"The arithmetic is not what limits the engine: its table reads are. Each voice reads its wavetables "
      f"{HEAVY_PATCH_TABLE_READS:.0f} times per internal sample ({reads / 1e6:.1f} million reads per second "
      "for 16 voices), every lane from a table of its own (the oscillator's waveform at the voice's note), so "
      "the reads are gathers; most of them fetch a cache line of their own from the second-level cache, "
      "since a phase step moves the index by up to about fifty samples. A gather costs one to two cycles per "
      f"lane on this processor (a loop of gathers alone), so the reads take about {reads * 1.5 / (mhz * 1e6) * 1000:.1f} "
      "ms of each second at 1.5 cycles per read: the practical limit is well below the arithmetic one. Profiles "
      "(`perf record` of `talvane_profile_render`) put most of the oscillator kernel's time on its gathers, and "
      "the ladder's on the latency of its recursion (each sample waits for the previous one through 16 "
      "dependent operations), not on the arithmetic.")
    w("")
    counted = audio_instructions(callgrind_folder, 1) if callgrind_folder else None
    default_counted = audio_instructions(callgrind_folder, 0) if callgrind_folder else None
    if not counted:
        return
    total, per_function = counted
    w("### Where the instructions go")
    w("")
    w(f"Instructions executed per voice per internal sample, counted by callgrind (`talvane_profile_render`, "
      f"16 voices, blocks of 512; a 5 s render less a 1 s render, so set-up is left out). Valgrind runs the "
      f"AVX2 kernels (it has no AVX-512), eight voices to a register: heavy patch **{total:.0f}**"
      + (f", default patch **{default_counted[0]:.0f}**" if default_counted else "")
      + f". With every operation above packed eight lanes wide the heavy patch would need about "
      f"{needed / 8:.0f}; the rest is the per-voice work around the kernels: the modulation at the host rate, "
      "modulation values spread into lanes, table addressing, the oversampled FM in double precision, the "
      "voices copied out of their lanes, amplified and summed.")
    w("")
    w("| Function (heavy patch) | Instructions per voice per internal sample |")
    w("|---|---|")
    for name, count in sorted(per_function.items(), key=lambda item: -item[1])[:15]:
        if count >= 0.5:
            w(f"| `{name}` | {count:.1f} |")
    w("")


if __name__ == "__main__":
    main(sys.argv[1])
