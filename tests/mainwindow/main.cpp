// The main window's tests run under the offscreen platform with a pinned font, in a
// KivApplication with the fake dialogs installed. The desktop's data folder and the
// runtime folder point into a private folder, so neither the user's file associations
// nor a running KIV are touched.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QFont>
#include <memory>
#include <string>

#include "platform/core/AppPaths.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    std::string base = std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    std::string tmpl = base + "/kiv-mainwindow-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return 2;
    const std::string root = tmpl + "/";
    kiv::MakeDirs(root + "data/");
    kiv::MakeDirs(root + "runtime/");
    ::chmod((root + "runtime").c_str(), 0700);
    ::setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "runtime").c_str(), 1);
    int rc;
    {
        kiv::KivApplication app(argc, argv);
        kiv::KivApplication::setApplicationName("KIV");
        kiv::KivApplication::setFont(QFont("DejaVu Sans", 9));
        kiv::InstallDialogs(std::make_unique<kiv::FakeDialogs>());
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    kiv::RemoveTree(root);
    return rc;
}
