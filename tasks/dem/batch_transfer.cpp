#include "tasks/dem/batch_transfer.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace egm2008 {

std::byte* RawPixels::Fit(std::size_t size) {
    if (size > capacity) {
        bytes.reset(new std::byte[size]);
        capacity = size;
    }
    return bytes.get();
}

BatchTransfer::BatchTransfer(GDALDataset& inDataset, GDALRasterBand& in, GDALRasterBand& out)
    : in_(in),
      out_(out),
      inType_(in.GetRasterDataType()),
      outType_(out.GetRasterDataType()),
      width_(in.GetXSize()),
      height_(in.GetYSize()) {
    in.GetBlockSize(&blockX_, &blockY_);
    int outX = 0, outY = 0;
    out.GetBlockSize(&outX, &outY);
    GDALDriver* driver = inDataset.GetDriver();
    blocksIn_ = driver != nullptr && EQUAL(driver->GetDescription(), "GTiff");
    writeBlocks_ = outX == blockX_ && outY == blockY_;
}

// True when the rectangle starts on a block's corner and ends on one or at the raster's edge.
bool BatchTransfer::WholeBlocks(const PixelRect& rect) const {
    const auto ends = [](int start, int count, int block, int size) {
        return start % block == 0 && (count % block == 0 || start + count == size);
    };
    return ends(rect.column, rect.columns, blockX_, width_) &&
           ends(rect.row, rect.rows, blockY_, height_);
}

std::size_t BatchTransfer::BlockBytes(GDALDataType type) const {
    return static_cast<std::size_t>(blockX_) * static_cast<std::size_t>(blockY_) *
           static_cast<std::size_t>(GDALGetDataTypeSizeBytes(type));
}

bool BatchTransfer::Read(const PixelRect& rect, RawPixels& raw) {
    raw.blocks = false;
    const std::size_t size = static_cast<std::size_t>(rect.rows) *
                             static_cast<std::size_t>(rect.columns) *
                             static_cast<std::size_t>(GDALGetDataTypeSizeBytes(inType_));
    return in_.RasterIO(GF_Read, rect.column, rect.row, rect.columns, rect.rows, raw.Fit(size),
                        rect.columns, rect.rows, inType_, 0, 0, nullptr) == CE_None;
}

bool BatchTransfer::ReadBlocks(GDALRasterBand& band, const PixelRect& rect, RawPixels& raw) const {
    raw.blocks = true;
    const int left = rect.column / blockX_, right = (rect.column + rect.columns - 1) / blockX_;
    const int top = rect.row / blockY_, bottom = (rect.row + rect.rows - 1) / blockY_;
    const std::size_t block = BlockBytes(inType_);
    std::byte* at =
        raw.Fit(block * static_cast<std::size_t>((right - left + 1) * (bottom - top + 1)));
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x, at += block) {
            if (band.ReadBlock(x, y, at) != CE_None) return false;
        }
    }
    return true;
}

bool BatchTransfer::Write(const PixelRect& rect, const RawPixels& raw) {
    if (!raw.blocks) {
        return out_.RasterIO(GF_Write, rect.column, rect.row, rect.columns, rect.rows,
                             raw.bytes.get(), rect.columns, rect.rows, outType_, 0, 0,
                             nullptr) == CE_None;
    }
    const int left = rect.column / blockX_, right = (rect.column + rect.columns - 1) / blockX_;
    const int top = rect.row / blockY_, bottom = (rect.row + rect.rows - 1) / blockY_;
    const std::size_t block = BlockBytes(outType_);
    std::byte* at = raw.bytes.get();
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x, at += block) {
            if (out_.WriteBlock(x, y, at) != CE_None) return false;
        }
    }
    return true;
}

void BatchTransfer::Unpack(const PixelRect& rect, const RawPixels& raw, double* values) const {
    Copy(rect, raw.bytes.get(), inType_, raw.blocks, reinterpret_cast<std::byte*>(values),
         GDT_Float64, false);
}

