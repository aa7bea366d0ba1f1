// The texts the library gives on its own; a grid file's failures are the
// engine's messages, made one line as the command line prints them.
#pragma once

#include <cstddef>
#include <string>

namespace egm2008::lib {

/// Geoid::undulations given spans of different sizes.
std::string BatchSizesMessage(std::size_t lat, std::size_t lon, std::size_t out);

/// A value of the enumeration `type` that is none of its enumerators.
std::string BadEnumeratorMessage(const char* type, int value);

/// Geoid::open given a path with a null character inside.
std::string NullInPathMessage();

}  // namespace egm2008::lib
