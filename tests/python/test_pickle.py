"""A Geoid shipped to other processes: pickled by its file, what the file is and its tide
system, opened again on the worker; multiprocessing and a local Dask scheduler give the
numbers of the direct call."""
import multiprocessing
import pickle

import numpy as np
import pytest

import egm2008
from conftest import GRID_2_5_BE, GRID_10_LE, real_grid, write_constant_grid


@pytest.mark.parametrize("name, tide", [
    (GRID_10_LE, "tide-free"),
    (GRID_2_5_BE, "mean-tide"),
    ("egm96.grd", "zero-tide"),
    ("wwgrid.bin", "tide-free"),
])
def test_a_pickled_geoid_is_the_same_grid_and_tide_system(name, tide):
    geoid = egm2008.Geoid(real_grid(name), tide_system=tide)
    copy = pickle.loads(pickle.dumps(geoid))
    assert repr(copy.info) == repr(geoid.info)
    assert copy.tide_system == tide
    lat, lon = np.array([52.5, -33.9, 89.99, 0.0]), np.array([13.4, -70.7, 10.0, 359.99])
    np.testing.assert_array_equal(copy.undulation(lat, lon, "biquadratic"),
                                  geoid.undulation(lat, lon, "biquadratic"))


def test_a_pickle_whose_file_became_another_grid_is_refused(tmp_path):
    path = write_constant_grid(tmp_path / "grid", 12.5)
    state = pickle.dumps(egm2008.Geoid(path))
    write_constant_grid(tmp_path / "grid", 12.5, big_endian=True)
    with pytest.raises(egm2008.Error, match="not the EGM2008 10' grid, little-endian"):
        pickle.loads(state)


def undulations(geoid, lat, lon):
    return geoid.undulation(lat, lon, "bilinear")


def test_multiprocessing_and_dask_workers_give_the_direct_call():
    dask_array = pytest.importorskip("dask.array")
    import dask
    geoid = egm2008.Geoid(real_grid(GRID_10_LE), tide_system="mean-tide")
    rng = np.random.default_rng(2008)
    lat = rng.uniform(-90, 90, 4000)
    lon = rng.uniform(-180, 180, 4000)
    direct = undulations(geoid, lat, lon)

    chunks = [(geoid, lat[k:k + 1000], lon[k:k + 1000]) for k in range(0, 4000, 1000)]
    with multiprocessing.get_context("spawn").Pool(2) as pool:
        np.testing.assert_array_equal(np.concatenate(pool.starmap(undulations, chunks)), direct)

    la = dask_array.from_array(lat, chunks=1000)
    lo = dask_array.from_array(lon, chunks=1000)
    # A bound method of the extension cannot be pickled; a plain function that takes the
    # Geoid can, and Dask ships the Geoid with it.
    shipped = dask_array.map_blocks(undulations, geoid, la, lo, dtype=np.float64)
    with dask.config.set(scheduler="processes", num_workers=2):
        np.testing.assert_array_equal(shipped.compute(), direct)
