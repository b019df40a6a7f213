#pragma once
// A private folder for one benchmark run under $TMPDIR (or /tmp): the program folder
// (KIV_HOME) and the XDG data and runtime folders inside it, the offscreen platform chosen.
// Removed with everything in it when the object goes.
#include <stdlib.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QtGlobal>
#include <string>

#include "platform/core/AppPaths.h"

namespace kiv {

class BenchHome {
public:
    BenchHome() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const char* tmp = std::getenv("TMPDIR");
        std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/kiv-bench-XXXXXX";
        if (!::mkdtemp(tmpl.data())) return;
        root_ = tmpl + "/";
        for (const char* d : {"home/", "data/", "run/"}) MakeDirs(root_ + d);
        ::chmod((root_ + "run").c_str(), 0700);  // a runtime folder is the user's alone
        ::setenv("XDG_DATA_HOME", (root_ + "data").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root_ + "run").c_str(), 1);
        home_ = root_ + "home/";
        ::setenv("KIV_HOME", home_.c_str(), 1);
        ResetAppPaths();
    }
    ~BenchHome() {
        if (!root_.empty()) RemoveTree(root_);
    }
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;

    bool Made() const { return !root_.empty(); }
    // The program folder, with its trailing "/".
    const std::string& Home() const { return home_; }

private:
    std::string root_, home_;
};

}  // namespace kiv
