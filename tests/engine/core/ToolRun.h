#pragma once
// Runs the kivtree tool from the build's program folder and collects what it wrote.
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

namespace kiv::test {

struct ToolRun {
    int status;
    std::string out, err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Standard input comes from the file at inputPath.
inline ToolRun KivtreeFrom(const std::vector<std::string>& args, const std::string& inputPath) {
    const char* bin = std::getenv("KIV_BIN_DIR");
    std::string tool = (bin && *bin ? std::string(bin) + "/" : ExecutableDir()) + "kivtree";
    std::string cmd = Quote(tool);
    for (const auto& a : args) cmd += " " + Quote(a);
    const std::string out = TempDir() + "kivtree.out", err = TempDir() + "kivtree.err";
    cmd += " <" + Quote(inputPath) + " >" + out + " 2>" + err;
    int st = std::system(cmd.c_str());
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, Slurp(out), Slurp(err)};
}

inline std::string InputFile(const std::string& input) {
    const std::string in = TempDir() + "kivtree.in";
    WriteFileAtomic(in, input);
    return in;
}

inline ToolRun Kivtree(const std::vector<std::string>& args, const std::string& input = {}) {
    return KivtreeFrom(args, InputFile(input));
}

}  // namespace kiv::test
