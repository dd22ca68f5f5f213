#!/usr/bin/python3
"""Writes the reference outputs of boardtest's eight low-pass sets for one fixed input.

Run once with Debian's Python (python3-scipy, python3-numpy) in this folder; the
outputs are committed beside this script, so the tests need neither.

boardtest's recursion leaves outputs 0..8 at 0 and from k = 9 on computes
y[k] = sum b_j x[k-j] - sum a_j y[k-j] over the double-precision samples. Its
first output uses x[1..9] and the zero outputs y[1..8], so scipy's lfilter is
started at k = 9 with the state lfiltic builds from those. boardtest rounds
both sums and their difference to 32-bit floats; lfilter works in double
throughout. A second column gives the recursion with that rounding, so the
test holds the C++ code tightly to it and still checks it against lfilter.

The 8000 Hz set is designed here: the Butterworth low-pass of order 8 whose
corner fits the coefficients a[1]..a[6] and a[8] held for that rate (about
409.63 Hz), with a[7] from the design and the gain g = sum(a) / 256, so that
0 Hz passes at unity. The 16000 Hz set keeps its denominator and takes the
same gain rule.
"""
import numpy as np
from scipy import optimize, signal

N = 300
BINOMIAL = np.array([1, 8, 28, 56, 70, 56, 28, 8, 1], dtype=np.float64)

# b0..b4 (b5..b8 mirror them) and a1..a8, as the console holds them.
SETS = {
    "Coeff_4000": ([2.80348271344067e-05, 0.000224278617075253, 0.000784975159763387,
                    0.00156995031952677, 0.00196243789940847],
                   [-4.70736612676377, 10.1404022551559, -12.9157405384955, 10.5733547894542,
                    -5.67256380964076, 1.94157051824088, -0.386685040053477, 0.0342422387732752]),
    "Coeff_2000": ([0.00263721911386832, 0.0210977529109465, 0.0738421351883129,
                    0.147684270376626, 0.184605337970782],
                   [-1.4373527888169, 1.8959776410899, -1.32684568031411, 0.752680625214126,
                    -0.267806784304733, 0.0687590687798887, -0.0100332511124467,
                    0.000704297691017539]),
    "Coeff_1000_2": ([0.00262866920325507, 0.0210293536260405, 0.0736027376911418,
                      0.147205475382284, 0.184006844227855],
                     [-1.44068906078289, 1.8998641470586, -1.33113067481238, 0.755048336125728,
                      -0.268850603332202, 0.0690253636302732, -0.0100774924435966,
                      0.000707398820081919]),
    "Coeff_1000_1": ([8.4376679488729e-07, 6.75013435909836e-06, 2.36254702568442e-05,
                      4.72509405136885e-05, 5.90636756421106e-05],
                     [-6.02338295525125, 16.0661153744404, -24.7502163382812, 24.0592610161701,
                      -15.0984226031788, 5.96903138330489, -1.35833755295252, 0.136152119188248]),
    "Coeff_500": ([8.4970925193088e-07, 6.79767401544703e-06, 2.37918590540646e-05,
                   4.75837181081292e-05, 5.94796476351615e-05],
                  [-6.02136024300019, 16.0558006889516, -24.7273485537059, 24.0307421004429,
                   -15.0768454395651, 5.95913849534506, -1.35579482780719, 0.135869703771603]),
    "Coeff_250": ([9.74654078759267e-05, 0.000779723263007413, 0.00272903142052595,
                   0.00545806284105189, 0.00682257855131487],
                  [-4.04935795928805, 7.75353712144884, -8.93762555616997, 6.70929798974073,
                   -3.33364701172552, 1.06521941858476, -0.199361282728341, 0.0166820812661212]),
}

A_16000 = [-7.17560689330254, 22.5653230328407, -40.6163433744019, 45.7641401499277,
           -33.0512626391112, 14.9404682489958, -3.86467145189188, 0.437953228642852]
# As held for 8000 Hz; a[7] (index 6 here) is a copy of a[6] and is replaced.
A_8000_HELD = [-6.35166149338859, 17.7904287601253, -28.6786844550192, 29.0843295583676,
               -18.9916630000868, 7.79435656903368, 7.79435656903368, 0.190447246272342]


def unity_gain_set(a_tail):
    a = np.array([1.0] + list(a_tail))
    g = np.sum(a) / 256.0
    return list(g * BINOMIAL[:5]), list(a_tail)


def design_8000():
    held = np.array([1.0] + A_8000_HELD)
    fit = [1, 2, 3, 4, 5, 6, 8]

    def misfit(fc):
        _, a = signal.butter(8, fc / 4000.0)
        return np.sum((a[fit] - held[fit]) ** 2)

    fc = optimize.minimize_scalar(misfit, bounds=(400, 420), method="bounded",
                                  options={"xatol": 1e-10}).x
    _, a = signal.butter(8, fc / 4000.0)
    tail = list(A_8000_HELD)
    tail[6] = a[7]
    return fc, tail


def test_input():
    """De-meaned samples: a step of 1000 from 20, an impulse of 5000 at 60,
    a sine of 300 and period 37, and the step again at 0.5 times from 200."""
    n = np.arange(N)
    x = np.where(n >= 20, 1000.0, 0.0)
    x[60] += 5000.0
    x += 300.0 * np.sin(2.0 * np.pi * n / 37.0)
    x[200:] -= 500.0
    return x - np.mean(x[1:])


def full(half, tail):
    return (np.array(half + half[3::-1], dtype=np.float64),
            np.array([1.0] + tail, dtype=np.float64))


def with_lfilter(b, a, x):
    zi = signal.lfiltic(b, a, y=np.zeros(8), x=x[8:0:-1])
    y, _ = signal.lfilter(b, a, x[9:], zi=zi)
    return np.concatenate([np.zeros(9), y])


def with_float_sums(b, a, x):
    y = np.zeros(N)
    for k in range(9, N):
        sa = sum(a[j] * y[k - j] for j in range(1, 9))
        sb = sum(b[j] * x[k - j] for j in range(0, 9))
        y[k] = float(np.float32(np.float32(sb) - np.float32(sa)))
    return y


def main():
    sets = dict(SETS)
    sets["Coeff_16000"] = unity_gain_set(A_16000)
    fc, tail = design_8000()
    sets["Coeff_8000"] = unity_gain_set(tail)
    print("8000 Hz: corner %.6f Hz, a[7] %.17g, g %.17g" % (fc, tail[6], sets["Coeff_8000"][0][0]))
    print("16000 Hz: g %.17g" % sets["Coeff_16000"][0][0])
    x = test_input()
    with open("filter_input.txt", "w") as f:
        for v in x:
            f.write("%.17g\n" % v)
    for name, (half, a_tail) in sorted(sets.items()):
        b, a = full(half, a_tail)
        ref = with_lfilter(b, a, x)
        emu = with_float_sums(b, a, x)
        with open("filter_%s.txt" % name, "w") as f:
            f.write("# output k: lfilter (double), recursion with 32-bit sums\n")
            for r, e in zip(ref, emu):
                f.write("%.17g %.9g\n" % (r, e))
        rel = np.max(np.abs(ref - emu)) / np.max(np.abs(ref))
        print("%-13s dc gain %.6f  max pole %.4f  max|lfilter-float|/peak %.3g"
              % (name, np.sum(b) / np.sum(a), np.max(np.abs(np.roots(a))), rel))


if __name__ == "__main__":
    main()
