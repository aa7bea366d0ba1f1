// How a DEM conversion's batches travel between the files and the doubles a
// worker moves: the thread that runs the conversion reads and writes the
// files' own data types only, and the workers convert to and from doubles.
//
// A batch whose rectangle is whole blocks of a GeoTIFF is read by the worker
// that moves it, block by block through a handle of the input of its own (so
// the blocks are decoded on every worker at once), and written block by block
// when the output's blocks are the input's; no block cache between. Any other
// rectangle goes through RasterIO on the conversion's own handles, whose
// GeoTIFF decoding runs on every core. Either way the pixels are GDAL's
// conversions of the same values, to the bit.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <gdal_priv.h>

namespace egm2008 {

/// A rectangle of a band, in pixels.
struct PixelRect {
    int row = 0, column = 0, rows = 0, columns = 0;
};

/// Bytes of one batch in a file's data type, laid out as whole blocks or as the rectangle's rows;
/// grown when a batch needs more and never cleared, as every byte a batch uses is written first.
struct RawPixels {
    std::unique_ptr<std::byte[]> bytes;
    std::size_t capacity = 0;
    bool blocks = false;  // whole blocks one after another, else the rectangle's rows

    std::byte* Fit(std::size_t size);
};

class BatchTransfer {
public:
    /// The bands of one conversion; `in` and `out` are used on the calling thread only.
    BatchTransfer(GDALDataset& inDataset, GDALRasterBand& in, GDALRasterBand& out);

    /// True when the rectangle is read by ReadBlocks on the worker that moves it, else by Read.
    bool ReadsOnWorker(const PixelRect& rect) const { return blocksIn_ && WholeBlocks(rect); }
    /// Reads the rectangle of the input into `raw` through the conversion's own band; false
    /// (GDAL's message the last error) on a failed read.
    bool Read(const PixelRect& rect, RawPixels& raw);
    /// Reads the rectangle's whole blocks into `raw` from `band`, a handle of the input that
    /// only the calling thread uses; false (GDAL's message that thread's last error) on a failure.
    bool ReadBlocks(GDALRasterBand& band, const PixelRect& rect, RawPixels& raw) const;
    /// The input pixels of `raw` as doubles, the rectangle's rows one after another (any thread).
    void Unpack(const PixelRect& rect, const RawPixels& raw, double* values) const;
    /// `values` in the output's data type into `raw` (any thread).
    void Pack(const PixelRect& rect, const double* values, RawPixels& raw) const;
    /// Writes `raw` into the rectangle of the output; false on a failed write.
    bool Write(const PixelRect& rect, const RawPixels& raw);

private:
    bool WholeBlocks(const PixelRect& rect) const;
    std::size_t BlockBytes(GDALDataType type) const;
    void ZeroEdgeBlocks(const PixelRect& rect, std::byte* bytes) const;
    void Copy(const PixelRect& rect, const std::byte* from, GDALDataType fromType, bool fromBlocks,
              std::byte* to, GDALDataType toType, bool toBlocks) const;

    GDALRasterBand& in_;
    GDALRasterBand& out_;
    GDALDataType inType_;
    GDALDataType outType_;
    int blockX_ = 1, blockY_ = 1;
    int width_ = 0, height_ = 0;
    bool blocksIn_ = false;     // a GeoTIFF: its blocks read as they are
    bool writeBlocks_ = false;  // the output's blocks are the input's
};

}  // namespace egm2008
