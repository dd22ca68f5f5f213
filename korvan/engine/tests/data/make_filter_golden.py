#!/usr/bin/python3
"""Writes the reference outputs of korvan's six low-pass sets for one fixed input.

Run once with Debian's Python (python3-scipy, python3-numpy); the outputs are
committed beside this script so the tests need neither.

The recurrence that korvan runs starts from eight zero outputs: output n
(n = 1..N) takes as input x(n) the n-th received sample, outputs 1..8 are 0,
and from output 9 on y(n) = sum b_k x(n-k) - sum a_k y(n-k). scipy's lfilter is
started at output 9 with its state built by lfiltic from the eight zero outputs
and the first eight inputs. korvan rounds both sums and their difference to
32-bit floats; lfilter works in double throughout. A second column gives the
same recurrence with that rounding, so the test can hold the C++ code to a
tight tolerance and still check it against lfilter's double result.
"""
import numpy as np
from scipy import signal

N = 300

# b0..b4 (b5..b8 mirror them) and a1..a8, as stored in 32-bit floats.
SETS = {
    "Coeff_16000": ([9.38294331e-10, 7.50635465e-09, 2.62722395e-08, 5.2544479e-08, 6.56806023e-08],
                    [-7.19492435, 22.6850624, -40.9350853, 46.2364273, -33.47192, 15.1656713,
                     -3.93176556, 0.446533978]),
    "Coeff_8000": ([1.66795488e-07, 1.3343639e-06, 4.67027394e-06, 9.34054788e-06, 1.16756846e-05],
                   [-6.39036465, 18.0003376, -29.1710987, 29.7313747, -19.5056324, 8.0409956,
                    -1.90366888, 0.198100016]),
    "Coeff_4000": ([2.40260542e-05, 0.000192208434, 0.000672729511, 0.00134545902, 0.00168182387],
                   [-4.7845149, 10.4450407, -13.4577198, 11.1293306, -6.02526045, 2.0792737,
                    -0.417217165, 0.0372001007]),
    "Coeff_2000": ([0.00226917746, 0.0181534197, 0.0635369644, 0.127073929, 0.158842415],
                   [-1.59056652, 2.08381319, -1.53262556, 0.869440913, -0.319175929, 0.0820901319,
                    -0.0122466702, 0.000861368375]),
    "Coeff_500": ([7.17130206e-07, 5.73704165e-06, 2.00796458e-05, 4.01592915e-05, 5.01991162e-05],
                  [-6.06879091, 16.2986641, -25.2677917, 24.707056, -15.590168, 6.19518948,
                   -1.41663456, 0.142644718]),
    "Coeff_250": ([8.26592222e-05, 0.000661273778, 0.00231445837, 0.00462891674, 0.00578614557],
                  [-4.14380312, 8.0730257, -9.44183826, 7.17658949, -3.60505533, 1.1632117,
                   -0.219615474, 0.0185232833]),
}


def test_input():
    """A step of 1000 from sample 20, an impulse of 5000 at 60, a sine of 300 and period 37."""
    n = np.arange(N)
    x = np.where(n >= 20, 1000.0, 0.0)
    x[60] += 5000.0
    x += 300.0 * np.sin(2.0 * np.pi * n / 37.0)
    return x.astype(np.float32)


def coefficients(name):
    half, a_tail = SETS[name]
    b = np.array(half + half[3::-1], dtype=np.float32).astype(np.float64)
    a = np.array([1.0] + a_tail, dtype=np.float32).astype(np.float64)
    return b, a


def with_lfilter(b, a, x):
    xd = x.astype(np.float64)
    zi = signal.lfiltic(b, a, y=np.zeros(8), x=xd[7::-1])
    y, _ = signal.lfilter(b, a, xd[8:], zi=zi)
    return np.concatenate([np.zeros(8), y])


def with_float_sums(b, a, x):
    xd = x.astype(np.float64)
    y = np.zeros(N, dtype=np.float32)
    for i in range(8, N):
        sa = 0.0
        for k in range(1, 9):
            sa += a[k] * float(y[i - k])
        sb = 0.0
        for k in range(0, 9):
            sb += b[k] * xd[i - k]
        y[i] = np.float32(np.float32(sb) - np.float32(sa))
    return y


def main():
    x = test_input()
    with open("filter_input.txt", "w") as f:
        for v in x:
            f.write("%.9g\n" % v)
    for name in SETS:
        b, a = coefficients(name)
        ref = with_lfilter(b, a, x)
        emu = with_float_sums(b, a, x)
        with open("filter_%s.txt" % name, "w") as f:
            f.write("# output n: lfilter (double), recurrence with 32-bit sums\n")
            for r, e in zip(ref, emu):
                f.write("%.17g %.9g\n" % (r, e))
        rel = np.max(np.abs(ref - emu)) / np.max(np.abs(ref))
        print("%-12s peak %.6g  last %.6g  max|lfilter-float|/peak %.3g"
              % (name, np.max(np.abs(ref)), ref[-1], rel))


if __name__ == "__main__":
    main()
