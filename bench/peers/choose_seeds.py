#!/usr/bin/python3
"""The seeds that span a table of zellik-seed-costs: those at the cheapest,
the first quartile, the median, the third quartile and the dearest CPU a
frame (the nearest rank below each quantile of the sorted seeds).

    choose_seeds.py bench/seed-costs.txt      prints e.g. "18 44 34 173 176"
"""

import sys

QUANTILES = (0.0, 0.25, 0.5, 0.75, 1.0)


def main():
    rows = []
    with open(sys.argv[1]) as f:
        for line in f:
            fields = line.split()
            if fields and fields[0].isdigit():
                rows.append((float(fields[1]), int(fields[0])))
    rows.sort()
    picked = [rows[int(q * (len(rows) - 1))][1] for q in QUANTILES]
    print(" ".join(map(str, picked)))


if __name__ == "__main__":
    main()
