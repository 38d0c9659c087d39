#!/usr/bin/env python3
# Writes the small GTX and NTv2 files of ../grids.cases into this folder (run
# once; the files are kept). Values differ from node to node, so that a
# swapped field, a row or column taken from the wrong end, or an NTv2
# longitude left west-positive gives other numbers than the cases expect.
import struct
from pathlib import Path

HERE = Path(__file__).parent


def gtx(name, south, west, lat_step, lon_step, rows, cols, node):
    """Big-endian header (degrees, west edge 0..360 or -180..180), rows from the south."""
    data = struct.pack('>4d2i', south, west, lat_step, lon_step, rows, cols)
    data += b''.join(struct.pack('>f', node(r, c)) for r in range(rows) for c in range(cols))
    (HERE / name).write_bytes(data)


def geoid(r, c):  # metres; the node of row 2, column 5 is GTX's null value
    return -88.8888 if (r, c) == (2, 5) else 10 * r + 0.25 * c - 5


def ntv2(name, grids, order='<', gs_type='SECONDS'):
    """grids: (name, parent, S, N, E, W, lat step, lon step, shift(row, column from the east)[, GS_COUNT]),
    extent and steps in arc-seconds, longitudes west-positive as the format has them."""
    rec = lambda key, value: key.ljust(8).encode() + value
    text = lambda key, value: rec(key, value.ljust(8).encode())
    integer = lambda key, value: rec(key, struct.pack(order + '2i', value, 0))
    real = lambda key, value: rec(key, struct.pack(order + 'd', value))
    out = [integer('NUM_OREC', 11), integer('NUM_SREC', 11), integer('NUM_FILE', len(grids)),
           text('GS_TYPE', gs_type), text('VERSION', 'NTv2.0'), text('SYSTEM_F', 'OLD'), text('SYSTEM_T', 'NEW')]
    out += [real(key, 6378137.0) for key in ('MAJOR_F', 'MINOR_F', 'MAJOR_T', 'MINOR_T')]
    for sub, parent, s, n, e, w, lat_step, lon_step, shift, *count in grids:
        rows, cols = round((n - s) / lat_step) + 1, round((w - e) / lon_step) + 1
        out += [text('SUB_NAME', sub), text('PARENT', parent), text('CREATED', ''), text('UPDATED', '')]
        out += [real(k, v) for k, v in zip(('S_LAT', 'N_LAT', 'E_LONG', 'W_LONG', 'LAT_INC', 'LONG_INC'),
                                           (s, n, e, w, lat_step, lon_step))]
        out.append(integer('GS_COUNT', count[0] if count else rows * cols))
        # latitude shift, west-positive longitude shift (arc-seconds), their accuracies
        out += [struct.pack(order + '4f', *shift(r, c), 0.01, 0.01) for r in range(rows) for c in range(cols)]
    (HERE / name).write_bytes(b''.join(out + [text('END', '')]))


gtx('geoid.gtx', 40, 350, 0.5, 0.5, 4, 24, geoid)  # 40..41.5 N, 10 W..1.5 E
for west in (-180, 0):  # once round the earth: the first column comes again in the east
    gtx(f'world{west}.gtx', -15, west, 15, 15, 3, 24, lambda r, c: 100 * r + c)
gtx('narrow.gtx', 40, 0, 0.5, 0.5, 4, 10, geoid)
gtx('fraction.gtx', 40, 0, 0.3 / 3600, 0.5, 4, 24, geoid)

# 50..51 N, 8..10 E: 3 rows of 49 columns, 150" apart
MAIN = ('MAIN', 'NONE', 180000, 183600, -36000, -28800, 1800, 150,
        lambda r, c: (1.5 + 0.25 * r + 0.0625 * c, 4 - 0.125 * c))
ntv2('shift.gsb', [MAIN])
ntv2('count.gsb', [MAIN + (100,)])
ntv2('half.gsb', [MAIN[:3] + (180000 + 2 * 1800.5,) + MAIN[4:6] + (1800.5,) + MAIN[7:]])
ntv2('minutes.gsb', [MAIN], gs_type='MINUTES')
# big-endian: two top-level grids and a finer child of the second, each shifting latitude alone
const = lambda d_lat: lambda r, c: (d_lat, 0)
ntv2('multi.gsb', [('WEST', 'NONE', 180000, 183600, 0, 7200, 1800, 600, const(1)),
                   ('EAST', 'NONE', 180000, 183600, -36000, -28800, 1800, 600, const(2)),
                   ('FINE', 'EAST', 181800, 182400, -33000, -31800, 300, 60, const(3))], order='>')
