// What several commands' options share: the names a choice takes on the command
// line, the checks of a number and of --decimals, --method, --tide-system, and
// --grid with its overrides. An option of one command lives in that command's file.
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "engine/grid_choice.hpp"
#include "engine/tide_system.hpp"
#include "tasks/heights/heights.hpp"

namespace egm2008::cli {

/// A name the command line gives to a choice; tables list them in the order the help does.
template <typename T>
struct Choice {
    const char* name;
    T value;
};

inline constexpr Choice<InterpolationMethod> kMethods[] = {
    {"biquadratic", InterpolationMethod::BiQuadratic},
    {"bilinear", InterpolationMethod::BiLinear},
    {"triangulation", InterpolationMethod::Triangulation},
    {"nearest", InterpolationMethod::NearestNeighbour},
};
inline constexpr Choice<HeightTarget> kTargets[] = {
    {"orthometric", HeightTarget::Orthometric},
    {"ellipsoidal", HeightTarget::Ellipsoidal},
};
inline constexpr Choice<HeightUnit> kUnits[] = {
    {"m", HeightUnit::Metre},
    {"ft", HeightUnit::Foot},
    {"us-ft", HeightUnit::UsSurveyFoot},
};

/// The names of a table, for CLI::IsMember.
template <typename T, std::size_t N>
std::vector<std::string> NamesOf(const Choice<T> (&table)[N]) {
    std::vector<std::string> names;
    for (const Choice<T>& c : table) names.emplace_back(c.name);
    return names;
}

/// The value of a name the parser has already checked against the table.
template <typename T, std::size_t N>
T ValueOf(const Choice<T> (&table)[N], const std::string& name) {
    for (const Choice<T>& c : table) {
        if (name == c.name) return c.value;
    }
    return table[0].value;
}

/// A number as the command line must spell it (strict_number.hpp).
CLI::Validator NumberCheck();
/// A --decimals value: a whole number from 0 to 17.
CLI::Validator DecimalsCheck();
/// The value of a number NumberCheck has passed.
double Number(const std::string& text);

/// -m,--method with the method names and `help`.
CLI::Option* AddMethodOption(CLI::App& command, std::string& method, const char* help);

/// --tide-system with the systems' names (tide_system.hpp), as every command that writes N takes
/// it.
CLI::Option* AddTideSystemOption(CLI::App& command, std::string& system);
/// The system of a name AddTideSystemOption has checked; tide-free when none was given.
TideSystem TideSystemOf(const std::string& system);

/// --grid and its overrides, as every subcommand takes them.
struct GridOptions {
    std::string model;
    CLI::Option* modelOption = nullptr;
    std::string path;
    std::string size;
    bool big = false;
    bool little = false;
    CLI::Option* pathOption = nullptr;
    std::vector<CLI::Option*> all;  ///< every option Add declared

    /// Declares the options (--model, --grid and its overrides) in the help's "Grid" group;
    /// returns --grid.
    CLI::Option* Add(CLI::App& command);
    /// What the options asked for.
    GridRequest Request() const;
};

/// --from-model and --to-model: orthometric heights taken from one geoid model to
/// another, each model's grid found in the grid folders. Given together or not at
/// all, and never beside --to or the grid options (`grid`), which choose one grid.
struct ModelShiftOptions {
    std::string from;
    std::string to;
    CLI::Option* fromOption = nullptr;
    CLI::Option* toOption = nullptr;

    /// Declares the two after `grid` and `target` (--to), which they exclude.
    void Add(CLI::App& command, const GridOptions& grid, CLI::Option* target);
    /// True when the pair was given.
    bool given() const { return fromOption->count() > 0; }
    /// The usage error the parser cannot tell (the same model twice), "" when none;
    /// `command` begins it.
    std::string UsageError(const char* command) const;
    /// The grid of the model heights are taken from, and of the one they are taken to.
    GridRequest FromRequest() const;
    GridRequest ToRequest() const;
};

}  // namespace egm2008::cli
