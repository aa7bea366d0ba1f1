#include "tests/support/nmea_text.hpp"

namespace egm2008::test {

std::string WithNmeaChecksum(std::string_view body) {
    unsigned sum = 0;
    for (const char c : body.substr(1)) sum ^= static_cast<unsigned char>(c);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string sentence(body);
    sentence += '*';
    sentence += kHex[(sum >> 4) & 15];
    sentence += kHex[sum & 15];
    return sentence;
}

}  // namespace egm2008::test
