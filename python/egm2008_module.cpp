// The Python module egm2008: a Geoid over the C++ library's, whose queries take
// scalars or numpy arrays of any real dtype, broadcast them against each other
// and answer float64 (a Python float when every input is a scalar), NaN where N
// cannot be computed. Large arrays are computed without the GIL, spread over the
// machine's cores. A grid that cannot be opened raises egm2008.Error, an OSError
// whose text is the command line's message for the same file and whose errno is the
// failed system call's; a path with a null character raises ValueError.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "egm2008/geoid.hpp"
#include "engine/worker_threads.hpp"

namespace py = pybind11;

namespace {

using egm2008::ByteOrder;
using egm2008::Geoid;
using egm2008::GeoidInfo;
using egm2008::GridSize;
using egm2008::Method;
using egm2008::TideSystem;
using egm2008::Model;

constexpr const char* kMethodNames = "bilinear, biquadratic, triangulation or nearest";

Method ParseMethod(const std::string& name) {
    if (name == "bilinear") return Method::BiLinear;
    if (name == "biquadratic") return Method::BiQuadratic;
    if (name == "triangulation") return Method::Triangulation;
    if (name == "nearest") return Method::Nearest;
    throw py::value_error("method must be " + std::string(kMethodNames) + ", not \"" + name + "\"");
}

constexpr const char* kTideSystemNames = "tide-free, mean-tide or zero-tide";

TideSystem ParseTideSystem(const std::string& name) {
    if (name == "tide-free") return TideSystem::TideFree;
    if (name == "mean-tide") return TideSystem::MeanTide;
    if (name == "zero-tide") return TideSystem::ZeroTide;
    throw py::value_error("tide_system must be " + std::string(kTideSystemNames) + ", not \"" +
                          name + "\"");
}

const char* TideSystemText(TideSystem system) {
    switch (system) {
        case TideSystem::MeanTide: return "mean-tide";
        case TideSystem::ZeroTide: return "zero-tide";
        case TideSystem::TideFree: break;
    }
    return "tide-free";
}

const char* SizeText(GridSize size) {
    switch (size) {
        case GridSize::Grid2_5x2_5: return "2.5'";
        case GridSize::Grid1x1: return "1'";
        case GridSize::Grid10x10: break;
    }
    return "10'";
}

// The key Geoid() takes for the model.
const char* ModelText(Model model) {
    switch (model) {
        case Model::Egm96: return "egm96";
        case Model::Egm84: return "egm84";
        case Model::Egm2008: break;
    }
    return "egm2008";
}

// What a query makes of N at a point: N itself, H = h - N or h = H + N.
enum class Output { Undulation, Orthometric, Ellipsoidal };

// `n`, the grid's tide-free N, in `tide`: the library's correction added in
// double, so that the float64 answer is not rounded to float after it; nothing
// added for tide-free.
double InTideSystem(TideSystem tide, double lat, float n) {
    if (tide == TideSystem::TideFree) return static_cast<double>(n);
    return static_cast<double>(n) + egm2008::tideCorrection(tide, lat);
}

double Combine(Output output, double height, double n) {
    switch (output) {
        case Output::Orthometric: return height - n;
        case Output::Ellipsoidal: return height + n;
        case Output::Undulation: break;
    }
    return n;
}

// One query over contiguous float64 inputs of one length (`height` only for the
// height conversions). Run(first, end) fills out[first..end) and touches nothing
// else, so that disjoint ranges may run on several threads at once without the GIL.
struct BatchQuery {
    const Geoid& geoid;  ///< tide-free; `tide` is applied here
    TideSystem tide;
    Method method;
    Output output;
    const double* height;
    const double* lat;
    const double* lon;
    double* out;

