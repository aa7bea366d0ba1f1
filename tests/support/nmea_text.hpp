// NMEA sentences for tests: a body with its checksum made here, apart from the
// code under test.
#pragma once

#include <string>
#include <string_view>

namespace egm2008::test {

/// `body` ("$GPGGA,...") followed by "*" and its checksum in two capital hex digits.
std::string WithNmeaChecksum(std::string_view body);

}  // namespace egm2008::test