void BatchTransfer::Pack(const PixelRect& rect, const double* values, RawPixels& raw) const {
    raw.blocks = writeBlocks_ && WholeBlocks(rect);
    const auto pixelBytes = static_cast<std::size_t>(GDALGetDataTypeSizeBytes(outType_));
    std::size_t size =
        static_cast<std::size_t>(rect.rows) * static_cast<std::size_t>(rect.columns) * pixelBytes;
    if (raw.blocks) {
        const int across = (rect.column + rect.columns - 1) / blockX_ - rect.column / blockX_ + 1;
        const int down = (rect.row + rect.rows - 1) / blockY_ - rect.row / blockY_ + 1;
        size = BlockBytes(outType_) * static_cast<std::size_t>(across * down);
    }
    std::byte* bytes = raw.Fit(size);
    if (raw.blocks) ZeroEdgeBlocks(rect, bytes);
    Copy(rect, reinterpret_cast<const std::byte*>(values), GDT_Float64, false, bytes, outType_,
         raw.blocks);
}

// The blocks of `rect` that reach past the raster's right or bottom edge, zeroed: their parts
// beyond it are written too, as zeros like GDAL's own.
void BatchTransfer::ZeroEdgeBlocks(const PixelRect& rect, std::byte* bytes) const {
    const int left = rect.column / blockX_, right = (rect.column + rect.columns - 1) / blockX_;
    const int top = rect.row / blockY_, bottom = (rect.row + rect.rows - 1) / blockY_;
    const std::size_t block = BlockBytes(outType_);
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x, bytes += block) {
            if ((x + 1) * std::int64_t{blockX_} > width_ ||
                (y + 1) * std::int64_t{blockY_} > height_)
                std::memset(bytes, 0, block);
        }
    }
}

// Copies the rectangle's pixels between two layouts (whole blocks in order, or the rectangle's
// rows), converting their type as GDAL converts it; row by row, a block's width at a time.
void BatchTransfer::Copy(const PixelRect& rect, const std::byte* from, GDALDataType fromType,
                         bool fromBlocks, std::byte* to, GDALDataType toType, bool toBlocks) const {
    const int fromSize = GDALGetDataTypeSizeBytes(fromType);
    const int toSize = GDALGetDataTypeSizeBytes(toType);
    const std::size_t across = static_cast<std::size_t>((rect.column + rect.columns - 1) / blockX_ -
                                                        rect.column / blockX_ + 1);
    // The pixel (r, c) of the rectangle: its index in either layout.
    const auto blockIndex = [&](int r, int c) {
        const int y = rect.row + r, x = rect.column + c;
        const auto block = static_cast<std::size_t>(y / blockY_ - rect.row / blockY_) * across +
                           static_cast<std::size_t>(x / blockX_ - rect.column / blockX_);
        return (block * static_cast<std::size_t>(blockY_) + static_cast<std::size_t>(y % blockY_)) *
                   static_cast<std::size_t>(blockX_) +
               static_cast<std::size_t>(x % blockX_);
    };
    const auto rowIndex = [&](int r, int c) {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(rect.columns) +
               static_cast<std::size_t>(c);
    };
    const bool inBlocks = fromBlocks || toBlocks;
    for (int r = 0; r < rect.rows; ++r) {
        for (int c = 0; c < rect.columns;) {
            const int count =
                inBlocks ? std::min(rect.columns - c, blockX_ - (rect.column + c) % blockX_)
                         : rect.columns;
            const std::size_t a = fromBlocks ? blockIndex(r, c) : rowIndex(r, c);
            const std::size_t b = toBlocks ? blockIndex(r, c) : rowIndex(r, c);
            GDALCopyWords(from + a * static_cast<std::size_t>(fromSize), fromType, fromSize,
                          to + b * static_cast<std::size_t>(toSize), toType, toSize, count);
            c += count;
        }
    }
}

}  // namespace egm2008
