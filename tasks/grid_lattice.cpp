#include "tasks/grid_lattice.hpp"

#include <algorithm>
#include <cstring>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/field_text.hpp"

namespace egm2008 {

LatticeArea AreaFromCorners(double latitude1, double longitude1, double latitude2,
                            double longitude2, double latSpacingMinutes, double lonSpacingMinutes) {
    LatticeArea area;
    area.north = std::max(latitude1, latitude2);
    area.south = std::min(latitude1, latitude2);
    area.west = std::min(longitude1, longitude2);
    area.east = std::max(longitude1, longitude2);
    area.latStep = latSpacingMinutes / 60.0;
    area.lonStep = lonSpacingMinutes / 60.0;
    return area;
}

LatticeOutcome WriteGridLattice(TextOutput& output, const GeoidGrid& grid,
                                InterpolationMethod method, const LatticeArea& area,
                                Notifier& notifier, const LatticeProgress& progress) {
    LatticeOutcome outcome;
    // A smaller step (or a NaN) would never leave the first row or column.
    if (!(area.latStep >= kLatticeSlack) || !(area.lonStep >= kLatticeSlack)) {
        outcome.end = LatticeEnd::InvalidArea;
        return outcome;
    }

    MappedGrid mapped;
    mapped.Map(grid, notifier);  // tells the user when it fails; every query then answers StatusError
    const CNumericScope numbers;

    const double latLimit = area.south - kLatticeSlack;
    const double lonLimit = area.east + kLatticeSlack;
    bool walking = true;
    for (std::int64_t i = 0; walking; ++i) {
        // Positions come from the index, never from repeated addition.
        const double latitude = i == 0 ? area.north : area.north - static_cast<double>(i) * area.latStep;
        if (i > 0 && !(latitude > latLimit)) break;
        for (std::int64_t j = 0;; ++j) {
            const double longitude =
                j == 0 ? area.west : area.west + static_cast<double>(j) * area.lonStep;
            if (j > 0 && !(longitude < lonLimit)) break;

            // Bi-linear and triangulation leave the result alone when they fail:
            // the marker must not be the value of an earlier node.
            float undulation = kResultPreset;
            if (ComputeUndulation(grid, method, latitude, longitude, undulation, mapped) ==
                QueryStatus::StatusError) {
                outcome.end = LatticeEnd::StoppedAtError;
                outcome.stopLatitude = latitude;
                outcome.stopLongitude = longitude;
                walking = false;
                break;
            }
            AppendPointLine(output.buffer(), latitude, longitude, undulation);
            output.Commit();
            if (output.failed()) {
                walking = false;
                break;
            }
            ++outcome.nodesWritten;
            if (progress && outcome.nodesWritten % kLatticeProgressInterval == 0 &&
                !progress(outcome.nodesWritten)) {
                outcome.end = LatticeEnd::Cancelled;
                walking = false;
                break;
            }
        }
    }

    if (!output.Flush()) {
        outcome.end = LatticeEnd::WriteFailed;
        outcome.writeError = output.error();
    }
    return outcome;
}

std::string OutputOpenFailureMessage(const std::string& path) {
    return "\nOutputfile \"" + path + "\" could not be opened!\n";
}

std::string OutputIsGridMessage(const std::string& path) {
    return "\nOutputfile \"" + path + "\" is the geoid file in use and is not overwritten!\n";
}

std::string OutputWriteFailureMessage(const std::string& path, int error) {
    return "\nOutputfile \"" + path + "\" could not be written (" + std::strerror(error) +
           ")!\nThe file is incomplete.\n";
}

std::string LatticeIncompleteMessage(const std::string& path, double latitude, double longitude) {
    return "\nOutputfile \"" + path + "\" is incomplete!\nThe run stopped at latitude " +
           FormatFixed(latitude, 6) + ", longitude " + FormatFixed(longitude, 6) +
           ", where no undulation could be computed.\n";
}

}  // namespace egm2008
