#include "lib/messages.hpp"

namespace egm2008::lib {

std::string BatchSizesMessage(std::size_t lat, std::size_t lon, std::size_t out) {
    return "egm2008::Geoid::undulations: lat, lon and out must have one size, not " +
           std::to_string(lat) + ", " + std::to_string(lon) + " and " + std::to_string(out);
}

std::string BadEnumeratorMessage(const char* type, int value) {
    return std::string("egm2008::") + type + "(" + std::to_string(value) +
           ") is none of its enumerators";
}

std::string NullInPathMessage() { return "egm2008::Geoid::open: embedded null byte in the path"; }

}  // namespace egm2008::lib
