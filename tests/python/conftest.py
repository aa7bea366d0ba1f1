"""Helpers of the Python module's tests: the real grids, the reference rows, grid
files written from the file layout alone, and the egm2008 tool for its messages.
ctest sets PYTHONPATH (the built module), EGM2008_GRID_DIR, EGM2008_TEST_DATA_DIR
and EGM2008_TOOL."""
import os
import subprocess

import numpy as np
import pytest

GRID_10_LE = "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE"
GRID_2_5_BE = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree"
METHODS = ["biquadratic", "bilinear", "triangulation", "nearest"]  # by reference number


def real_grid(name):
    """The path of a real grid; skips the test when it is missing."""
    path = os.path.join(os.environ.get("EGM2008_GRID_DIR", "grids"), name)
    if not os.path.isfile(path):
        pytest.skip(f"real grid {path} is missing; run scripts/setup-grids.sh to make it")
    return path


def reference_rows(csv):
    """lat, lon, method, status, bits of tests/data/real/`csv`, as numpy arrays."""
    path = os.path.join(os.environ["EGM2008_TEST_DATA_DIR"], "real", csv)
    rows = np.loadtxt(path, delimiter=",", skiprows=1, dtype=str)
    return (rows[:, 0].astype(np.float64), rows[:, 1].astype(np.float64),
            rows[:, 2].astype(int), rows[:, 3].astype(int),
            np.array([int(b, 16) for b in rows[:, 4]], dtype=np.uint32))


def write_constant_grid(path, value, big_endian=False):
    """A 10' grid file whose every node is `value`: per row a marker of 4 * 2160,
    the row's values and the marker again, rows from 90 N."""
    order = ">" if big_endian else "<"
    rows = np.full((1081, 2162), value, dtype=order + "f4")
    rows.view(order + "u4")[:, [0, -1]] = 4 * 2160
    rows.tofile(path)
    return str(path)


def tool_message(path):
    """What `egm2008 point --grid PATH 0 0` prints on standard error, without "egm2008: "."""
    run = subprocess.run([os.environ["EGM2008_TOOL"], "point", "--grid", str(path), "0", "0"],
                         capture_output=True, text=True, check=False)
    assert run.stderr.startswith("egm2008: "), run.stderr
    return run.stderr[len("egm2008: "):].rstrip("\n")
