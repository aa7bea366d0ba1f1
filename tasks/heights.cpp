#include "tasks/heights.hpp"

namespace egm2008 {

double MetresPerUnit(HeightUnit unit) {
    switch (unit) {
        case HeightUnit::Metre: return 1.0;
        case HeightUnit::Foot: return 0.3048;
        case HeightUnit::UsSurveyFoot: return 1200.0 / 3937.0;
    }
    return 1.0;
}

double ConvertHeight(double height, double undulationMetres, HeightTarget target,
                     HeightUnit unit) {
    const double undulation = undulationMetres / MetresPerUnit(unit);
    switch (target) {
        case HeightTarget::Orthometric: return height - undulation;
        case HeightTarget::Ellipsoidal: return height + undulation;
        case HeightTarget::None: break;
    }
    return height;
}

std::string ProvenanceComment(const GeoidGrid&, InterpolationMethod, HeightTarget) { return {}; }

std::string HeightsProblemText(const HeightsLineProblem&) { return {}; }

std::string HeightsOutcomeMessage(const HeightsOutcome&, const std::string&, const std::string&) {
    return {};
}

HeightsOutcome RunHeights(const PointFileInput&, TextOutput& output, const GeoidGrid&,
                          MappedGrid&, const HeightsOptions&, const HeightsCallbacks&,
                          const RunStop&) {
    HeightsOutcome outcome;
    output.Close();
    return outcome;
}

}  // namespace egm2008
