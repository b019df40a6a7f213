#include "platform/qt/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <cstdlib>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {
const char kEventName[] = "MYPROGRAM_CHECKEXIST";
const char kWindowCaption[] = "KIV is run";
int g_lockFd = -1;

QString SocketPath() { return QString::fromStdString(RuntimeDir() + kWindowCaption); }

std::string Absolute(const std::string& p) {
    if (!p.empty() && p[0] == '/') return p;
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return p;
    std::string cwd = buf;
    if (cwd.back() != '/') cwd += '/';
    return cwd + p;
}
}  // namespace

std::string RuntimeDir() {
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r) {
        std::string d = r;
        if (d.back() != '/') d += '/';
        if (DirExists(d)) return d;
    }
    std::string d = "/tmp/kiv-runtime-" + std::to_string(::getuid()) + "/";
    ::mkdir(d.c_str(), 0700);
    return d;
}

bool CheckSingleInstance(int argc, char** argv) {
    if (g_lockFd < 0) {
        std::string lockPath = RuntimeDir() + kEventName;
        int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            g_lockFd = fd;
            return true;
        }
        if (fd >= 0) ::close(fd);
    } else {
        return true;  // this process already is the first instance
    }
    std::string s = argc > 1 ? Trim(argv[1]) : std::string();
    if (!s.empty()) {
        s = Absolute(s);
        if (FileExists(s)) SendHandOver(s);
    }
    return false;
}

void ReleaseSingleInstance() {
    if (g_lockFd >= 0) {
        ::close(g_lockFd);
        g_lockFd = -1;
    }
}

HandOverServer::HandOverServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock says we are the only instance, so a socket left by a crash is stale.
    QLocalServer::removeServer(SocketPath());
    server_->listen(SocketPath());
    connect(server_, &QLocalServer::newConnection, this, &HandOverServer::OnNewConnection);
}

HandOverServer::~HandOverServer() {
    server_->close();
}

bool HandOverServer::Listening() const { return server_->isListening(); }

void HandOverServer::OnNewConnection() {
    while (QLocalSocket* sock = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(sock, &QLocalSocket::disconnected, sock, &QObject::deleteLater);
        connect(sock, &QLocalSocket::readyRead, this, [this, sock, buffer] {
            buffer->append(sock->readAll());
            if (buffer->size() < 4) return;
            uint32_t n = GetU32(buffer->constData());
            if (n > (1u << 20)) {  // not ours: no path is that long
                sock->abort();
                return;
            }
            if (uint32_t(buffer->size()) < 4 + n) return;
            std::string path(buffer->constData() + 4, n);
            buffer->clear();
            if (OnCopyData) OnCopyData(path);
            sock->write("\1", 1);
            sock->flush();
            sock->disconnectFromServer();
        });
    }
}

bool SendHandOver(const std::string& path, int timeoutMs) {
    QLocalSocket sock;
    sock.connectToServer(SocketPath());
    if (!sock.waitForConnected(1000)) return false;
    QByteArray msg(4, '\0');
    PutU32(msg.data(), uint32_t(path.size()));
    msg.append(path.data(), qsizetype(path.size()));
    sock.write(msg);
    if (!sock.waitForBytesWritten(timeoutMs)) return false;
    // Synchronous like the message it stands for: wait until the first instance handled it.
    if (!sock.waitForReadyRead(timeoutMs)) return false;
    return sock.read(1) == "\1";
}

}  // namespace kiv
