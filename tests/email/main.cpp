// The e-mail tests run as every Qt test program does.
#include "tests/QtTestMain.h"

int main(int argc, char** argv) { return RunQtTests(argc, argv); }
