#include "lib/messages.hpp"

namespace egm2008::lib {

std::string BatchSizesMessage(std::size_t lat, std::size_t lon, std::size_t out) {
    return "egm2008::Geoid::undulations: lat, lon and out must have one size, not " +
           std::to_string(lat) + ", " + std::to_string(lon) + " and " + std::to_string(out);
}

}  // namespace egm2008::lib
