#pragma once
// Where the program's widgets are on the screen, for a test that drives the real program
// from outside (xdotool on an X server): when KIV_REPORT_GEOMETRY names a file, each time
// drawing has been quiet for 300 ms the file is replaced by one line per shown widget that
// has a name,
//   <objectName> <x> <y> <width> <height>
// in screen pixels, and for a grid one more line per row in view,
//   <objectName>/row<N> <x> <y> <width> <height>
// so a click lands on the widget wherever the layout or the window manager put it.
// Without the variable nothing is watched.
#include <string>

namespace kiv {

// Reads the variable once (the application object's constructor calls it).
void StartGeometryReport();
// Reports to the file at path (tests); a running report is replaced.
void StartGeometryReport(const std::string& path);
// Ends the watch (the application object's destructor calls it).
void StopGeometryReport();
// After a widget's paint event was handled (the application's notify calls it).
void GeometryPaintHandled();

}  // namespace kiv
