#include "tasks/maps/map_frame.hpp"

#include <cmath>

namespace egm2008 {

double LongitudeFrom(double longitude, double start) {
    double turned = std::fmod(longitude - start, 360.0);
    if (turned < 0.0) turned += 360.0;
    return start + turned;
}

double WrapLongitude(double longitude) { return LongitudeFrom(longitude, -180.0); }

}  // namespace egm2008
