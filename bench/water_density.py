"""water_density over 10^6 (t, P) pairs from NumPy, the figure the README
gives beside the C++ benchmarks: the 55 points of the pK table (as the C++
benchmark takes them) repeated, and random pairs over the sheet's ranges.
Best of 5 calls.

    PYTHONPATH=build/python python3 bench/water_density.py
"""

import time

import numpy

import tavrix

N = 10**6

table = tavrix.pk_table(0, 0, 0)
t, p = numpy.meshgrid(table.temperatures, table.pressures)
repeats = -(-N // t.size)
cases = {
    "the pK table's 55 points": (numpy.tile(t.ravel(), repeats)[:N],
                                 numpy.tile(p.ravel(), repeats)[:N]),
    "random: 0-1000 C, 0-5000 bar": (numpy.random.default_rng(1).uniform(0, 1000, N),
                                     numpy.random.default_rng(2).uniform(0, 5000, N)),
}
for name, (t_c, p_bar) in cases.items():
    best = float("inf")
    for _ in range(5):
        start = time.perf_counter()
        tavrix.water_density(t_c, p_bar)
        best = min(best, time.perf_counter() - start)
    print(f"water_density, {N} pairs, {name}: {best:.3f} s ({best / N * 1e9:.0f} ns a pair)")
