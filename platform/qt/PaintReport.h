#pragma once
// What a start-up measurement watches: when KIV_REPORT_PAINT names a file (a FIFO serves;
// "-" is standard error), the program writes two lines to it,
//   first-paint <ns>   when its first window has been painted,
//   settled <ns>       at the last paint before drawing stayed quiet for 300 ms,
// <ns> being the CLOCK_MONOTONIC time in nanoseconds, so another process can set it
// against the moment it started the program. Without the variable nothing is watched.
#include <cstdint>
#include <string>

namespace kiv {

// Reads the variable once (the application object's constructor calls it).
void StartPaintReport();
// Watches and reports to the file at path (tests); a running report is replaced.
void StartPaintReport(const std::string& path);
// Ends the watch (the application object's destructor calls it).
void StopPaintReport();
// After a widget's paint event was handled (the application's notify calls it).
void PaintHandled();

// The clock of the reports.
int64_t MonotonicNanoseconds();
// One report line parsed: its word and time; false for anything else.
bool ParsePaintReportLine(const std::string& line, std::string& word, int64_t& ns);

}  // namespace kiv