    void Run(std::size_t first, std::size_t end) const {
        constexpr std::size_t kBlock = 1024;
        float n[kBlock];
        for (std::size_t b = first; b < end; b += kBlock) {
            const std::size_t count = std::min(kBlock, end - b);
            geoid.undulations({lat + b, count}, {lon + b, count}, {n, count}, method);
            for (std::size_t k = 0; k < count; ++k) {
                out[b + k] = Combine(output, height ? height[b + k] : 0.0,
                                     InTideSystem(tide, lat[b + k], n[k]));
            }
        }
    }
};

// Points below which a batch stays on one thread: starting a thread costs more.
constexpr std::size_t kPointsPerThread = 1 << 15;

// Runs `query` over `count` points in as many equal ranges as there are cores (one
// when the points are few); the calling thread takes the last range.
void RunSpread(const BatchQuery& query, std::size_t count) {
    const std::size_t cores = egm2008::engine::MachineThreads();
    const std::size_t parts = std::clamp<std::size_t>(count / kPointsPerThread, 1, cores);
    std::vector<std::thread> workers;
    std::size_t first = 0;
    for (std::size_t p = 0; p + 1 < parts; ++p) {
        const std::size_t end = count * (p + 1) / parts;
        try {
            workers.emplace_back(&BatchQuery::Run, &query, first, end);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the calling thread does the rest
        }
        first = end;
    }
    query.Run(first, count);
    for (std::thread& worker : workers) worker.join();
}

// `value` as a numpy array, refused unless it holds real numbers. A masked array's masked
// points become NaN (numpy.asarray alone would drop the mask and keep the values under it).
py::array RealArray(const py::handle& value, const char* name) {
    const py::module_ numpy = py::module_::import("numpy");
    py::array array = numpy.attr("asarray")(value);
    const char kind = array.dtype().kind();
    if (kind != 'f' && kind != 'i' && kind != 'u') {
        throw py::type_error(std::string(name) + " must hold real numbers, not dtype " +
                             py::str(array.dtype()).cast<std::string>());
    }
    if (py::isinstance(value, numpy.attr("ma").attr("MaskedArray"))) {
        const py::object asFloat = value.attr("astype")(numpy.attr("float64"));
        return numpy.attr("asarray")(asFloat.attr("filled")(numpy.attr("nan")));
    }
    return array;
}

using Float64Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The query at every point of the inputs broadcast against each other (height, if
// any, first; then lat and lon): a float for scalars, else a float64 array.
py::object Query(const Geoid& geoidInItsSystem, Output output,
                 const std::vector<py::handle>& inputs, const std::vector<const char*>& names,
                 const std::string& methodName) {
    const Method method = ParseMethod(methodName);
    const TideSystem tide = geoidInItsSystem.tideSystem();
    const Geoid geoid = geoidInItsSystem.withTideSystem(TideSystem::TideFree);
    py::list arrays;
    bool scalars = true;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const py::array array = RealArray(inputs[k], names[k]);
        scalars = scalars && array.ndim() == 0;
        arrays.append(array);
    }
    const bool withHeight = output != Output::Undulation;
    if (scalars) {
        std::vector<double> v;
        for (const py::handle& a : arrays) v.push_back(a.attr("item")().cast<double>());
        const double h = withHeight ? v[0] : 0.0;
        const std::size_t at = withHeight ? 1 : 0;
        const float n = geoid.undulation(v[at], v[at + 1], method).metres;
        return py::float_(Combine(output, h, InTideSystem(tide, v[at], n)));
    }
    const py::list broadcast = py::module_::import("numpy").attr("broadcast_arrays")(*arrays);
    std::vector<Float64Array> contiguous;
    for (const py::handle& a : broadcast) contiguous.push_back(Float64Array::ensure(a));
    const Float64Array& first = contiguous.front();
    Float64Array out(std::vector<py::ssize_t>(first.shape(), first.shape() + first.ndim()));
    const std::size_t at = withHeight ? 1 : 0;
    const BatchQuery query{geoid,
                           tide,
                           method,
                           output,
                           withHeight ? contiguous[0].data() : nullptr,
                           contiguous[at].data(),
                           contiguous[at + 1].data(),
                           out.mutable_data()};
    const auto count = static_cast<std::size_t>(out.size());
    {
        py::gil_scoped_release released;
        RunSpread(query, count);
    }
    return out;
}

Geoid OpenGeoid(const py::object& pathOrName, const std::string& tideSystem) {
    const TideSystem tide = ParseTideSystem(tideSystem);
    const py::object path = py::module_::import("os").attr("fspath")(pathOrName);
    return Geoid::open(path.cast<std::string>()).withTideSystem(tide);
}

// What a pickled Geoid carries: the file it opened, what that file was (title and byte order:
// model and kind) and its tide system. The worker opens the file again by its path.
py::tuple GeoidState(const Geoid& g) {
    const GeoidInfo info = g.info();
    return py::make_tuple(info.path, info.title, info.byteOrder == ByteOrder::Big ? "big" : "little",
                          TideSystemText(g.tideSystem()));
}

// The Geoid a pickle's state describes; egm2008.Error when the file at its path is another
// grid now (a worker whose grid folders differ).
Geoid GeoidOfState(const py::tuple& state) {
    if (state.size() != 4) throw py::value_error("not the state of a pickled egm2008.Geoid");
    const auto path = state[0].cast<std::string>();
    const Geoid g = Geoid::open(path).withTideSystem(ParseTideSystem(state[3].cast<std::string>()));
    const GeoidInfo info = g.info();
    const std::string order = info.byteOrder == ByteOrder::Big ? "big" : "little";
    if (info.title != state[1].cast<std::string>() || order != state[2].cast<std::string>()) {
        throw egm2008::Error("Geoidfile \"" + path + "\" is now the " + info.title + " grid, " +
                             order + "-endian, not the " + state[1].cast<std::string>() + " grid, " +
                             state[2].cast<std::string>() + "-endian, that was pickled");
    }
    return g;
}

}  // namespace

