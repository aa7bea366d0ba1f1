#include "engine/tide_system.hpp"

#include <cmath>

namespace egm2008::engine {

namespace {

constexpr double kLoveNumber = 0.3;  // k, Ekman's value
constexpr double kWgs84SquaredEccentricity = 0.00669437999014;
constexpr double kEquatorTerm = 0.099;   // metres
constexpr double kLatitudeTerm = 0.296;  // metres, times sin^2 of geocentric latitude

constexpr const char* kNames[] = {"tide-free", "mean-tide", "zero-tide"};

// sin^2 of the geocentric latitude of a point at geodetic latitude `degrees`.
double SquaredSineOfGeocentric(double degrees) {
    if (std::fabs(degrees) == 90.0) return 1.0;  // tan is not defined there; the pole itself
    const double geodetic = degrees * (M_PI / 180.0);
    const double geocentric = std::atan((1.0 - kWgs84SquaredEccentricity) * std::tan(geodetic));
    const double s = std::sin(geocentric);
    return s * s;
}

}  // namespace

double TideCorrection(TideSystem system, double latitudeDegrees) {
    if (system == TideSystem::TideFree) return 0.0;
    const double permanentTide =
        kEquatorTerm - kLatitudeTerm * SquaredSineOfGeocentric(latitudeDegrees);
    const double factor = system == TideSystem::MeanTide ? 1.0 + kLoveNumber : kLoveNumber;
    return factor * permanentTide;
}

double InTideSystem(TideSystem system, double latitudeDegrees, double tideFreeN) {
    // Tide-free adds nothing, not even 0.0 (which would turn -0.0 into +0.0).
    if (system == TideSystem::TideFree) return tideFreeN;
    return tideFreeN + TideCorrection(system, latitudeDegrees);
}

const char* TideSystemName(TideSystem system) { return kNames[static_cast<int>(system)]; }

std::optional<TideSystem> TideSystemNamed(std::string_view name) {
    for (int k = 0; k < 3; ++k) {
        if (name == kNames[k]) return static_cast<TideSystem>(k);
    }
    return std::nullopt;
}

}  // namespace egm2008::engine
