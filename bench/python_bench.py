#!/usr/bin/python3
"""Speed of the Python module egm2008 against pyproj on the same points.

Queries N bi-linearly at POINTS seeded random points over the globe (numpy float64
arrays) through egm2008.Geoid(GRID).undulation, and through a pyproj Transformer
running PROJ's vgridshift over a GTX file of the same 2.5' data, made by our
gridmaker (egm2008 grid --format gtx --method bilinear at the grid's own nodes).
Prints points per second of each, the ratio, and how far the two answers lie
apart (they interpolate the same nodes).

PROJ reads a GTX file's rows from the file as its points need them, some
thousands of points a second on random points, so pyproj gets the first
--pyproj-points of the same arrays (all of them with --pyproj-points 0, which
takes about half an hour for 10 million).

  PYTHONPATH=build/dev/python /usr/bin/python3 bench/python_bench.py \
      --grid grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE \
      --gtx /tmp/egm2008_2p5.gtx --egm2008 build/dev/cli/egm2008

The GTX is made when it does not exist (needs --egm2008, about 150 MB).
"""
import argparse
import os
import subprocess
import sys
import time

import numpy as np


def best_time(function, repeats):
    """The shortest wall time of `repeats` calls, and the last call's answer."""
    best = float("inf")
    answer = None
    for _ in range(repeats):
        start = time.perf_counter()
        answer = function()
        best = min(best, time.perf_counter() - start)
    return best, answer


def make_gtx(tool, grid, gtx):
    """Writes the 2.5' nodes of `grid` as a GTX file by the gridmaker."""
    subprocess.run([tool, "grid", "--lat", "-90", "90", "--lon", "-180", "180",
                    "--step-lat", "2.5", "--step-lon", "2.5", "--format", "gtx",
                    "--method", "bilinear", "--grid", grid, "-o", gtx], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--grid", default="2.5", help="grid path or name (default 2.5)")
    parser.add_argument("--gtx", required=True, help="GTX file of the same grid for pyproj")
    parser.add_argument("--egm2008", help="the egm2008 tool, to make the GTX when missing")
    parser.add_argument("--points", type=int, default=10_000_000)
    parser.add_argument("--pyproj-points", type=int, default=200_000,
                        help="points given to pyproj, the first of the same arrays (0: all)")
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()

    import egm2008
    import pyproj

    if not os.path.exists(args.gtx):
        if not args.egm2008:
            sys.exit(f"{args.gtx} does not exist; give --egm2008 to make it")
        make_gtx(args.egm2008, args.grid, args.gtx)

    random = np.random.default_rng(2008)
    lat = random.uniform(-90.0, 90.0, args.points)
    lon = random.uniform(-180.0, 180.0, args.points)

    geoid = egm2008.Geoid(args.grid)
    geoid.undulation(lat, lon)  # the grid's pages mapped before timing
    m = args.pyproj_points or args.points
    cpu_start = time.process_time()
    ours_s, ours = best_time(lambda: geoid.undulation(lat, lon), args.repeats)
    ours_cpu = (time.process_time() - cpu_start) / args.repeats
    transformer = pyproj.Transformer.from_pipeline(
        f"+proj=vgridshift +grids={os.path.abspath(args.gtx)} +multiplier=1")
    proj_s, proj = best_time(lambda: transformer.transform(lon[:m], lat[:m], np.zeros(m))[2], 1)
    proj = np.where(np.isinf(proj), np.nan, proj)

    ours_rate = args.points / ours_s
    proj_rate = m / proj_s
    both = np.isfinite(ours[:m]) & np.isfinite(proj)
    print(f"egm2008 module:    {args.points:,} points in {ours_s:.3f} s, "
          f"{ours_rate / 1e6:.2f} M points/s (best of {args.repeats}; "
          f"{ours_cpu / args.points * 1e9:.0f} ns of processor time a point, {os.cpu_count()} cores)")
    print(f"pyproj vgridshift: {m:,} points in {proj_s:.3f} s, {proj_rate / 1e6:.4f} M points/s")
    print(f"speed-up:          {ours_rate / proj_rate:.0f}x")
    print(f"largest |difference|: {np.max(np.abs(ours[:m][both] - proj[both])):.2e} m "
          f"over {both.sum():,} points; NaN: ours {np.isnan(ours[:m]).sum()}, "
          f"pyproj {np.isnan(proj).sum()}")


if __name__ == "__main__":
    main()
