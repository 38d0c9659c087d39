#!/usr/bin/env python3
"""Writes a deterministic Zelto survey CSV export of N records for the converter benchmarks.

The records follow a launch running parallel survey lines across a harbour
(UTM zone 11 north, off San Diego), one fix a second, with the columns of a
real export: 40 columns, two depths, heave, tide, fix number, date and time,
and D M S positions with UTF-8 degree, prime and double-prime signs (every
seventh pair inside double quotes, as some exports write them). The auxiliary
columns carry the sound velocity, quality and sensor readings a real export
fills, so that lines have a realistic length (about 190 bytes).

  make_survey_csv.py N OUT.csv [--positions OUT.txt]

--positions also writes the same positions as "longitude latitude" in decimal
degrees, one a line, for cs2cs.
"""
import sys


def dms(value, pos, neg):
    hemi = pos if value >= 0 else neg
    value = abs(value)
    deg = int(value)
    rest = (value - deg) * 60.0
    minutes = int(rest)
    seconds = (rest - minutes) * 60.0
    if seconds >= 59.995:  # keep the printed seconds below 60
        seconds = 0.0
        minutes += 1
        if minutes == 60:
            minutes = 0
            deg += 1
    text = "%s %d\u00b0%02d\u2032%05.2f\u2033" % (hemi, deg, minutes, seconds)
    stated = deg + minutes / 60.0 + float("%.2f" % seconds) / 3600.0
    return text, (stated if hemi == pos else -stated)


def main(argv):
    if len(argv) not in (3, 5) or (len(argv) == 5 and argv[3] != "--positions"):
        sys.stderr.write(__doc__)
        return 2
    n = int(argv[1])
    out = open(argv[2], "w", encoding="utf-8", newline="\n")
    pos = open(argv[4], "w", encoding="ascii", newline="\n") if len(argv) == 5 else None
    titles = ["Rec", "Flag", "Depth1", "Depth2"] + ["C%d" % i for i in range(4, 15)] + ["Heave"] + \
             ["C%d" % i for i in range(16, 31)] + ["Latitude", "Longitude", "C33", "Date", "Time", "Fix",
                                                    "C37", "Tide", "C39"]
    # Column 4 holds the date in some exports (column 34 replaces it).
    out.write(",".join(titles) + "\n")
    seed = 20261207
    lat0, lon0 = 32.70, -117.22
    line_len = 1800  # fixes per survey line
    day, hour, minute, second = 6, 7, 0, 0
    buf = []
    for i in range(n):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        r = seed / 2147483648.0
        k, j = divmod(i, line_len)
        along = j if k % 2 == 0 else line_len - 1 - j
        lat = lat0 + (k % 400) * 0.00025 + r * 0.00001
        lon = lon0 + along * 0.00003 + (k // 400) * 0.0001
        depth = 6.0 + 9.0 * ((along % 600) / 600.0) + r * 0.4
        depth2 = depth + 0.45
        heave = (r - 0.5) * 0.3
        tide = 1.2 + 0.4 * ((i // 3600) % 12) / 12.0
        cols = [""] * 40
        cols[0] = str(i + 1)
        cols[1] = "1" if r > 0.02 else "0"
        cols[2] = "%.2f" % depth
        cols[3] = "%.2f" % depth2
        cols[4] = "%02d/12/2026" % day
        cols[5] = "%.1f" % (1500.0 + r * 8.0)   # sound velocity
        cols[6] = "%d" % (90 + int(r * 10))      # quality
        cols[7] = "%.3f" % (r * 2.0)             # pitch
        cols[8] = "%.3f" % ((r - 0.5) * 3.0)     # roll
        cols[9] = "%.1f" % (along * 0.1 % 360)   # heading
        cols[15] = "%.2f" % heave
        cols[20] = "%d" % (12 + int(r * 4))      # satellites
        cols[21] = "%.1f" % (0.8 + r)            # HDOP
        (la, slat), (lo, slon) = dms(lat, "N", "S"), dms(lon, "E", "W")
        if i % 7 == 3:
            la, lo = '"' + la + '"', '"' + lo + '"'
        cols[31], cols[32] = la, lo
        cols[34] = "%02d/12/2026" % day
        cols[35] = "%02d:%02d:%02d.00" % (hour, minute, second)
        cols[36] = str(i + 1)
        cols[38] = "%.2f" % tide
        buf.append(",".join(cols) + "\n")
        if pos is not None:
            # The position exactly as the CSV states it, in decimal degrees.
            pos.write("%.9f %.9f\n" % (slon, slat))
        second += 1
        if second == 60:
            second, minute = 0, minute + 1
            if minute == 60:
                minute, hour = 0, hour + 1
                if hour == 24:
                    hour, day = 0, day + 1
        if len(buf) == 10000:
            out.write("".join(buf))
            buf = []
    out.write("".join(buf))
    out.close()
    if pos is not None:
        pos.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
