#include "cli/messages.hpp"

#include <algorithm>

#include "engine/messages.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008::cli {

std::string NoSubcommandMessage(const std::string& word) {
    return "\"" + word +
           "\" is no subcommand; they are point, file, heights, nmea, grid, grids and info";
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

std::string RequiresMessage(const char* command, const char* option, const char* needed) {
    return std::string(command) + ": " + option + " requires " + needed;
}

std::string SameModelTwiceMessage(const char* command, const std::string& model) {
    return std::string(command) + ": --from-model and --to-model both name " + model +
           "; heights are converted between two models";
}

std::string NotPixelsMessage(const std::string& text, int most) {
    return "\"" + text + "\" is not a whole number of pixels from 1 to " + std::to_string(most);
}

std::string WidthBeyondLatticeMessage(int width, std::uint64_t nodes) {
    return "grid: --width " + std::to_string(width) + " is more than the lattice's long side of " +
           std::to_string(nodes) + (nodes == 1 ? " node" : " nodes") +
           ": the map is drawn a pixel a node, " + std::to_string(nodes) +
           (nodes == 1 ? " pixel" : " pixels") + " on its long side";
}

std::string StandardOutputFailureMessage(const char* what) {
    return std::string("standard output could not be written: ") + what;
}

std::string NodesOutsideMessage(std::uint64_t nodes, LatticeFormat format) {
    return std::to_string(nodes) + (nodes == 1 ? " node" : " nodes") +
           " could not be computed and " + (nodes == 1 ? "was " : "were ") +
           LatticeFormatInfoOf(format).missingNode + ".";
}

std::string FormatNeedsFileMessage(LatticeFormat format) {
    return std::string("grid: --format ") + LatticeFormatText(format) +
           " is written to a file: give -o FILE (not standard output)";
}

std::string NoGridsFoundText(const std::vector<std::string>& folders) {
    std::string list;
    for (const std::string& folder : folders) list += (list.empty() ? "" : ", ") + folder;
    return "No grids in " + list + "; \"egm2008 grids install\" makes the 10' and 2.5' grids.\n";
}

std::string GridsInstalledText(const std::string& folder, std::size_t made, std::size_t kept,
                               bool searched, const std::vector<GeoidModel>& models) {
    const auto has = [&models](GeoidModel model) {
        return models.empty() || std::find(models.begin(), models.end(), model) != models.end();
    };
    std::vector<std::string> what;
    std::vector<std::string> names;
    if (has(GeoidModel::Egm2008)) {
        what.emplace_back("The 10' and 2.5' grids, in both byte orders");
        names.emplace_back("--grid 10 or --grid 2.5");
    }
    for (const ModelFile& file : kModelFiles) {
        if (!has(file.model)) continue;
        what.push_back(std::string(what.empty() ? "The " : "the ") + ModelName(file.model) +
                       " grid");
        names.push_back(std::string("--model ") + ModelKey(file.model));
    }
    const auto list = [](const std::vector<std::string>& items, const char* last) {
        std::string text;
        for (std::size_t k = 0; k < items.size(); ++k) {
            text += (k == 0 ? "" : k + 1 == items.size() ? last : ", ") + items[k];
        }
        return text;
    };
    return list(what, " and ") + (what.size() > 1 ? " are in " : " is in ") + folder + " (" +
           std::to_string(made) + " made, " + std::to_string(kept) + " already there); " +
           (searched ? "name them with " + list(names, " or ") + ".\n"
                     : "name them by path, or with " + list(names, " or ") +
                           " once the folder is in EGM2008_GRID_PATH.\n");
}

std::string NotAsNamedNote(const char* sizeName, bool bigEndian, const char* model) {
    if (model) {
        return std::string(" (not the ") + model + " " + sizeName +
               " grid its name promises; --model passes it over)";
    }
    return std::string(" (not the ") + sizeName + (bigEndian ? " big-endian" : " little-endian") +
           " grid its name promises; grid names pass it over)";
}

std::string InstallStoppedMessage(const char* signal, std::size_t made) {
    std::string text = std::string("The install was stopped by ") + signal +
                       "; the files it had begun were removed";
    if (made > 0) text += ", the " + std::to_string(made) + " grid(s) it had finished kept";
    return text + ".";
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
