#!/usr/bin/env python3
"""How random the generated sheets look, over many runs of the questions tool.

Prints, for the questions of all sheets together:
- the share of the commonest difference between neighbouring operands (about 0.01 for numbers up
  to 100: no step is favoured);
- the share of neighbouring operator slots that hold the same operator (0.5 for two operators);
- the chi-squared of the operand counts against an even spread, with its degrees of freedom.

Usage: scripts/sheet-stats.py [--sheets N] [--tool PATH] [TOOL OPTIONS...]
"""
import argparse
import collections
import re
import subprocess
import sys
from pathlib import Path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sheets", type=int, default=200)
    parser.add_argument("--tool", default=str(Path(__file__).resolve().parent.parent /
                                               "build" / "bin" / "questions"))
    args, tool_options = parser.parse_known_args()

    differences = collections.Counter()
    operands = collections.Counter()
    same = pairs = 0
    for _ in range(args.sheets):
        out = subprocess.run([args.tool, *tool_options], check=True, capture_output=True,
                             text=True).stdout
        for line in out.splitlines():
            expression = line.split("=")[0]
            numbers = [int(n) for n in re.findall(r"\d+", expression)]
            ops = re.findall(r"[-+*/]", expression)
            operands.update(numbers)
            differences.update(b - a for a, b in zip(numbers, numbers[1:]))
            same += sum(1 for a, b in zip(ops, ops[1:]) if a == b)
            pairs += max(len(ops) - 1, 0)

    total = sum(differences.values())
    values = max(operands) if operands else 0
    drawn = sum(operands.values())
    expected = drawn / values if values else 0
    chi2 = sum((operands.get(v, 0) - expected) ** 2 / expected for v in range(1, values + 1))
    print(f"{args.sheets} sheets, options: {' '.join(tool_options) or '(window defaults)'}")
    print(f"commonest neighbour difference: {differences.most_common(1)[0][1] / total:.4f} "
          f"of {total}")
    print(f"equal neighbouring operators: {same / pairs:.3f} of {pairs}" if pairs else
          "equal neighbouring operators: no pairs")
    print(f"chi-squared of operands 1..{values}: {chi2:.1f} on {values - 1} degrees of freedom")
    return 0


if __name__ == "__main__":
    sys.exit(main())
