// A lattice taken as rows of values rather than as text: what the raster
// formats (GeoTIFF, the colour map) and the window's map are made from.
//
// The walk (grid_lattice.hpp) hands each whole row to the raster in walking
// order, row 0 the northern one, each west to east, N as float32 with NaN
// for a node that cannot be computed (outside the grid, not finite). A row
// is handed out only when every node of it is computed; a run that stops
// early hands out the rows before the stop and then Finish(false).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tasks/lattice/formats/lattice_format_info.hpp"

namespace egm2008 {

class LatticeRaster {
public:
    virtual ~LatticeRaster() = default;

    /// Before the first row: the lattice's shape. False when the raster cannot
    /// take such a lattice (the run then ends as InvalidArea, nothing written).
    virtual bool Begin(const LatticeShape& shape) = 0;
    /// Row `row` (0 is the northern row) from west to east, shape.columns values.
    /// False when the raster failed (a write error, kept in error()); the run stops.
    virtual bool Row(std::uint64_t row, std::span<const float> values) = 0;
    /// After the last row handed out; `whole` when every row was. False when
    /// the raster failed.
    virtual bool Finish(bool whole) = 0;
    /// errno of the failure that made Row or Finish answer false; 0 before one.
    virtual int error() const = 0;
};

/// Hands every row to each of its rasters in turn; fails with the first that fails.
class LatticeRasterTee final : public LatticeRaster {
public:
    void Add(LatticeRaster& raster) { rasters_.push_back(&raster); }

    bool Begin(const LatticeShape& shape) override {
        for (LatticeRaster* raster : rasters_) {
            if (!raster->Begin(shape)) return false;
        }
        return true;
    }
    bool Row(std::uint64_t row, std::span<const float> values) override {
        for (LatticeRaster* raster : rasters_) {
            if (!raster->Row(row, values)) return Fail(*raster);
        }
        return true;
    }
    bool Finish(bool whole) override {
        bool ok = true;
        for (LatticeRaster* raster : rasters_) {
            if (!raster->Finish(whole) && ok) ok = Fail(*raster);
        }
        return ok;
    }
    int error() const override { return error_; }

private:
    bool Fail(const LatticeRaster& raster) {
        error_ = raster.error();
        return false;
    }

    std::vector<LatticeRaster*> rasters_;
    int error_ = 0;
};

}  // namespace egm2008
