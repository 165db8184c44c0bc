#!/usr/bin/env python3
"""Compares two builds of generation_bench on a machine whose speed drifts.

Usage: scripts/bench-compare.py BASE NEW [--filter REGEX] [--rounds N]

Runs BASE and NEW in turn, N rounds, swapping which goes first each round, and reads the
median time per candidate of every benchmark. Prints, per benchmark, the median over the
rounds for each build, the ratio NEW / BASE and the lowest and highest ratio of one round:
a change smaller than that spread is not shown by the run.
"""
import argparse
import re
import statistics
import subprocess
import sys

LINE = re.compile(r"^(\S+?)(?:/repeats:\d+)?_median\s.*per_candidate=([\d.]+)(n|u|m)s")
SCALE = {"n": 1.0, "u": 1e3, "m": 1e6}


def run(binary, pattern):
    out = subprocess.run(
        [binary, f"--benchmark_filter={pattern}"], capture_output=True, text=True, check=True
    ).stdout
    times = {}
    for line in out.splitlines():
        match = LINE.match(line)
        if match:
            times[match.group(1)] = float(match.group(2)) * SCALE[match.group(3)]
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("base")
    parser.add_argument("new")
    parser.add_argument("--filter", default="Generate/R")
    parser.add_argument("--rounds", type=int, default=9)
    args = parser.parse_args()

    rounds = []
    for r in range(args.rounds):
        order = (args.base, args.new) if r % 2 == 0 else (args.new, args.base)
        result = {binary: run(binary, args.filter) for binary in order}
        rounds.append((result[args.base], result[args.new]))
        print(f"round {r + 1}/{args.rounds} done", file=sys.stderr)

    names = sorted({name for base, _ in rounds for name in base})
    print(f"{'benchmark':<16} {'base ns':>9} {'new ns':>9} {'ratio':>7}  round ratios")
    for name in names:
        pairs = [(b[name], n[name]) for b, n in rounds if name in b and name in n]
        if not pairs:
            continue
        base = statistics.median(p[0] for p in pairs)
        new = statistics.median(p[1] for p in pairs)
        ratios = [n / b for b, n in pairs]
        print(
            f"{name:<16} {base:9.1f} {new:9.1f} {new / base:7.3f}  "
            f"{min(ratios):.3f} to {max(ratios):.3f}"
        )


if __name__ == "__main__":
    main()
