// Fuzz target: one point-file line in every layout, through HandlePointLine
// and the real engine (a small 30-degree grid, mapped once).
//
// Input: byte 0 picks the layout (5) and the method (4); the rest is the line,
// cut as a line read delivers it (after its first LF, a CR before that LF
// dropped; no line end when there is no LF). Checked for every line:
//   - only a plain-layout line of blanks yields nothing, and costs no query;
//   - a line holding several records (a CR with more text after it) is copied;
//   - a copied line (unreadable, not rewritable, or a failed sentence) is the
//     line as read with its line end as CR LF, and costs no query unless its
//     query failed;
//   - a point line is "[number ]%10.6lf %11.6lf %8.3f|999.999" and CR LF, its
//     columns are the numbers the query was asked about (the longitude as read,
//     shifted by +360 when negative), its undulation the query's answer;
//   - a rewritten sentence is "$GPGGA,...*HH" with the right checksum and CR LF.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "fuzz/small_grid.hpp"
#include "tasks/points/point_file.hpp"

using namespace egm2008;
using namespace egm2008::engine;
using egm2008::fuzz::SmallGrid;

namespace {

struct Asked {
    int calls = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    QueryStatus status = QueryStatus::StatusError;
    float undulation = 0.0f;
};

// The printed column is the value rounded to six decimals.
bool Near(double printed, double value) {
    if (std::isnan(value)) return std::isnan(printed);
    if (std::isinf(value)) return printed == value;
    return std::fabs(printed - value) <= 5.01e-7 + 1e-12 * std::fabs(value);
}

std::string AsCopied(const std::string& line) {
    if (!line.empty() && line.back() == '\n') return line.substr(0, line.size() - 1) + "\r\n";
    return line;
}

bool IsScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// True when a CR is followed by more than blanks and the line end: a file with
// CR-only line ends, several records in one line.
bool HoldsSeveralRecords(std::string_view line) {
    const std::size_t cr = line.find('\r');
    return cr != std::string_view::npos &&
           line.find_first_not_of("\r\n \t", cr) != std::string_view::npos;
}

void CheckPointLine(const std::string& line, bool numbered, bool lonFirst, LineOutcome outcome,
                    const Asked& asked, std::string_view written) {
    if (written.size() < 2 || written.substr(written.size() - 2) != "\r\n") std::abort();
    if (written.find('\n') != written.size() - 1) std::abort();
    std::string_view rest = written;
    if (numbered) {
        // The point number as "%s" reads it from the line's C string.
        const char* p = line.c_str();
        while (*p != '\0' && IsScanSpace(*p)) ++p;
        const char* q = p;
        while (*q != '\0' && !IsScanSpace(*q)) ++q;
        const std::string number(p, q);
        if (number.empty() || rest.substr(0, number.size() + 1) != number + " ") std::abort();
        rest.remove_prefix(number.size() + 1);
    }
    const std::string columns(rest.substr(0, rest.size() - 2));
    char* end = nullptr;
    const double first = std::strtod(columns.c_str(), &end);
    const double second = std::strtod(end, &end);
    const double latitude = lonFirst ? second : first;
    const double longitude = lonFirst ? first : second;
    if (!Near(latitude, asked.latitude)) std::abort();
    const bool shifted = longitude < 0.0;
    if (longitude > 1e-6 || longitude < -1e-6 || std::isnan(longitude) || std::isinf(longitude)) {
        if (!Near(shifted ? longitude + 360.0 : longitude, asked.longitude)) std::abort();
    }
    if (outcome == LineOutcome::Computed) {
        if (asked.status != QueryStatus::StatusOk) std::abort();
        const double undulation = std::strtod(end, &end);
        if (std::fabs(undulation - static_cast<double>(asked.undulation)) > 5.01e-4) std::abort();
    } else {
        if (asked.status == QueryStatus::StatusOk) std::abort();
        if (columns.size() < 8 || columns.compare(columns.size() - 8, 8, " 999.999") != 0)
            std::abort();
    }
}

void CheckSentence(std::string_view written) {
    if (written.size() < 5 || written.substr(written.size() - 2) != "\r\n") std::abort();
    const std::string_view sentence = written.substr(0, written.size() - 2);
    if (sentence.rfind("$GPGGA,", 0) != 0) std::abort();
    const std::size_t star = sentence.find('*');
    if (star == std::string_view::npos || star + 3 != sentence.size()) std::abort();
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", NmeaChecksum(sentence.substr(1, star - 1)));
    if (sentence.substr(star + 1) != hex) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const GeoidGrid& grid = SmallGrid();
    static MappedGrid mapped;
    static const bool ready = [] {
        SilentNotifier quiet;
        return mapped.Map(SmallGrid(), quiet) == QueryStatus::StatusOk;
    }();
    if (!ready) std::abort();

    const auto layout = static_cast<PointFileLayout>(data[0] % 5);
    const auto method = static_cast<InterpolationMethod>((data[0] / 5) % 4);
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t lf = line.find('\n');
    if (lf != std::string::npos) {
        line.resize(lf);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.push_back('\n');
    }

    Asked asked;
    const UndulationQuery query = [&](double latitude, double longitude, float& undulation) {
        ++asked.calls;
        asked.latitude = latitude;
        asked.longitude = longitude;
        asked.status = ComputeUndulation(grid, method, latitude, longitude, undulation, mapped);
        asked.undulation = undulation;
        return asked.status;
    };

    const std::string before = "before\r\n";
    std::string out = before;
    const LineOutcome outcome = HandlePointLine(line, layout, query, out);
    if (out.compare(0, before.size(), before) != 0) std::abort();
    const std::string_view written = std::string_view(out).substr(before.size());
    const bool gga = layout == PointFileLayout::GgaFromGps;

    switch (outcome) {
        case LineOutcome::Skipped:
            if (gga || line.find_first_not_of(" \t\r\n") != std::string::npos) std::abort();
            if (!written.empty() || asked.calls != 0) std::abort();
            break;
        case LineOutcome::Unreadable:
        case LineOutcome::Copied:
        case LineOutcome::Passed:
            if ((outcome != LineOutcome::Unreadable) != gga) std::abort();
            if (written != AsCopied(line) || asked.calls != 0) std::abort();
            break;
        case LineOutcome::Failed:
        case LineOutcome::Computed:
            if (asked.calls != 1 || HoldsSeveralRecords(line)) std::abort();
            if (gga && outcome == LineOutcome::Failed) {
                if (written != AsCopied(line) || asked.status == QueryStatus::StatusOk)
                    std::abort();
            } else if (gga) {
                if (asked.status != QueryStatus::StatusOk) std::abort();
                CheckSentence(written);
            } else {
                const bool numbered = layout == PointFileLayout::PtNumberLatLon ||
                                      layout == PointFileLayout::PtNumberLonLat;
                const bool lonFirst =
                    layout == PointFileLayout::LonLat || layout == PointFileLayout::PtNumberLonLat;
                CheckPointLine(line, numbered, lonFirst, outcome, asked, written);
            }
            break;
    }
    return 0;
}
