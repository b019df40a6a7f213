#pragma once
// A private folder for a fuzzer's files, made at its first use: "/tmp/kiv-fuzz-<name>-XXXXXX/".
#include <stdlib.h>

#include <string>

namespace kiv::fuzz {

inline std::string MakeFuzzFolder(const std::string& name) {
    std::string tmpl = "/tmp/kiv-fuzz-" + name + "-XXXXXX";
    if (!::mkdtemp(tmpl.data())) __builtin_trap();
    return tmpl + "/";
}

}  // namespace kiv::fuzz
