#pragma once
// A private program folder for one test: KIV_HOME points at a fresh folder under TempDir()
// while the object lives.
#include <cstdlib>
#include <string>

#include "platform/core/AppPaths.h"

namespace kiv::test {

class TempHome {
public:
    TempHome() {
        static int n = 0;
        dir_ = TempDir() + "home" + std::to_string(++n) + "/";
        MakeDirs(dir_);
        setenv("KIV_HOME", dir_.c_str(), 1);
        ResetAppPaths();
    }
    ~TempHome() {
        unsetenv("KIV_HOME");
        ResetAppPaths();
        RemoveTree(dir_);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

}  // namespace kiv::test
