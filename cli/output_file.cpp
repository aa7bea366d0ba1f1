#include "cli/output_file.hpp"

#include <cerrno>
#include <cstring>

#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "tasks/messages.hpp"

namespace egm2008::cli {

bool OpenOutput(OutputFile& output, const std::string& path, bool replace,
                const StopSignals& signals, Console& console) {
    if (path == "-") {
        output.Attach(console.out());
    } else if (!output.Open(path, replace)) {
        console.Message(OutputOpenMessage(path, errno));
        return false;
    }
    output.text().StopOn(signals.stop());
    return true;
}

const char* FateText(const OutputFile& output) {
    switch (output.fate()) {
        case OutputFate::Unchanged: return kKeptOutputFate;
        case OutputFate::NotCreated: return kNotCreatedOutputFate;
        case OutputFate::Incomplete: return kDirectOutputFate;
        case OutputFate::Live: return kLiveOutputFate;
    }
    return kDirectOutputFate;
}

std::optional<int> SettleOutput(OutputFile& output, const std::string& path,
                                const StopSignals& signals, Console& console) {
    if (const int signal = signals.received()) {
        output.Discard();
        console.Message(StoppedBySignalMessage(path, signal, output));
        return SignalExitStatus(signal);
    }
    if (!output.replacing()) return std::nullopt;
    if (const OutputKept kept = output.Keep(); !kept.kept()) {
        console.Message(OutputNotWrittenMessage(path, kept.error, output));
        return kExitFailure;
    }
    return std::nullopt;
}

std::string StoppedBySignalMessage(const std::string& path, int signal, const OutputFile& output) {
    return StoppedBySignalMessage(path, SignalName(signal), FateText(output));
}

std::string OutputNotWrittenMessage(const std::string& path, int error, const OutputFile& output) {
    return OutputNotWrittenMessage(path, std::strerror(error), FateText(output));
}

}  // namespace egm2008::cli
