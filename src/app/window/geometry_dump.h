#pragma once

namespace tarn {

// For the end-to-end test only, which drives the program with real input
// events: when the environment variable TARN_GEOMETRY_DUMP names a file, the
// visible windows' named controls and list rows are written there in global
// pixels, one per line, and rewritten whenever they change. Does nothing
// otherwise.
void installGeometryDump();

} // namespace tarn
