#!/usr/bin/python3
"""Writes a synthetic DEM for the DEM benchmark: smooth hills and valleys plus a little
roughness, Float32, in a geographic (1" pixels) or UTM (10 m pixels) layout.

  make_dem.py geographic SIZE OUT [--deflate] [--strips]   SIZE x SIZE pixels of 1/3600 degree,
                                                          from 45 N 6 E
  make_dem.py utm SIZE OUT [--deflate] [--strips]          SIZE x SIZE pixels of 10 m, UTM 32N
                                                          from E 300 km
Tiled 256 x 256 unless --strips (GDAL's default layout, a row a strip).
"""
import argparse

import numpy as np
from osgeo import gdal, osr


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("layout", choices=["geographic", "utm"])
    parser.add_argument("size", type=int)
    parser.add_argument("out")
    parser.add_argument("--deflate", action="store_true")
    parser.add_argument("--strips", action="store_true")
    args = parser.parse_args()
    gdal.UseExceptions()
    options = ["BIGTIFF=IF_SAFER"] + ([] if args.strips else ["TILED=YES"])
    if args.deflate:
        options += ["COMPRESS=DEFLATE", "PREDICTOR=3"]
    n = args.size
    ds = gdal.GetDriverByName("GTiff").Create(args.out, n, n, 1, gdal.GDT_Float32, options)
    srs = osr.SpatialReference()
    if args.layout == "geographic":
        srs.ImportFromEPSG(4326)
        step = 1.0 / 3600.0
        ds.SetGeoTransform([6.0 - step / 2, step, 0.0, 45.0 + n * step - step / 2, 0.0, -step])
    else:
        srs.ImportFromEPSG(32632)
        ds.SetGeoTransform([300000.0, 10.0, 0.0, 5200000.0, 0.0, -10.0])
    ds.SetSpatialRef(srs)
    band = ds.GetRasterBand(1)
    band.SetNoDataValue(-9999.0)
    rng = np.random.default_rng(2008)
    x = np.arange(n, dtype=np.float64) / n
    for top in range(0, n, 512):
        rows = min(512, n - top)
        y = (top + np.arange(rows, dtype=np.float64))[:, None] / n
        h = (1500.0 + 900.0 * np.sin(7.0 * x + 3.0 * y) * np.cos(5.0 * y - 2.0 * x)
             + 120.0 * np.sin(61.0 * x) * np.sin(47.0 * y)
             + rng.normal(0.0, 0.4, (rows, n)))
        band.WriteArray(h.astype(np.float32), 0, top)
    ds = None


if __name__ == "__main__":
    main()
