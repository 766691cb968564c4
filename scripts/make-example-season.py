#!/usr/bin/env python3
"""Writes the example season in docs/examples/season/: 36 races of 12 runners over six race
days, each with its result, win odds and three columns of one's own (a good forecast, a weak
one and one that is noise), and an analysis file with the actual win odds and the win payout.
The same files every time (a fixed seed); run it again instead of editing them by hand.

    python3 scripts/make-example-season.py [FOLDER]
"""
import math
import os
import random
import sys

RUNNERS = 12
RACES = 36
PER_DAY = 6
TAKE = 0.8  # the win pool's payout ratio
COLUMNS = [("調教", 0.7), ("血統", 1.6), ("気配", None)]  # noise around the strength; None: noise


def race(index, rng):
    strength = [rng.gauss(0, 1) for _ in range(RUNNERS)]
    market = [math.exp(s + 0.6 * rng.gauss(0, 1)) for s in strength]
    total = sum(market)
    odds = [max(1.0, math.floor(10 * TAKE * total / m) / 10) for m in market]
    own = []
    for _, noise in COLUMNS:
        own.append([math.exp((s if noise is not None else 0) + (noise or 1) * rng.gauss(0, 1))
                    for s in strength])
    placed = []
    for _ in range(3):
        weights = [0 if r in placed else math.exp(strength[r]) for r in range(RUNNERS)]
        pick = rng.random() * sum(weights)
        for r, w in enumerate(weights):
            pick -= w
            if pick < 0 or r == RUNNERS - 1 and w > 0:
                placed.append(r)
                break
    day = index // PER_DAY
    date = "2026/%02d/%02d" % (4 + day // 4, 5 + 7 * (day % 4))
    result = "-".join(str(r + 1) for r in placed)
    header = ["番", "枠", "名前", "順位", "オッズ", "当選金", "人気", "単勝"] + [c for c, _ in COLUMNS]
    lines = ["縦枠,横枠,第%dレース,%s,予想,控除,投票" % (index % PER_DAY + 1, date),
             "%d,%d,例,例,%s,80,100000" % (RUNNERS, 1 + len(COLUMNS), result)]
    rows = [",".join(header), ",".join(["…"] * 6 + ["比率→", "-1"] + ["1"] * len(COLUMNS))]
    for r in range(RUNNERS):
        values = ["%.1f" % odds[r]] + ["%.1f" % (10 * c[r]) for c in own]
        rows.append("%d,%d,ｷﾙﾚﾙ%d号,,,,," % (r + 1, r // 2 + 1, r + 1) + ",".join(values))
    document = "\r\n".join(lines) + "\r\n" + "\r".join(rows) + "\r\n"
    analysis = ["[Analysis]", "Version=3", "BetType=win", "Model=harville", "Lambda=0.81",
                "Rho=0.65", "Beta=1", "Combine=0", "Alpha=1", "Gamma=1", "HighRatio=1.2",
                "LowRatio=0.8", "Budget=10000", "Kelly=0", "KellyFraction=0.5",
                "Bankroll=100000", "[win]", "Ratio=0.8",
                "Time=%s 15:%02d:00" % (date.replace("/", "-"), 10 * (index % PER_DAY))]
    analysis += ["%d=%.1f" % (r + 1, odds[r]) for r in range(RUNNERS)]
    analysis += ["[Payouts]", "win %d=%d" % (placed[0] + 1, round(100 * odds[placed[0]]))]
    return document, "\r\n".join(analysis) + "\r\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "docs", "examples", "season")
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20261208)
    for i in range(RACES):
        document, analysis = race(i, rng)
        name = os.path.join(folder, "race%02d.csv" % (i + 1))
        with open(name, "wb") as f:
            f.write(document.encode("cp932"))
        with open(name + ".analysis", "wb") as f:
            f.write(analysis.encode("cp932"))


if __name__ == "__main__":
    main()
