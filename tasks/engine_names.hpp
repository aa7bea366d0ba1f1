// The engine's names as the layers over it use them.
//
// The engine keeps its types and functions in namespace egm2008::engine, apart
// from the public library's (egm2008::v1, include/egm2008/geoid.hpp), which has
// a GridSize, a QueryStatus and a Method of its own; the library (lib/) names
// the engine's as engine::GridSize and never includes this header. The tasks,
// and the window and the command line over them, name the engine's types and
// functions as their own, unqualified from inside namespace egm2008: this one
// using-directive makes them so. A header of theirs that names the engine
// includes it.
#pragma once

namespace egm2008::engine {}

namespace egm2008 {
using namespace engine;
}  // namespace egm2008
