#pragma once
// One running instance per user. The first start takes a lock named after the event
// "MYPROGRAM_CHECKEXIST"; a later start hands its file argument to the first through a
// local socket named after the window caption "KIV is run", waits until it was handled,
// and ends. Both live in the user's runtime folder.
#include <QObject>
#include <functional>
#include <string>

class QLocalServer;

namespace kiv {

// The folder holding the lock and the socket: $XDG_RUNTIME_DIR, else a private
// folder /tmp/kiv-runtime-<uid> (mode 0700).
std::string RuntimeDir();

// True for the first instance, which keeps the lock until it ends. False for a later one,
// after it has handed over its trimmed first argument (made absolute) when that names an
// existing file and a first instance listens.
bool CheckSingleInstance(int argc, char** argv);

// Releases the lock taken by CheckSingleInstance (tests; the program leaves it to exit).
void ReleaseSingleInstance();

// The receiving side, created with the window that carries the caption "KIV is run".
class HandOverServer : public QObject {
    Q_OBJECT
public:
    explicit HandOverServer(QObject* parent = nullptr);
    ~HandOverServer() override;
    bool Listening() const;

    // Exactly the bytes the sender gave, no terminating zero.
    std::function<void(const std::string& path)> OnCopyData;

private:
    void OnNewConnection();
    QLocalServer* server_;
};

// The sending side: hands the bytes to a listening first instance and waits until it has
// handled them. False when no instance listens.
bool SendHandOver(const std::string& path, int timeoutMs = 10000);

}  // namespace kiv
