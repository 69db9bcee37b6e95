"""Fits the NaCl example and draws pK(t) per pressure with the points, the
picture of `tavrix plot`, in a notebook's style.

    PYTHONPATH=build/python python3 examples/fit_nacl.py [FIGURE]

FIGURE defaults to nacl-fit.png in the current folder (any format matplotlib
writes: .png, .svg, .pdf).
"""

import pathlib
import sys

import matplotlib

matplotlib.use("Agg")  # no window: the figure goes into a file
import matplotlib.pyplot as plt  # noqa: E402
import numpy  # noqa: E402

import tavrix  # noqa: E402

HERE = pathlib.Path(__file__).resolve().parent
figure_path = sys.argv[1] if len(sys.argv) > 1 else "nacl-fit.png"

sheet = tavrix.read_sheet(HERE / "nacl.ods")
result = tavrix.fit(sheet)
print(sheet)
print(result)  # as tavrix fit prints it
print(result.table())  # as tavrix table prints it

# What tavrix plot draws: a curve per measured condition (dashed beyond
# the span of the weighted points, thin outside the model's range of
# confidence), the points by kind.
plot = result.plot_data()
fig, ax = plt.subplots(figsize=(8, 5.5))
for group, condition in enumerate(plot["groups"]):
    color = f"C{group % 10}"  # the program's colours are matplotlib's
    for curve in (c for c in plot["curves"] if c["group"] == group):
        ax.plot(curve["t"], curve["pK"], color=color, lw=2 if curve["in_range"] else 1.2,
                ls="--" if curve["extrapolated"] else "-")
    ax.plot([], [], color=color, lw=2, label=condition["name"])
points = plot["points"]
kinds = numpy.array(points["kind"])
groups = numpy.array(points["group"])
markers = {"weighted": dict(marker="o"), "ignored": dict(marker="o", mfc="white"),
           "limit": dict(marker="v")}
names = {"weighted": "measured", "ignored": "weight 0 (not fitted)", "limit": '"<" upper limit'}
for kind in dict.fromkeys(kinds):
    for group in sorted(set(groups[kinds == kind])):
        shown = (kinds == kind) & (groups == group)
        ax.plot(points["t"][shown], points["pK"][shown], ls="none", color=f"C{group % 10}",
                mec="0.2", ms=7, **markers[kind])
    ax.plot([], [], ls="none", color="0.2", ms=7, label=names[kind], **markers[kind])
ax.set_xlim(*plot["t_axis"][:2])
ax.set_ylim(*plot["pK_axis"][:2])
ax.set_xlabel("t (°C)")
ax.set_ylabel("pK")
pK298, A, B = result.params
u = result.uncertainties
ax.set_title(f"{sheet.complex}: pK(298) = {pK298:.3f} ± {u.pK298:.3f}, "
             f"A = {A:.3f} ± {u.A:.3f}, B = {B:.2f} ± {u.B:.2f}")
ax.grid(color="0.88")
ax.legend(loc="upper left", bbox_to_anchor=(1.01, 1), frameon=False)
fig.tight_layout()
fig.savefig(figure_path, dpi=110)
print(f"figure: {figure_path}")
