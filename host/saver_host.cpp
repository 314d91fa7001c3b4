#include "host/saver_host.h"

#include "host/trace.h"

// The trace destination is fixed by the build, and so is the relaxed
// full-screen behaviour that goes with tracing.
SaverHost host = [] {
    SaverHost h = {};
    h.debugMode = traceDestination[0] != 0;
    return h;
}();
