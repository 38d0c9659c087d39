#!/usr/bin/env python3
"""Writes examples/harbour_survey.csv: a sounding line run across a harbour
basin, one record a second, in the layout the Zelto system exports (title
line, then 40 comma-separated columns; positions with UTF-8 degree, prime and
double-prime signs). The exporter wraps some positions in double quotes (it does
so when a position was typed in by hand at a fix): every fifth record here has
them, as the converter must read both forms alike."""
import math, os

def dms(value, pos, neg):
    hemi = pos if value >= 0 else neg
    value = abs(value)
    d = int(value); m = int((value - d) * 60); s = ((value - d) * 60 - m) * 60
    return f"{hemi} {d}\u00b0{m:02d}\u2032{s:05.2f}\u2033"

title = ",".join(["Rec", "Flag", "Depth1", "Depth2"] + [f"C{i}" for i in range(4, 15)] +
                 ["Heave"] + [f"C{i}" for i in range(16, 31)] +
                 ["Latitude", "Longitude", "C33", "Date", "Time", "Fix", "C37", "Tide", "C39"])
rows = [title]
lat0, lon0 = 32.7100, -117.1800
for i in range(300):
    lat = lat0 + 0.00002 * i
    lon = lon0 + 0.00003 * i + 0.00001 * math.sin(i / 15)
    depth = 8.0 + 4.0 * math.sin(i / 40) + 0.05 * (i % 7)
    cols = [""] * 40
    cols[2] = f"{depth:.2f}"
    cols[3] = f"{depth + 0.45:.2f}"
    cols[15] = f"{0.1 * math.sin(i / 3):.2f}"
    cols[31] = dms(lat, "N", "S")
    cols[32] = dms(lon, "E", "W")
    if i % 5 == 4:
        cols[31] = f'"{cols[31]}"'
        cols[32] = f'"{cols[32]}"'
    sec = 9 * 3600 + 30 * 60 + i
    cols[34] = "06/12/2026"
    cols[35] = f"{sec // 3600:02d}:{sec // 60 % 60:02d}:{sec % 60:02d}.00"
    cols[36] = str(i + 1)
    cols[38] = f"{1.20 + 0.001 * i:.2f}"
    rows.append(",".join(cols))
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "harbour_survey.csv")
with open(out, "w", encoding="utf-8", newline="\r\n") as f:
    f.write("\n".join(rows) + "\n")