PYBIND11_MODULE(egm2008, m) {
    m.doc() =
        "EGM2008 geoid undulations N (metres, WGS84) from NGA's 10', 2.5' and 1' grid files, "
        "and EGM96's and EGM84's from geotranz's egm96.grd and wwgrid.bin.";
    m.attr("__version__") = EGM2008_VERSION;
    // egm2008.Error is an OSError; its errno is the failed system call's, when there was one
    // (None otherwise), and str() is the command line's message either way.
    static PyObject* errorType =
        py::register_exception<egm2008::Error>(m, "Error", PyExc_OSError).ptr();
    py::register_exception_translator([](std::exception_ptr raised) {
        try {
            if (raised) std::rethrow_exception(raised);
        } catch (const egm2008::Error& e) {
            py::object error = py::reinterpret_borrow<py::object>(errorType)(e.what());
            if (e.systemError() != 0) error.attr("errno") = e.systemError();
            PyErr_SetObject(errorType, error.ptr());
        }
    });

    py::class_<GeoidInfo>(m, "GeoidInfo",
                          "What an open Geoid is: its file, size, byte order and model.")
        .def_readonly("path", &GeoidInfo::path, "the grid file (a name resolved to its file)")
        .def_property_readonly(
            "size", [](const GeoidInfo& i) { return SizeText(i.size); },
            "\"10'\", \"2.5'\" or \"1'\"")
        .def_property_readonly(
            "byte_order",
            [](const GeoidInfo& i) { return i.byteOrder == ByteOrder::Big ? "big" : "little"; },
            "\"little\" or \"big\"")
        .def_property_readonly(
            "model", [](const GeoidInfo& i) { return ModelText(i.model); },
            "\"egm2008\", \"egm96\" or \"egm84\"")
        .def_readonly("title", &GeoidInfo::title, "\"EGM2008 2.5'\", \"EGM96 15'\", \"EGM84 30'\"")
        .def("__repr__", [](const GeoidInfo& i) {
            return "GeoidInfo(path=" + py::repr(py::str(i.path)).cast<std::string>() + ", size=\"" +
                   SizeText(i.size) + "\", byte_order=\"" +
                   (i.byteOrder == ByteOrder::Big ? "big" : "little") + "\", model=\"" +
                   ModelText(i.model) + "\")";
        });

    py::class_<Geoid>(m, "Geoid",
                      "An open EGM2008 grid file. Queries may run on several threads at once.")
        .def(py::init(&OpenGeoid), py::arg("path_or_name"), py::arg("tide_system") = "tide-free",
             "Opens a grid file by path (str or os.PathLike) or by grid name (\"10\", \"2.5\", "
             "\"1\", optionally with \"-le\" or \"-be\"); its size and byte order are recognised "
             "from the file. A model's name, \"egm2008\", \"egm96\" or \"egm84\", opens that "
             "model's grid from the grid folders (EGM2008's 10' grid). Raises egm2008.Error (an "
             "OSError) when it cannot be used. "
             "tide_system: the system of N, tide-free (the grids'), mean-tide or zero-tide "
             "(Ekman 1989, k = 0.3); ValueError for any other name.")
        .def(
            "undulation",
            [](const Geoid& g, py::handle lat, py::handle lon, const std::string& method) {
                return Query(g, Output::Undulation, {lat, lon}, {"lat", "lon"}, method);
            },
            py::arg("lat"), py::arg("lon"), py::arg("method") = "bilinear",
            "N in metres at latitude `lat` (-90..90) and longitude `lon` (-180..360), degrees; "
            "scalars or arrays, broadcast against each other. float64 (a float for scalars), NaN "
            "where N cannot be computed. method: bilinear, biquadratic, triangulation or nearest.")
        .def(
            "orthometric",
            [](const Geoid& g, py::handle h, py::handle lat, py::handle lon,
               const std::string& method) {
                return Query(g, Output::Orthometric, {h, lat, lon}, {"h", "lat", "lon"}, method);
            },
            py::arg("h"), py::arg("lat"), py::arg("lon"), py::arg("method") = "bilinear",
            "The orthometric height H = h - N of the ellipsoidal height h (metres).")
        .def(
            "ellipsoidal",
            [](const Geoid& g, py::handle H, py::handle lat, py::handle lon,
               const std::string& method) {
                return Query(g, Output::Ellipsoidal, {H, lat, lon}, {"H", "lat", "lon"}, method);
            },
            py::arg("H"), py::arg("lat"), py::arg("lon"), py::arg("method") = "bilinear",
            "The ellipsoidal height h = H + N of the orthometric height H (metres).")
        .def_property_readonly("info", &Geoid::info, "the grid's GeoidInfo")
        // Pickled by the file's path, what it is and the tide system, and opened again where it
        // is unpickled: Dask, Spark or multiprocessing can ship a Geoid to their workers.
        .def(py::pickle(&GeoidState, &GeoidOfState))
        .def_property_readonly(
            "tide_system", [](const Geoid& g) { return TideSystemText(g.tideSystem()); },
            "\"tide-free\", \"mean-tide\" or \"zero-tide\": the system of N")
        .def("__repr__", [](const Geoid& g) {
            const std::string tide =
                g.tideSystem() == TideSystem::TideFree
                    ? ""
                    : std::string(", tide_system=\"") + TideSystemText(g.tideSystem()) + "\"";
            return "egm2008.Geoid(" + py::repr(py::str(g.info().path)).cast<std::string>() + tide +
                   ")";
        });
}
