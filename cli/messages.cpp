#include "cli/messages.hpp"

namespace egm2008::cli {

std::string NoSubcommandMessage(const std::string& word) {
    return "\"" + word + "\" is no subcommand; they are point, file, heights, grid and info";
}

std::string NotANumberMessage(const std::string& text) {
    return "\"" + text + "\" is not a number";
}

std::string NotAColumnMessage(const std::string& text) {
    return "\"" + text + "\" is neither a column number from 1 nor a header name";
}

std::string NotATalkerMessage(const std::string& text) {
    return "\"" + text + "\" is no talker: two capital letters, such as GP or GN";
}

std::string NotDecimalsMessage(const std::string& text, int most) {
    return "\"" + text + "\" is not a whole number from 0 to " + std::to_string(most);
}

std::string NotPixelsMessage(const std::string& text, int most) {
    return "\"" + text + "\" is not a whole number of pixels from 1 to " + std::to_string(most);
}

std::string StandardOutputFailureMessage(const char* what) {
    return std::string("standard output could not be written: ") + what;
}

std::string NodesOutsideMessage(std::uint64_t nodes, LatticeFormat format) {
    const char* how = " written as 9999.999.";
    switch (format) {
        case LatticeFormat::Xyz: break;
        case LatticeFormat::Csv: how = " written with an empty N."; break;
        case LatticeFormat::Asc: how = " written as NODATA -9999."; break;
        case LatticeFormat::Gtx: how = " written as -88.8888."; break;
        case LatticeFormat::Geotiff: how = " written as NoData."; break;
        case LatticeFormat::Png: how = " drawn as missing."; break;
    }
    return std::to_string(nodes) + (nodes == 1 ? " node" : " nodes") +
           " could not be computed and " + (nodes == 1 ? "was" : "were") + how;
}

std::string FormatNeedsFileMessage(LatticeFormat format) {
    return std::string("grid: --format ") + LatticeFormatText(format) +
           " is written to a file: give -o FILE (not standard output)";
}

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

const char* OrderName(bool bigEndian) { return bigEndian ? "big-endian" : "little-endian"; }

}  // namespace

std::string NotRegularGridMessage(const std::string& path) {
    return "Geoidfile " + Quoted(path) + " is not a regular file.";
}

std::string GridLengthMismatchMessage(const std::string& path, std::uint64_t length,
                                      const char* sizeName, std::uint64_t sizeLength) {
    return "Geoidfile " + Quoted(path) + " is " + std::to_string(length) + " bytes long; a " +
           sizeName + " grid file has " + std::to_string(sizeLength) + " bytes.";
}

std::string GridLengthUnknownMessage(const std::string& path, std::uint64_t length) {
    return "Geoidfile " + Quoted(path) + " is " + std::to_string(length) +
           " bytes long, the length of no EGM2008 grid file (10': 9348488, 2.5': "
           "149368328, 1': 933292808 bytes).";
}

std::string GridOrderMismatchMessage(const std::string& path, bool fileBigEndian,
                                     bool wantedBigEndian, std::uint32_t rowBytes) {
    return "Geoidfile " + Quoted(path) + " is " + OrderName(fileBigEndian) + ", not " +
           OrderName(wantedBigEndian) + ": its first record marker reads " +
           std::to_string(rowBytes) + " in " + OrderName(fileBigEndian) + " byte order.";
}

std::string GridMarkerMismatchMessage(const std::string& path, const char* sizeName,
                                      std::uint32_t littleMarker, std::uint32_t bigMarker,
                                      std::uint32_t rowBytes) {
    return "Geoidfile " + Quoted(path) + " has the length of a " + sizeName +
           " grid file, but its first record marker reads " + std::to_string(littleMarker) +
           " little-endian and " + std::to_string(bigMarker) + " big-endian, not " +
           std::to_string(rowBytes) + ".";
}

std::string NoInternalDatabaseMessage(const char* name, const char* installedFolder) {
    return std::string("The internal database \"") + name +
           "\" is neither in the working directory nor in " + installedFolder +
           "; name a grid file with --grid.";
}

std::string WrongMarkersMessage(const std::string& path, std::int64_t wrong,
                                std::int64_t firstRow) {
    return "Geoidfile " + Quoted(path) + " has " + std::to_string(wrong) +
           " wrong record markers, the first in row " + std::to_string(firstRow) + ".";
}

std::string StoppedBySignalMessage(const std::string& path, const char* signal, const char* fate) {
    return std::string("The run was stopped by ") + signal + "; outputfile " + Quoted(path) + " " +
           fate + ".";
}

std::string OutputNotWrittenMessage(const std::string& path, const char* reason, const char* fate) {
    return "Outputfile " + Quoted(path) + " could not be written: " + reason +
           "! The run was stopped; the outputfile " + fate + ".";
}

}  // namespace egm2008::cli
