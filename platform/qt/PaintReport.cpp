#include "platform/qt/PaintReport.h"

#include <fcntl.h>
#include <unistd.h>

#include <QObject>
#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace kiv {

namespace {

constexpr int kQuietMs = 300;

class PaintReporter {
public:
    explicit PaintReporter(std::string path) : path_(std::move(path)) {
        quiet_.setSingleShot(true);
        quiet_.setInterval(kQuietMs);
        QObject::connect(&quiet_, &QTimer::timeout, [this] { Settled(); });
    }
    ~PaintReporter() {
        if (fd_ > 2) ::close(fd_);
    }

    void Painted() {
        if (done_) return;
        last_ = MonotonicNanoseconds();
        if (!firstPending_ && !firstSent_) {
            // The rest of this round of painting comes before the queued call: it reports
            // the window as painted once the whole round is done.
            firstPending_ = true;
            QTimer::singleShot(0, [this] {
                firstPending_ = false;
                firstSent_ = true;
                Write("first-paint", last_);
            });
        }
        quiet_.start();
    }

private:
    void Settled() {
        if (!firstSent_) return;  // the first round has not been reported yet
        done_ = true;
        Write("settled", last_);
    }

    void Write(const char* word, int64_t ns) {
        if (fd_ < 0) {
            fd_ = path_ == "-"
                      ? 2
                      : ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
            if (fd_ < 0) {
                done_ = true;  // nowhere to report: stop watching
                return;
            }
        }
        const std::string line = std::string(word) + " " + std::to_string(ns) + "\n";
        // One write of a short line: a reader never sees half of it.
        if (::write(fd_, line.data(), line.size()) != ssize_t(line.size())) done_ = true;
    }

    std::string path_;
    QTimer quiet_;
    int fd_ = -1;
    int64_t last_ = 0;
    bool firstPending_ = false;
    bool firstSent_ = false;
    bool done_ = false;
};

std::unique_ptr<PaintReporter> g_reporter;

}  // namespace

int64_t MonotonicNanoseconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void StartPaintReport() {
    const char* path = std::getenv("KIV_REPORT_PAINT");
    if (path && *path && !g_reporter) StartPaintReport(path);
}

void StartPaintReport(const std::string& path) {
    g_reporter = std::make_unique<PaintReporter>(path);
}

void StopPaintReport() { g_reporter.reset(); }

void PaintHandled() {
    if (g_reporter) g_reporter->Painted();
}

bool ParsePaintReportLine(const std::string& line, std::string& word, int64_t& ns) {
    const size_t sp = line.find(' ');
    if (sp == std::string::npos || sp == 0 || sp + 1 >= line.size()) return false;
    size_t end = line.size();
    if (line.back() == '\n') --end;
    if (end <= sp + 1) return false;
    int64_t v = 0;
    for (size_t i = sp + 1; i < end; ++i) {
        const char c = line[i];
        if (c < '0' || c > '9' || v > (INT64_MAX - 9) / 10) return false;
        v = v * 10 + (c - '0');
    }
    word = line.substr(0, sp);
    ns = v;
    return true;
}

}  // namespace kiv
