#include "tasks/lattice_format.hpp"

#include <algorithm>
#include <cctype>

namespace egm2008 {

std::optional<LatticeFormat> LatticeFormatNamed(std::string_view name) {
    for (const LatticeFormatName& entry : kLatticeFormatNames) {
        if (name == entry.name) return entry.format;
    }
    return std::nullopt;
}

LatticeFormat LatticeFormatOfPath(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return LatticeFormat::Xyz;
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const LatticeFormatName& entry : kLatticeFormatNames) {
        if (extension == entry.extension) return entry.format;
    }
    return LatticeFormat::Xyz;
}

const char* LatticeFormatText(LatticeFormat format) {
    for (const LatticeFormatName& entry : kLatticeFormatNames) {
        if (entry.format == format) return entry.name;
    }
    return kLatticeFormatNames[0].name;
}

}  // namespace egm2008
