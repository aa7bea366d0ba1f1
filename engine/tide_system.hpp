// Tide systems of a geoid undulation.
//
// The EGM2008 grids (and NGA's EGM96 and EGM84 grids) are tide-free: the
// permanent tide is removed, direct and indirect effects alike. A mean-tide N
// keeps the permanent tide; a zero-tide N keeps its indirect effect only. The
// corrections are Ekman's (1989), in metres, with the Love number k = 0.3:
//   N_mean = N_free + (1 + k) (0.099 - 0.296 sin^2(phibar))
//   N_zero = N_free +      k  (0.099 - 0.296 sin^2(phibar))
// where phibar is the geocentric latitude of the point, atan((1 - e^2) tan phi)
// on the WGS84 ellipsoid; at |phi| = 90 exactly sin^2(phibar) = 1. Mean tide
// gives +0.1287 m at the equator and -0.2561 m at the poles; zero tide crosses
// 0 near 35.26 degrees. Source: M. Ekman, "Impacts of geodynamic phenomena on
// systems for height and gravity", Bulletin Geodesique 63 (1989) 281-296.
// Pure functions, safe on any thread; a latitude outside -90..90 is the
// caller's to refuse (it gives the correction of its sine, NaN stays NaN).
#pragma once

#include <optional>
#include <string_view>

namespace egm2008::engine {

/// The tide system an undulation is given in.
enum class TideSystem { TideFree, MeanTide, ZeroTide };

/// Metres to add to a tide-free N at geodetic latitude `latitudeDegrees`; exactly 0 for TideFree.
double TideCorrection(TideSystem system, double latitudeDegrees);

/// A tide-free N in `system`: `tideFreeN` itself, untouched, for TideFree.
double InTideSystem(TideSystem system, double latitudeDegrees, double tideFreeN);

/// The system's name as options and outputs spell it: "tide-free", "mean-tide", "zero-tide".
const char* TideSystemName(TideSystem system);

/// The system of a name TideSystemName gives; nothing for any other text.
std::optional<TideSystem> TideSystemNamed(std::string_view name);

}  // namespace egm2008::engine
