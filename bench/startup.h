#pragma once
#include <string>
#include <vector>

#include "bench/table.h"

namespace xh::bench {

struct StartupPrograms {
    std::string launcher, bareGtk, bareWebkit;
};

// exec -> first window mapped, exec -> login page loaded, and the resident memory of the
// program's own process when the page has loaded, each against the bare GTK and WebKitGTK
// programs. Needs an X display; the login page is served on the launcher's loopback port.
std::vector<Row> StartupRows(int runs, const std::string& dir, const StartupPrograms& programs);

}  // namespace xh::bench
