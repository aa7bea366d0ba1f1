#include "engine/geoid_model.hpp"

namespace egm2008::engine {

const char* ModelName(GeoidModel model) {
    switch (model) {
        case GeoidModel::Egm96: return "EGM96";
        case GeoidModel::Egm84: return "EGM84";
        case GeoidModel::Egm2008: break;
    }
    return "EGM2008";
}

const char* ModelKey(GeoidModel model) {
    switch (model) {
        case GeoidModel::Egm96: return "egm96";
        case GeoidModel::Egm84: return "egm84";
        case GeoidModel::Egm2008: break;
    }
    return "egm2008";
}

const char* ModelHeightEpsg(GeoidModel model) {
    switch (model) {
        case GeoidModel::Egm96: return "5773";
        case GeoidModel::Egm84: return "5798";
        case GeoidModel::Egm2008: break;
    }
    return "3855";
}

std::optional<GeoidModel> ModelOfKey(std::string_view key) {
    for (const GeoidModel model : kGeoidModels) {
        if (key == ModelKey(model)) return model;
    }
    return std::nullopt;
}

std::uint64_t ModelFileLength(const ModelFile& file) {
    return static_cast<std::uint64_t>(file.headerBytes) +
           static_cast<std::uint64_t>(file.rows) * static_cast<std::uint64_t>(file.values) *
               static_cast<std::uint64_t>(file.valueBytes);
}

}  // namespace egm2008::engine
