#include "platform/qt/SingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {
const char kEventName[] = "MYPROGRAM_CHECKEXIST";
const char kWindowCaption[] = "KIV is run";
constexpr uint32_t kMaxPathBytes = 1u << 20;  // no path is longer; anything else is not ours
constexpr auto kRetryPause = std::chrono::milliseconds(25);
int g_lockFd = -1;

std::string WithSlash(std::string d) {
    if (d.empty() || d.back() != '/') d += '/';
    return d;
}

std::string WithoutSlash(std::string d) {
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    return d;
}

std::string CacheDir() {
    if (const char* c = std::getenv("XDG_CACHE_HOME"); c && c[0] == '/') return WithSlash(c);
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    return home && *home ? WithSlash(home) + ".cache/" : std::string();
}

QString SocketPath(const std::string& dir) { return QString::fromLocal8Bit(dir + kWindowCaption); }

enum class Lock { Taken, Held, Unavailable };

Lock TakeLock(const std::string& dir) {
    const std::string path = dir + kEventName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        qWarning("kiv: no single-instance lock \"%s\": %s", path.c_str(), std::strerror(errno));
        return Lock::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        g_lockFd = fd;
        return Lock::Taken;
    }
    const int e = errno;
    ::close(fd);
    return e == EWOULDBLOCK ? Lock::Held : Lock::Unavailable;
}
}  // namespace

bool IsPrivateDir(const std::string& dir) {
    const std::string d = WithoutSlash(dir);
    struct stat st {};
    if (d.empty() || ::lstat(d.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700;
}

bool MakePrivateDir(const std::string& dir) {
    const std::string d = WithoutSlash(dir);
    if (d.empty()) return false;
    if (::mkdir(d.c_str(), 0700) == 0) {
        ::chmod(d.c_str(), 0700);  // whatever the umask left
    } else if (errno != EEXIST) {
        return false;
    }
    return IsPrivateDir(d);
}

std::string CommandLinePath(const std::string& arg) {
    const std::string s = Trim(arg);
    if (s.empty()) return {};
    std::string whole = s;
    if (s[0] != '/') {
        char buf[4096];
        if (!::getcwd(buf, sizeof buf)) return s;  // no working folder to go by
        whole = WithSlash(buf) + s;
    }
    std::vector<std::string_view> steps;
    for (size_t i = 0; i < whole.size();) {
        size_t j = whole.find('/', i);
        if (j == std::string::npos) j = whole.size();
        const std::string_view step(whole.data() + i, j - i);
        if (step == "..") {
            if (!steps.empty()) steps.pop_back();
        } else if (!step.empty() && step != ".") {
            steps.push_back(step);
        }
        i = j + 1;
    }
    std::string out;
    for (std::string_view step : steps) out.append("/").append(step);
    return out.empty() ? "/" : out;
}

std::string ChooseRuntimeDir(const char* xdgRuntimeDir, const std::string& shared,
                             const std::string& cache) {
    // The session's folder is the system's to make: it is only checked, never made or mended.
    if (xdgRuntimeDir && *xdgRuntimeDir && IsPrivateDir(xdgRuntimeDir))
        return WithSlash(xdgRuntimeDir);
    if (!shared.empty() && MakePrivateDir(shared)) return WithSlash(shared);
    if (cache.empty()) return {};
    const std::string c = WithoutSlash(cache);
    MakeDirs(c.substr(0, c.rfind('/') + 1));
    return MakePrivateDir(c) ? WithSlash(c) : std::string();
}

std::string RuntimeDir() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string shared = "/tmp/kiv-runtime-" + std::to_string(::getuid());
    const std::string cache = CacheDir();
    const std::string d =
        ChooseRuntimeDir(xdg, shared, cache.empty() ? cache : cache + "kiv-runtime");
    static bool told = false;
    const bool hasXdg = xdg && *xdg;
    const bool expected = d == WithSlash(hasXdg ? std::string(xdg) : shared);
    if (!expected && !std::exchange(told, true))
        qWarning("kiv: \"%s\" is not a folder of this user alone; %s",
                 hasXdg ? xdg : shared.c_str(),
                 d.empty() ? "no single-instance check" : ("using \"" + d + "\"").c_str());
    return d;
}

bool CheckSingleInstance(int argc, char** argv, std::string* notHanded, int patienceMs) {
    if (notHanded) notHanded->clear();
    if (g_lockFd >= 0) return true;  // this process already is the first instance
    const std::string dir = RuntimeDir();
    // Without a lock of our own nobody can be asked; starting is better than doing nothing.
    if (dir.empty() || TakeLock(dir) != Lock::Held) return true;

    const std::string s = argc > 1 ? CommandLinePath(argv[1]) : std::string();
    // A file that is not there is handed over too: the running window says so.
    if (s.empty()) return false;
    // The first instance takes the lock at once but listens only once its application
    // object is made, and a stopped or busy one answers late: while it holds the lock it
    // lives, and it is waited for.
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(std::max(patienceMs, 0));
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left > 0 && SendHandOver(s, int(left)) == HandOverResult::Received) return false;
        // The one holding the lock ended meanwhile: this start is the first now.
        if (TakeLock(dir) == Lock::Taken) return true;
        if (Clock::now() >= until) break;
        std::this_thread::sleep_for(kRetryPause);
    }
    qWarning("kiv: the running instance did not take \"%s\"; it was not opened", s.c_str());
    if (notHanded) *notHanded = s;
    return false;
}

