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


def write_model_grid(path, model, node):
    """An older model's file as geotranz holds it: big-endian rows from 90 N, each from
    longitude 0 to 360 inclusive (360 repeating 0); "egm96" binary32 at 15' after its header
    of six binary32, "egm84" binary64 at 30'. node(rows, columns) gives the values before 360."""
    step, dtype = (0.25, ">f4") if model == "egm96" else (0.5, ">f8")
    rows, columns = np.meshgrid(np.arange(int(180 / step) + 1), np.arange(int(360 / step)),
                                indexing="ij")
    values = node(rows, columns).astype(np.float32)
    values = np.concatenate([values, values[:, :1]], axis=1).astype(dtype)
    with open(path, "wb") as out:
        if model == "egm96":
            np.array([-90, 90, 0, 360, 0.25, 0.25], dtype=">f4").tofile(out)
        values.tofile(out)
    return str(path)


def tool_error(*args):
    """What `egm2008 ARGS` prints on standard error, without "egm2008: "."""
    run = subprocess.run([os.environ["EGM2008_TOOL"], *args],
                         capture_output=True, text=True, check=False)
    assert run.stderr.startswith("egm2008: "), run.stderr
    return run.stderr[len("egm2008: "):].rstrip("\n")


def tool_message(path):
    """What `egm2008 point --grid PATH 0 0` prints on standard error, without "egm2008: "."""
    return tool_error("point", "--grid", str(path), "0", "0")
