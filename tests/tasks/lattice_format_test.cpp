// The table of the gridmaker's formats: every row must be reachable and whole,
// since the command line, the page and the walk all read it and none of them
// would say so when a row is missing or unreachable. What each format writes
// is pinned by its golden bytes (gridmaker_test.cpp, tests/cli/grid_formats_test.cpp).
#include "tasks/lattice/lattice_format.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "tasks/common/fixed_format.hpp"

namespace egm2008 {
namespace {

// Fault pinned: a format without its row, or a row under another format's
// enumerator, is written as xyz without a word.
TEST(LatticeFormatTable, EveryFormatHasItsOwnRow) {
    for (const LatticeFormat format : {LatticeFormat::Xyz, LatticeFormat::Csv, LatticeFormat::Asc,
                                       LatticeFormat::Gtx, LatticeFormat::Geotiff,
                                       LatticeFormat::Png}) {
        EXPECT_EQ(LatticeFormatInfoOf(format).format, format) << static_cast<int>(format);
    }
}

// Fault pinned: a name or an extension that two rows share chooses the first
// row only, so the second format cannot be asked for by it.
TEST(LatticeFormatTable, EachNameAndExtensionLeadsBackToItsRow) {
    for (const LatticeFormatInfo* row : LatticeFormats()) {
        EXPECT_EQ(LatticeFormatNamed(row->name), row->format) << row->name;
        for (const char* extension : row->extensions) {
            if (extension == nullptr) continue;
            std::string upper = std::string("folder.x/OUT") + extension;
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            EXPECT_EQ(LatticeFormatOfPath(upper), row->format) << upper;
        }
    }
}

// Fault pinned: a row that neither the walk nor a raster writes leaves an empty
// file; a format written at offsets cannot go to a pipe; a layout beyond the
// room the walk keeps for a number overruns its piece.
TEST(LatticeFormatTable, EachRowIsWrittenOneWay) {
    for (const LatticeFormatInfo* row : LatticeFormats()) {
        EXPECT_NE(row->nodes == nullptr, row->raster == nullptr) << row->name;
        EXPECT_NE(row->missingNode, nullptr) << row->name;
        if (row->nodes == nullptr) continue;
        const LatticeNodeLayout& nodes = *row->nodes;
        if (nodes.rowsSouthToNorth) {
            EXPECT_FALSE(row->toStandardOutput) << row->name;
        }
        for (const int width : {nodes.latitudeWidth, nodes.longitudeWidth, nodes.valueWidth}) {
            EXPECT_TRUE(width >= 0 && width <= 64) << row->name;
        }
        EXPECT_TRUE(nodes.valueDecimals >= 0 && nodes.valueDecimals <= 9) << row->name;
        if (nodes.missingText != nullptr) {
            EXPECT_LE(std::strlen(nodes.missingText), kFixedTextLimit) << row->name;
        }
    }
}

// Fault pinned: the window's picker with a gap, two formats in one place, or an
// item without its caption or save filter; Text, the page's default, comes first.
TEST(LatticeFormatTable, ThePickerPlacesFollowOneAnother) {
    std::vector<int> places;
    for (const LatticeFormatInfo* row : LatticeFormats()) {
        if (row->pickerPlace == 0) continue;
        places.push_back(row->pickerPlace);
        EXPECT_NE(row->pickerItem, nullptr) << row->name;
        EXPECT_NE(row->saveFilter, nullptr) << row->name;
    }
    std::sort(places.begin(), places.end());
    for (std::size_t k = 0; k < places.size(); ++k) EXPECT_EQ(places[k], static_cast<int>(k) + 1);
    EXPECT_EQ(LatticeFormatInfoOf(LatticeFormat::Xyz).pickerPlace, 1);
}

}  // namespace
}  // namespace egm2008
