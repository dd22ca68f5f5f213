"""Compares an SU file made by our segyread with what segyio reads from the
SEG-Y file it came from: trace count, ns, dt, every header word up to byte
180, every sample. Prints OK or the first differences; exit status 0 on OK.

usage: segyio_compare.py SEGY SU little|big FIRST LAST [SEGY SU ...]
(LAST 0: to the last trace). One run compares many files, since starting
Python with segyio and numpy takes most of the time.
"""
import sys
import numpy as np
import segyio


SU_WORDS = [(0, 4), (4, 4), (8, 4), (12, 4), (16, 4), (20, 4), (24, 4), (28, 2), (30, 2), (32, 2), (34, 2)]
SU_WORDS += [(b, 4) for b in range(36, 68, 4)] + [(68, 2), (70, 2)] + [(b, 4) for b in range(72, 88, 4)]
SU_WORDS += [(b, 2) for b in range(88, 180, 2)]


def own_decode(f, fmt, ns, n, endian):
    """Formats segyio 1.8.3 misreads: decoded here from the raw bytes."""
    size = {10: 4, 11: 2, 12: 8}[fmt]
    kind = {10: 'u4', 11: 'u2', 12: 'u8'}[fmt]
    dt = np.dtype(('>' if endian == 'big' else '<') + kind)
    raw = open(f, 'rb').read()
    out = []
    for t in range(n):
        start = 3600 + t * (240 + ns * size) + 240
        out.append(np.frombuffer(raw, dt, ns, start).astype(np.float32))
    return out


def compare(sgy, su, order, first, last):
    with segyio.open(sgy, ignore_geometry=True, endian=order) as f:
        ns = len(f.samples)
        fmt = f.bin[segyio.BinField.Format]
        n = f.tracecount
        traces = own_decode(sgy, fmt, ns, n, order) if fmt in (10, 11, 12) else [np.array(f.trace[i]) for i in range(n)]
        headers = [f.header[i] for i in range(n)]
        dt_bin = f.bin[segyio.BinField.Interval]

    data = np.fromfile(su, dtype=np.uint8)
    tl = 240 + 4 * ns
    bad = []
    last = last or n
    want = last - first + 1
    if data.size != want * tl:
        bad.append(f"SU size {data.size} != {want} traces x {tl}")
    else:
        for k in range(want):
            i = first - 1 + k
            h = data[k * tl:k * tl + 240].tobytes()
            s = np.frombuffer(data[k * tl + 240:(k + 1) * tl].tobytes(), '<f4')
            raw = headers[i].buf if hasattr(headers[i], 'buf') else None
            hb = f_hdr = None
            su_ns = int.from_bytes(h[114:116], 'little', signed=True)
            if su_ns != ns:
                bad.append(f"trace {i+1}: ns {su_ns} != {ns}")
            dt_tr = headers[i][segyio.TraceField.TRACE_SAMPLE_INTERVAL]
            su_dt = int.from_bytes(h[116:118], 'little')
            if su_dt != (dt_tr if dt_tr else dt_bin):
                bad.append(f"trace {i+1}: dt {su_dt} != {dt_tr or dt_bin}")
            for (b, w) in SU_WORDS:
                if b in (114, 116):
                    continue
                v = int.from_bytes(h[b:b + w], 'little', signed=True)
                key = b + 1
                if key in segyio.tracefield.keys.values():
                    e = headers[i][key]
                    if w == 2 and e > 32767:
                        e -= 65536
                    if w == 4 and e > 2**31 - 1:
                        e -= 2**32
                    if v != e:
                        bad.append(f"trace {i+1}: header byte {b}: {v} != {e}")
            expect = traces[i].astype(np.float64)
            trwf = headers[i][segyio.TraceField.TraceWeightingFactor]
            if trwf > 32767:
                trwf -= 65536
            if fmt not in (1, 5, 6) and trwf:
                expect = expect * 2.0 ** (-trwf)
            if not np.array_equal(s.astype(np.float64), expect.astype(np.float32).astype(np.float64)):
                j = int(np.argmax(s != expect.astype(np.float32)))
                bad.append(f"trace {i+1}: sample {j}: {s[j]} != {expect[j]}")
            if len(bad) > 5:
                break
    return [sgy + ": " + b for b in bad[:6]]


bad = []
args = sys.argv[1:]
for g in range(0, len(args), 5):
    sgy, su, order, first, last = args[g:g + 5]
    bad += compare(sgy, su, order, int(first), int(last))
print("\n".join(bad) if bad else "OK")
sys.exit(1 if bad else 0)
