#pragma once
// The program's entry sequence: one instance per user (a later start hands its file to the
// running one and ends), the application object, the windows in their order, the event
// loop, and the shut-down that saves the settings and joins the datastructure.
namespace kiv {

// The whole program: returns the exit status.
int RunKiv(int argc, char** argv);

}  // namespace kiv
