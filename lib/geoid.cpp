// The public Geoid over the engine: the grid chosen as the command line chooses
// it, mapped once by a MappedGrid (which checks every record marker), queried by
// ComputeUndulation. The engine's headers come first (see lib/engine_names.hpp).
#include "lib/engine_names.hpp"

#include "egm2008/geoid.hpp"

#include <algorithm>
#include <optional>
#include <utility>

#include "lib/messages.hpp"

namespace egm2008 {
inline namespace v1 {

namespace {

using engine::EngineGridSize;
using engine::EngineStatus;

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

// Points whose rows are asked for before any of them is queried, as a point-file run does.
constexpr std::size_t kPrefetchGroup = 16;

// The enumerations' values from outside are checked, never taken for a default.
InterpolationMethod ToEngine(Method method) {
    switch (method) {
        case Method::BiQuadratic: return InterpolationMethod::BiQuadratic;
        case Method::BiLinear: return InterpolationMethod::BiLinear;
        case Method::Triangulation: return InterpolationMethod::Triangulation;
        case Method::Nearest: return InterpolationMethod::NearestNeighbour;
    }
    throw std::invalid_argument(lib::BadEnumeratorMessage("Method", static_cast<int>(method)));
}

EngineGridSize ToEngine(GridSize size) {
    switch (size) {
        case GridSize::Grid10x10: return EngineGridSize::Grid10x10;
        case GridSize::Grid2_5x2_5: return EngineGridSize::Grid2_5x2_5;
        case GridSize::Grid1x1: return EngineGridSize::Grid1x1;
    }
    throw std::invalid_argument(lib::BadEnumeratorMessage("GridSize", static_cast<int>(size)));
}

bool IsBigEndian(ByteOrder order) {
    switch (order) {
        case ByteOrder::Little: return false;
        case ByteOrder::Big: return true;
    }
    throw std::invalid_argument(lib::BadEnumeratorMessage("ByteOrder", static_cast<int>(order)));
}

// A path is handed to the system as a C string: a null character inside would cut it short.
const std::string& CheckedPath(const std::string& pathOrName) {
    if (pathOrName.find('\0') != std::string::npos) {
        throw std::invalid_argument(lib::NullInPathMessage());
    }
    return pathOrName;
}

GridSize ToPublic(EngineGridSize size) {
    switch (size) {
        case EngineGridSize::Grid2_5x2_5: return GridSize::Grid2_5x2_5;
        case EngineGridSize::Grid1x1: return GridSize::Grid1x1;
        case EngineGridSize::Grid10x10: break;
    }
    return GridSize::Grid10x10;
}

QueryStatus ToPublic(EngineStatus status) {
    switch (status) {
        case EngineStatus::StatusOk: return QueryStatus::Ok;
        case EngineStatus::StatusOutside: return QueryStatus::Outside;
        case EngineStatus::StatusError: break;
    }
    return QueryStatus::Error;
}

// Keeps the first message the engine tells, which is the one the command line prints.
class FirstMessage final : public Notifier {
public:
    void Notify(const std::string& text, NoticeIcon) override {
        if (text_.empty()) text_ = text;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

}  // namespace

struct Geoid::Impl {
    GeoidGrid grid;
    // Queries read the mapping and change nothing in it (MappedGrid's reads are
    // const in all but name), so one Impl serves every thread at once.
    mutable MappedGrid mapped;
    GeoidInfo info;
};

Error::Error(const std::string& what, int systemError)
    : std::runtime_error(what), systemError_(systemError) {}

Error::~Error() = default;

Geoid::Geoid(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

namespace {

// Chooses the grid `request` names and maps it; throws Error with the command line's message:
// the files a name passed over, then the reason, in one line. A name that finds its grid
// after passing over others says nothing of them (the library has no channel for warnings).
void OpenGrid(const GridRequest& request, GeoidGrid& grid, MappedGrid& mapped, GeoidInfo& info) {
    GridChoiceNotes notes;
    if (!ChooseGrid(request, grid, notes)) {
        std::string text;
        for (const std::string& passedOver : notes.passedOver) text += passedOver + "\n";
        throw Error(OneLine(text + notes.reason), notes.systemError);
    }
    FirstMessage message;
    if (mapped.Map(grid, message) != EngineStatus::StatusOk) throw Error(OneLine(message.text()));
    info.path = grid.path;
    info.size = ToPublic(grid.gridSize);
    info.byteOrder = grid.bigEndian ? ByteOrder::Big : ByteOrder::Little;
}

}  // namespace

Geoid Geoid::open(const std::string& pathOrName) {
    auto impl = std::make_shared<Impl>();
    OpenGrid(GridRequest{CheckedPath(pathOrName), std::nullopt, std::nullopt}, impl->grid,
             impl->mapped, impl->info);
    return Geoid(std::move(impl));
}

Geoid Geoid::open(const std::string& pathOrName, GridSize size, ByteOrder byteOrder) {
    auto impl = std::make_shared<Impl>();
    OpenGrid(GridRequest{CheckedPath(pathOrName), ToEngine(size), IsBigEndian(byteOrder)},
             impl->grid, impl->mapped, impl->info);
    return Geoid(std::move(impl));
}

Result Geoid::undulation(double lat, double lon, Method method) const {
    const InterpolationMethod engineMethod = ToEngine(method);
    float n = 0.0f;
    const EngineStatus status =
        ComputeUndulation(impl_->grid, engineMethod, lat, lon, n, impl_->mapped);
    if (status != EngineStatus::StatusOk) return {ToPublic(status), kNoValue};
    return {QueryStatus::Ok, n};
}

void Geoid::undulations(std::span<const double> lat, std::span<const double> lon,
                        std::span<float> out, Method method) const {
    if (lat.size() != lon.size() || lat.size() != out.size()) {
        throw std::invalid_argument(lib::BatchSizesMessage(lat.size(), lon.size(), out.size()));
    }
    const GeoidGrid& grid = impl_->grid;
    const MappedGrid& mapped = impl_->mapped;
    const InterpolationMethod engineMethod = ToEngine(method);
    for (std::size_t first = 0; first < lat.size(); first += kPrefetchGroup) {
        const std::size_t end = std::min(first + kPrefetchGroup, lat.size());
        for (std::size_t k = first; k < end; ++k) {
            mapped.Prefetch(grid, engineMethod, lat[k], lon[k]);
        }
        for (std::size_t k = first; k < end; ++k) {
            float n = 0.0f;
            const EngineStatus status =
                ComputeUndulation(grid, engineMethod, lat[k], lon[k], n, impl_->mapped);
            out[k] = status == EngineStatus::StatusOk ? n : kNoValue;
        }
    }
}

double Geoid::orthometric(double h, double lat, double lon, Method method) const {
    return h - static_cast<double>(undulation(lat, lon, method).metres);
}

double Geoid::ellipsoidal(double H, double lat, double lon, Method method) const {
    return H + static_cast<double>(undulation(lat, lon, method).metres);
}

const GeoidInfo& Geoid::info() const noexcept { return impl_->info; }

}  // namespace v1
}  // namespace egm2008
