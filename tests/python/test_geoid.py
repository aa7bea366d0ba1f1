"""The Python module egm2008: scalars and arrays of any real dtype, broadcast,
masked points as NaN; the engine's bits on the reference rows; the batch spread
over threads; height conversions; errors with the command line's messages and
the system's errno."""
import errno
import math
import os

import numpy as np
import pytest

import egm2008
from conftest import (GRID_10_LE, GRID_2_5_BE, METHODS, real_grid, reference_rows,
                      tool_error, tool_message, write_constant_grid, write_model_grid)


@pytest.fixture(scope="module")
def geoid10():
    return egm2008.Geoid(real_grid(GRID_10_LE))


def bits(values):
    return np.asarray(values, dtype=np.float64).astype(np.float32).view(np.uint32)


@pytest.mark.parametrize("csv, grid, size, order", [
    ("engine_sample_10min_le.csv", GRID_10_LE, "10'", "little"),
    ("engine_sample_2p5min_be.csv", GRID_2_5_BE, "2.5'", "big"),
])
def test_reference_rows_through_arrays_and_scalars(csv, grid, size, order):
    geoid = egm2008.Geoid(real_grid(grid))
    assert (geoid.info.size, geoid.info.byte_order) == (size, order)
    lat, lon, method, status, expected = reference_rows(csv)
    for number, name in enumerate(METHODS):
        rows = method == number
        got = geoid.undulation(lat[rows], lon[rows], method=name)
        assert got.dtype == np.float64
        ok = status[rows] == 0
        np.testing.assert_array_equal(bits(got[ok]), expected[rows][ok])
        assert np.isnan(got[~ok]).all()
        for k in np.flatnonzero(rows)[:5]:
            scalar = geoid.undulation(lat[k], lon[k], method=name)
            assert type(scalar) is float
            assert bits(scalar) == expected[k] if status[k] == 0 else math.isnan(scalar)


def test_grid_names_are_looked_up_in_the_grid_path(monkeypatch):
    path = real_grid(GRID_2_5_BE)
    monkeypatch.setenv("EGM2008_GRID_PATH", os.path.dirname(path))
    assert egm2008.Geoid("2.5-be").info.path == path


def test_broadcasting_gives_the_scalar_answers(geoid10):
    lat = np.array([[-89.9], [0.0], [47.25]])
    lon = np.array([-179.5, 0.0, 12.0, 359.9])
    got = geoid10.undulation(lat, lon)
    assert got.shape == (3, 4)
    for i in range(3):
        for j in range(4):
            assert got[i, j] == geoid10.undulation(float(lat[i, 0]), float(lon[j]))
    assert geoid10.undulation(lat, 7.5).shape == (3, 1)


@pytest.mark.parametrize("dtype", [np.float16, np.float32, np.float64, np.longdouble, np.int32,
                                   np.uint8])
def test_every_real_dtype_is_read_as_float64(geoid10, dtype):
    lat = np.array([10, 45, 80], dtype=dtype)
    lon = np.array([5, 120, 250], dtype=dtype)
    expected = geoid10.undulation(lat.astype(np.float64), lon.astype(np.float64))
    np.testing.assert_array_equal(geoid10.undulation(lat, lon), expected)
    assert type(geoid10.undulation(lat[0], lon[0])) is float


def test_strided_and_fortran_ordered_arrays(geoid10):
    grid = np.linspace(-80, 80, 40).reshape(8, 5)
    lat, lon = np.asfortranarray(grid), np.asfortranarray(grid.T.copy().T * 2)
    expected = geoid10.undulation(np.ascontiguousarray(lat), np.ascontiguousarray(lon))
    np.testing.assert_array_equal(geoid10.undulation(lat, lon), expected)
    np.testing.assert_array_equal(geoid10.undulation(lat[::2, ::3], lon[::2, ::3]),
                                  expected[::2, ::3])


def test_large_arrays_spread_over_threads_agree_with_small_batches(geoid10):
    random = np.random.default_rng(7)
    lat = random.uniform(-91, 91, 300_001)  # some outside
    lon = random.uniform(-200, 370, 300_001)
    whole = geoid10.undulation(lat, lon, method="biquadratic")
    parts = np.concatenate([geoid10.undulation(lat[k:k + 1000], lon[k:k + 1000],
                                               method="biquadratic")
                            for k in range(0, lat.size, 1000)])
    np.testing.assert_array_equal(whole, parts)
    assert np.isnan(whole).any() and not np.isnan(whole).all()


def test_heights_convert_by_n_and_are_nan_outside(tmp_path):
    geoid = egm2008.Geoid(write_constant_grid(tmp_path / "grid", 30.5, big_endian=True))
    assert geoid.info.byte_order == "big"
    assert geoid.orthometric(100.0, 45.0, 7.0) == 69.5
    assert geoid.ellipsoidal(100.0, 45.0, 7.0, method="nearest") == 130.5
    np.testing.assert_array_equal(geoid.orthometric([100.0, 0.0], [45.0, 95.0], 7.0),
                                  [69.5, np.nan])
    np.testing.assert_array_equal(geoid.ellipsoidal(np.array([[1.0], [2.0]]), 45.0, [7.0, -400.0]),
                                  [[31.5, np.nan], [32.5, np.nan]])


@pytest.mark.parametrize("make, code", [
    (lambda d: d / "missing", errno.ENOENT),
    (lambda d: d, errno.EISDIR),
    (lambda d: (d / "short").write_bytes(b"\0" * 4321) and d / "short", None),
], ids=["missing", "folder", "short"])
def test_unusable_files_raise_the_command_lines_message_and_errno(tmp_path, make, code):
    path = make(tmp_path)
    with pytest.raises(egm2008.Error) as raised:
        egm2008.Geoid(path)
    assert isinstance(raised.value, OSError)
    assert str(raised.value) == tool_message(path)
    assert raised.value.errno == code


