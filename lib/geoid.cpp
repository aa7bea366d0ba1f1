// The public Geoid over the engine: the grid chosen as the command line chooses
// it, mapped once by a MappedGrid (which checks every record marker), queried by
// ComputeUndulation. The public names are this namespace's own (egm2008::v1);
// the engine's are spelt engine::, so the headers may come in any order.
#include "egm2008/geoid.hpp"

#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include "engine/file_identity.hpp"
#include "engine/geoid_grid.hpp"
#include "engine/geoid_model.hpp"
#include "engine/grid_choice.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/messages.hpp"
#include "engine/notifier.hpp"
#include "engine/query_routines.hpp"
#include "engine/tide_system.hpp"
#include "lib/messages.hpp"

namespace egm2008 {
inline namespace v1 {

namespace {

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

// Points whose rows are asked for before any of them is queried, as a point-file run does.
constexpr std::size_t kPrefetchGroup = 16;

// The enumerations' values from outside are checked, never taken for a default.
engine::InterpolationMethod ToEngine(Method method) {
    switch (method) {
        case Method::BiQuadratic: return engine::InterpolationMethod::BiQuadratic;
        case Method::BiLinear: return engine::InterpolationMethod::BiLinear;
        case Method::Triangulation: return engine::InterpolationMethod::Triangulation;
        case Method::Nearest: return engine::InterpolationMethod::NearestNeighbour;
    }
    throw std::invalid_argument(lib::BadEnumeratorMessage("Method", static_cast<int>(method)));
}

engine::GridSize ToEngine(GridSize size) {
    switch (size) {
        case GridSize::Grid10x10: return engine::GridSize::Grid10x10;
        case GridSize::Grid2_5x2_5: return engine::GridSize::Grid2_5x2_5;
        case GridSize::Grid1x1: return engine::GridSize::Grid1x1;
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

engine::TideSystem ToEngine(TideSystem system) {
    switch (system) {
        case TideSystem::TideFree: return engine::TideSystem::TideFree;
        case TideSystem::MeanTide: return engine::TideSystem::MeanTide;
        case TideSystem::ZeroTide: return engine::TideSystem::ZeroTide;
    }
    throw std::invalid_argument(lib::BadEnumeratorMessage("TideSystem", static_cast<int>(system)));
}

GridSize ToPublic(engine::GridSize size) {
    switch (size) {
        case engine::GridSize::Grid2_5x2_5: return GridSize::Grid2_5x2_5;
        case engine::GridSize::Grid1x1: return GridSize::Grid1x1;
        case engine::GridSize::Grid10x10: break;
    }
    return GridSize::Grid10x10;
}

Model ToPublic(engine::GeoidModel model) {
    switch (model) {
        case engine::GeoidModel::Egm96: return Model::Egm96;
        case engine::GeoidModel::Egm84: return Model::Egm84;
        case engine::GeoidModel::Egm2008: break;
    }
    return Model::Egm2008;
}

QueryStatus ToPublic(engine::QueryStatus status) {
    switch (status) {
        case engine::QueryStatus::StatusOk: return QueryStatus::Ok;
        case engine::QueryStatus::StatusOutside: return QueryStatus::Outside;
        case engine::QueryStatus::StatusError: break;
    }
    return QueryStatus::Error;
}

// Keeps the first message the engine tells, which is the one the command line prints.
class FirstMessage final : public engine::Notifier {
public:
    void Notify(const std::string& text, engine::NoticeIcon) override {
        if (text_.empty()) text_ = text;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

}  // namespace

// The grid opened and mapped once, shared by every Geoid made from it.
struct Geoid::Grid {
    engine::GeoidGrid grid;
    // Queries read the mapping and change nothing in it (MappedGrid's reads are
    // const in all but name), so one Grid serves every thread at once.
    mutable engine::MappedGrid mapped;
    GeoidInfo info;
};

struct Geoid::Impl {
    std::shared_ptr<const Grid> shared;
    TideSystem tide = TideSystem::TideFree;
    engine::TideSystem engineTide = engine::TideSystem::TideFree;
};

double tideCorrection(TideSystem system, double lat) {
    return engine::TideCorrection(ToEngine(system), lat);
}

Error::Error(const std::string& what, int systemError)
    : std::runtime_error(what), systemError_(systemError) {}

Error::~Error() = default;

Geoid::Geoid(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

namespace {

// Chooses the grid `request` names and maps it; throws Error with the command line's message:
// the files a name passed over, then the reason, in one line. A name that finds its grid
// after passing over others says nothing of them (the library has no channel for warnings).
void OpenGrid(const engine::GridRequest& request, engine::GeoidGrid& grid,
              engine::MappedGrid& mapped, GeoidInfo& info) {
    engine::GridChoiceNotes notes;
    if (!engine::ChooseGrid(request, grid, notes)) {
        std::string text;
        for (const std::string& passedOver : notes.passedOver) text += passedOver + "\n";
        throw Error(engine::OneLine(text + notes.reason), notes.systemError);
    }
    FirstMessage message;
    if (mapped.Map(grid, message) != engine::QueryStatus::StatusOk)
        throw Error(engine::OneLine(message.text()));
    info.path = grid.path;
    info.size = ToPublic(grid.gridSize);
    info.byteOrder = grid.bigEndian ? ByteOrder::Big : ByteOrder::Little;
    info.model = ToPublic(grid.model);
    info.title = engine::GridTitle(grid);
}

// The grid name of EGM2008's grid in the grid folders: "10", or the size and byte order asked
// for ("2.5-be"), as ParseGridName reads them.
std::string Egm2008GridName(std::optional<engine::GridSize> size, std::optional<bool> bigEndian) {
    std::string name = size ? engine::SizeName(*size) : "10'";
    name.pop_back();  // SizeName's minute mark
    if (bigEndian) name += *bigEndian ? "-be" : "-le";
    return name;
}

// What open's text asks for. A model's key ("egm96") asks for that model's grid in the grid
// folders, EGM2008's being the grid of Egm2008GridName; any other text, and a key that is a
// file in the working directory, is a path or a grid name, its model the file's.
engine::GridRequest RequestOf(const std::string& pathOrName, std::optional<engine::GridSize> size,
                              std::optional<bool> bigEndian) {
    const std::string& text = CheckedPath(pathOrName);
    const std::optional<engine::GeoidModel> model = engine::ModelOfKey(text);
    if (!model || engine::IdentityOfPath(text)) {
        return engine::GridRequest{text, size, bigEndian};
    }
    if (*model == engine::GeoidModel::Egm2008) {
        return engine::GridRequest{Egm2008GridName(size, bigEndian), size, bigEndian, model};
    }
    return engine::GridRequest{std::nullopt, size, bigEndian, model};
}

}  // namespace

Geoid Geoid::open(const std::string& pathOrName) {
    auto grid = std::make_shared<Grid>();
    OpenGrid(RequestOf(pathOrName, std::nullopt, std::nullopt), grid->grid, grid->mapped,
             grid->info);
    return Geoid(std::make_shared<const Impl>(Impl{std::move(grid)}));
}

Geoid Geoid::open(const std::string& pathOrName, GridSize size, ByteOrder byteOrder) {
    auto grid = std::make_shared<Grid>();
    OpenGrid(RequestOf(pathOrName, ToEngine(size), IsBigEndian(byteOrder)), grid->grid,
             grid->mapped, grid->info);
    return Geoid(std::make_shared<const Impl>(Impl{std::move(grid)}));
}

Geoid Geoid::withTideSystem(TideSystem system) const {
    const engine::TideSystem engineTide = ToEngine(system);
    return Geoid(std::make_shared<const Impl>(Impl{impl_->shared, system, engineTide}));
}

TideSystem Geoid::tideSystem() const noexcept { return impl_->tide; }

namespace {

// The grid's (tide-free) N at a point, NaN when it has none.
float TideFreeUndulation(const engine::GeoidGrid& grid, engine::MappedGrid& mapped, double lat,
                         double lon, Method method, engine::QueryStatus& status) {
    float n = 0.0f;
    status = engine::ComputeUndulation(grid, ToEngine(method), lat, lon, n, mapped);
    return status == engine::QueryStatus::StatusOk ? n : kNoValue;
}

}  // namespace

Result Geoid::undulation(double lat, double lon, Method method) const {
    engine::QueryStatus status = engine::QueryStatus::StatusError;
    const float n =
        TideFreeUndulation(impl_->shared->grid, impl_->shared->mapped, lat, lon, method, status);
    if (status != engine::QueryStatus::StatusOk) return {ToPublic(status), kNoValue};
    // Tide-free keeps the grid's float untouched (InTideSystem adds nothing).
    return {QueryStatus::Ok, static_cast<float>(engine::InTideSystem(impl_->engineTide, lat,
                                                                     static_cast<double>(n)))};
}

double Geoid::undulationInDouble(double lat, double lon, Method method) const {
    engine::QueryStatus status = engine::QueryStatus::StatusError;
    const float n =
        TideFreeUndulation(impl_->shared->grid, impl_->shared->mapped, lat, lon, method, status);
    return engine::InTideSystem(impl_->engineTide, lat, static_cast<double>(n));
}

void Geoid::undulations(std::span<const double> lat, std::span<const double> lon,
                        std::span<float> out, Method method) const {
    if (lat.size() != lon.size() || lat.size() != out.size()) {
        throw std::invalid_argument(lib::BatchSizesMessage(lat.size(), lon.size(), out.size()));
    }
    const engine::GeoidGrid& grid = impl_->shared->grid;
    const engine::MappedGrid& mapped = impl_->shared->mapped;
    const engine::TideSystem tide = impl_->engineTide;
    const engine::InterpolationMethod engineMethod = ToEngine(method);
    for (std::size_t first = 0; first < lat.size(); first += kPrefetchGroup) {
        const std::size_t end = std::min(first + kPrefetchGroup, lat.size());
        for (std::size_t k = first; k < end; ++k) {
            mapped.Prefetch(grid, engineMethod, lat[k], lon[k]);
        }
        for (std::size_t k = first; k < end; ++k) {
            float n = 0.0f;
            const engine::QueryStatus status = engine::ComputeUndulation(
                grid, engineMethod, lat[k], lon[k], n, impl_->shared->mapped);
            out[k] = status == engine::QueryStatus::StatusOk ? n : kNoValue;
        }
        // Tide-free leaves the batch's values, and its pace, as the grid gives them.
        if (tide == engine::TideSystem::TideFree) continue;
        for (std::size_t k = first; k < end; ++k) {
            out[k] =
                static_cast<float>(engine::InTideSystem(tide, lat[k], static_cast<double>(out[k])));
        }
    }
}

double Geoid::orthometric(double h, double lat, double lon, Method method) const {
    return h - undulationInDouble(lat, lon, method);
}

double Geoid::ellipsoidal(double H, double lat, double lon, Method method) const {
    return H + undulationInDouble(lat, lon, method);
}

const GeoidInfo& Geoid::info() const noexcept { return impl_->shared->info; }

}  // namespace v1
}  // namespace egm2008
