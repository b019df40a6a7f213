// KIV: the desktop information organiser.
#include "mainwindow/RunKiv.h"

int main(int argc, char** argv) { return kiv::RunKiv(argc, argv); }