@pytest.mark.parametrize("path", ["grid\0x", b"grid\0x"], ids=["str", "bytes"])
def test_a_path_with_a_null_character_raises_value_error_as_open_does(tmp_path, monkeypatch, path):
    """It was once cut short at the null character and opened the file "grid"."""
    write_constant_grid(tmp_path / "grid", 30.5)
    monkeypatch.chdir(tmp_path)
    with pytest.raises(ValueError):
        open(path)
    with pytest.raises(ValueError):
        egm2008.Geoid(path)


def test_masked_points_give_nan(tmp_path):
    """numpy.asarray dropped the mask, so a masked point was computed from the value under it."""
    geoid = egm2008.Geoid(write_constant_grid(tmp_path / "grid", 30.5))
    lat = np.ma.masked_array([45.0, 46.0, 47.0], mask=[False, True, False])
    lon = np.ma.masked_array([7, 8, 9], mask=[False, False, True], dtype=np.int32)
    np.testing.assert_array_equal(geoid.undulation(lat, lon), [30.5, np.nan, np.nan])
    np.testing.assert_array_equal(geoid.orthometric(np.ma.masked_array([100.0], mask=[True]),
                                                    45.0, 7.0), [np.nan])
    assert math.isnan(geoid.undulation(np.ma.masked, 7.0))


@pytest.mark.parametrize("call, error", [
    (lambda g: g.undulation(1.0, 2.0, method="cubic"), ValueError),
    (lambda g: g.undulation("north", 2.0), TypeError),
    (lambda g: g.undulation([1.0 + 1j], [2.0]), TypeError),
    (lambda g: g.undulation([1.0, 2.0, 3.0], [1.0, 2.0]), ValueError),
], ids=["method", "text", "complex", "shapes"])
def test_wrong_arguments_raise(geoid10, call, error):
    with pytest.raises(error):
        call(geoid10)


@pytest.mark.parametrize("system, lat, correction", [
    ("tide-free", 0.0, 0.0),
    ("mean-tide", 0.0, 0.1287),
    ("mean-tide", -90.0, -0.2561),
    ("zero-tide", 90.0, -0.0591),
])
def test_tide_system_adds_ekmans_correction_to_the_tide_free_n(tmp_path, system, lat, correction):
    path = write_constant_grid(tmp_path / "grid", 30.5)
    geoid = egm2008.Geoid(path, tide_system=system)
    assert geoid.tide_system == system
    n = 30.5 + correction
    assert geoid.undulation(lat, 7.0) == pytest.approx(n, abs=1e-12)
    np.testing.assert_allclose(geoid.undulation([lat, lat], [7.0, 8.0]), [n, n], rtol=0, atol=1e-12)
    assert geoid.orthometric(100.0, lat, 7.0) == pytest.approx(100.0 - n, abs=1e-12)
    assert egm2008.Geoid(path).undulation(lat, 7.0) == 30.5


def test_an_unknown_tide_system_raises_value_error(tmp_path):
    with pytest.raises(ValueError, match="tide_system must be tide-free, mean-tide or zero-tide"):
        egm2008.Geoid(write_constant_grid(tmp_path / "grid", 30.5), tide_system="mean")


def model_node(rows, columns):
    """A value that differs at every node, so a wrong row, column or value width shows."""
    return rows * 0.125 - columns * 0.0078125 + 3.0


@pytest.mark.parametrize("model, file, step, title", [
    ("egm96", "egm96.grd", 0.25, "EGM96 15'"),
    ("egm84", "wwgrid.bin", 0.5, "EGM84 30'"),
])
def test_model_names_open_the_models_file(tmp_path, monkeypatch, model, file, step, title):
    path = write_model_grid(tmp_path / file, model, model_node)
    monkeypatch.setenv("EGM2008_GRID_PATH", str(tmp_path))
    for geoid in (egm2008.Geoid(model), egm2008.Geoid(tmp_path / file)):
        info = geoid.info
        assert (info.path, info.model, info.title, info.byte_order) == (path, model, title, "big")
        assert f'model="{model}"' in repr(info)
        # At a node N is the node's value; longitude 360 and -step are the columns 0 and last.
        rows = np.array([0, 1, 100, int(180 / step) - 1])
        columns = np.array([0, 3, 77, int(360 / step) - 1])
        got = geoid.undulation(90 - rows * step, columns * step)
        expected = model_node(rows, columns).astype(np.float32)
        np.testing.assert_array_equal(bits(got), expected.view(np.uint32))
        assert geoid.undulation(10.0, 360.0) == geoid.undulation(10.0, 0.0)
        assert geoid.undulation(10.0, -step) == geoid.undulation(10.0, 360 - step)


@pytest.mark.parametrize("model", ["egm96", "egm84"])
def test_missing_model_raises_the_command_lines_message(tmp_path, monkeypatch, model):
    for system in ("/usr/local/share/egm2008", "/usr/share/egm2008"):
        if os.path.exists(os.path.join(system, "egm96.grd" if model == "egm96" else "wwgrid.bin")):
            pytest.skip(f"{model} is installed in {system}")
    monkeypatch.setenv("EGM2008_GRID_PATH", str(tmp_path))
    monkeypatch.setenv("XDG_DATA_HOME", str(tmp_path))
    told = tool_error("point", "--model", model, "0", "0")
    assert f"grid not found: run `egm2008 grids install {model}`" in told
    with pytest.raises(egm2008.Error) as raised:
        egm2008.Geoid(model)
    assert str(raised.value) == told