void ReleaseSingleInstance() {
    if (g_lockFd >= 0) {
        ::close(g_lockFd);
        g_lockFd = -1;
    }
}

HandOverServer::HandOverServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    const std::string dir = RuntimeDir();
    if (dir.empty()) return;
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock says we are the only instance, so a socket left by a crash is stale.
    QLocalServer::removeServer(SocketPath(dir));
    if (!server_->listen(SocketPath(dir)))
        qWarning("kiv: no hand-over socket: %s", qPrintable(server_->errorString()));
    connect(server_, &QLocalServer::newConnection, this, &HandOverServer::OnNewConnection);
}

HandOverServer::~HandOverServer() { Close(); }

void HandOverServer::Close() { server_->close(); }

bool HandOverServer::Listening() const { return server_->isListening(); }

void HandOverServer::OnNewConnection() {
    while (QLocalSocket* sock = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(sock, &QLocalSocket::disconnected, sock, &QObject::deleteLater);
        connect(sock, &QLocalSocket::readyRead, sock, [this, sock, buffer] {
            buffer->append(sock->readAll());
            if (buffer->size() < 4) return;
            const uint32_t n = GetU32(buffer->constData());
            if (n > kMaxPathBytes) {
                sock->abort();
                return;
            }
            if (uint32_t(buffer->size()) < 4 + n) return;
            std::string path(buffer->constData() + 4, n);
            buffer->clear();
            // Answered before the path is opened: the open may show a box for as long as the
            // user leaves it, and the sender and its socket may be gone by then. A sender
            // that gave up before the answer has told its user the file was not opened.
            const bool answered = sock->write("\1", 1) == 1 && sock->flush();
            sock->disconnectFromServer();
            if (!answered) return;
            received_.push_back(std::move(path));
            QMetaObject::invokeMethod(this, &HandOverServer::Deliver, Qt::QueuedConnection);
        });
    }
}

void HandOverServer::Deliver() {
    if (delivering_) return;  // the call further out hands it on when its path is done
    delivering_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{delivering_};
    while (!received_.empty()) {
        const std::string path = std::move(received_.front());
        received_.pop_front();
        if (OnCopyData) OnCopyData(path);
    }
}

HandOverResult SendHandOver(const std::string& path, int timeoutMs) {
    const std::string dir = RuntimeDir();
    if (dir.empty()) return HandOverResult::NoListener;
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    QLocalSocket sock;
    sock.connectToServer(SocketPath(dir));
    if (!sock.waitForConnected(std::min(timeoutMs, 1000))) return HandOverResult::NoListener;
    QByteArray msg(4, '\0');
    PutU32(msg.data(), uint32_t(path.size()));
    msg.append(path.data(), qsizetype(path.size()));
    sock.write(msg);
    if (!sock.waitForBytesWritten(int(deadline.remainingTime()))) return HandOverResult::Failed;
    // Like the message it stands for, it returns once the first instance has the path.
    if (!sock.waitForReadyRead(int(deadline.remainingTime()))) return HandOverResult::Failed;
    return sock.read(1) == "\1" ? HandOverResult::Received : HandOverResult::Failed;
}

}  // namespace kiv
