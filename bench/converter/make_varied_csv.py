#!/usr/bin/env python3
"""Writes a deterministic Zelto survey CSV export of N records with varied contents, for
comparing the .EDT bytes of two builds of the converter (compare_outputs.sh).

Unlike make_survey_csv.py, which follows one launch across one harbour, the records here
vary everything the decoders and writers see:
  - positions: over the whole globe (both hemispheres, every UTM zone, the Norway and
    Svalbard zone exceptions) or, with --region S,W,N,E, inside a box in degrees;
  - numbers: depths and offsets of every magnitude from 0.001 to 1e15, negative values,
    exact halves of a cent, exponents, leading blanks and signs, empty fields;
  - times and dates, counts with signs and overflow;
  - line shapes: CR LF and LF endings, lines of a few fields, blank lines, quoted
    positions, a line longer than the reader's 256 KiB block, and a last line
    without its line feed.

  make_varied_csv.py N OUT.csv [--region S,W,N,E] [--seed K]
"""
import random
import sys


def dms(value, pos, neg, rnd):
    hemi = pos if value >= 0 else neg
    value = abs(value)
    deg = int(value)
    rest = (value - deg) * 60.0
    minutes = int(rest)
    seconds = (rest - minutes) * 60.0
    style = rnd.random()
    if style < 0.7:
        sec = "%05.2f" % seconds
    elif style < 0.9:
        sec = "%.6f" % seconds
    else:
        sec = "%d" % int(seconds)
    text = "%s %d\u00b0%02d\u2032%s\u2033" % (hemi, deg, minutes, sec)
    if rnd.random() < 0.15:
        text = '"' + text + '"'
    return text


NUMBER_FORMS = [
    lambda r: "%.2f" % r.uniform(0, 200),
    lambda r: "%.3f" % r.uniform(-50, 5000),
    lambda r: "%.1f" % r.uniform(0, 12000),
    lambda r: "%.3f" % (r.randrange(0, 200000) * 0.005),   # halves of a cent
    lambda r: "%.15g" % r.uniform(-1e6, 1e6),
    lambda r: "%.6e" % r.uniform(-1e15, 1e15),
    lambda r: "%d" % r.randrange(-99999, 99999),
    lambda r: "%.2f" % r.uniform(1e12, 9e14),
    lambda r: " +%.4f" % r.uniform(0, 100),
    lambda r: "-0.00",
    lambda r: "",
    lambda r: "0.0049999999999999999",
    lambda r: "12345678901234567.25",
]


def number(r):
    if r.random() < 0.75:
        return "%.2f" % r.uniform(0.5, 80.0)
    return r.choice(NUMBER_FORMS)(r)


def record(i, r, region):
    if region:
        s, w, n, e = region
        lat = r.uniform(s, n)
        lon = r.uniform(w, e)
    else:
        pick = r.random()
        if pick < 0.05:
            lat, lon = r.uniform(56, 64), r.uniform(0, 15)     # the Norway exception
        elif pick < 0.1:
            lat, lon = r.uniform(72, 84), r.uniform(-5, 45)    # the Svalbard exceptions
        else:
            lat, lon = r.uniform(-80, 84), r.uniform(-180, 180)
    cols = [""] * 40
    cols[0] = str(i)
    cols[1] = "1"
    cols[2] = number(r)
    cols[3] = number(r)
    cols[4] = "%02d/%02d/2026" % (r.randrange(1, 13), r.randrange(1, 29))
    for k in (5, 6, 7, 8, 9, 21, 22):
        cols[k] = number(r)
    cols[15] = number(r)
    cols[31] = dms(lat, "N", "S", r)
    cols[32] = dms(lon, "E", "W", r)
    cols[34] = "%02d/%02d/2026" % (r.randrange(1, 13), r.randrange(1, 29))
    t = r.random()
    if t < 0.9:
        cols[35] = "%02d:%02d:%05.2f" % (r.randrange(24), r.randrange(60), r.uniform(0, 59.99))
    elif t < 0.95:
        cols[35] = "%d:%d" % (r.randrange(100), r.randrange(100))
    else:
        cols[35] = "%d" % r.randrange(-5, 30000000000)
    cols[36] = str(r.choice([1, 2, 4, 5, -3, 0, 9, 12, 2147483647, 99999999999]))
    cols[38] = number(r)
    cols[39] = ""
    shape = r.random()
    if shape < 0.01:
        cols = cols[:r.randrange(1, 39)]   # a short line: only the first columns
    return ",".join(cols)


def main(argv):
    args = list(argv[1:])
    region = None
    seed = 18
    if "--region" in args:
        k = args.index("--region")
        region = [float(v) for v in args[k + 1].split(",")]
        del args[k:k + 2]
    if "--seed" in args:
        k = args.index("--seed")
        seed = int(args[k + 1])
        del args[k:k + 2]
    if len(args) != 2:
        sys.stderr.write(__doc__)
        return 2
    n = int(args[0])
    r = random.Random(seed)
    with open(args[1], "w", encoding="utf-8", newline="") as out:
        out.write("Rec,Flag,Depth1,Depth2,Date" + ",C" * 35 + "\r\n")
        long_at = n // 2
        for i in range(n):
            line = record(i, r, region)
            if i == long_at:
                line += "," + "x" * 300000   # beyond the last column read, longer than a block
            end = "\r\n" if r.random() < 0.5 else "\n"
            if r.random() < 0.002:
                out.write(end)   # a blank line
            if i == n - 1:
                end = ""          # the last line has no line feed
            out.write(line + end)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
