// The main window's tests run as every Qt test program does, with the desktop's data
// folder and the runtime folder pointing into a private folder, so neither the user's
// file associations nor a running KIV are touched.
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "platform/core/AppPaths.h"
#include "tests/QtTestMain.h"

int main(int argc, char** argv) {
    std::string base =
        std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    std::string tmpl = base + "/kiv-mainwindow-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return 2;
    const std::string root = tmpl + "/";
    kiv::MakeDirs(root + "data/");
    kiv::MakeDirs(root + "runtime/");
    ::chmod((root + "runtime").c_str(), 0700);
    ::setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "runtime").c_str(), 1);
    const int rc = RunQtTests(argc, argv);
    kiv::RemoveTree(root);
    return rc;
}
