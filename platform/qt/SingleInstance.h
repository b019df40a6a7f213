#pragma once
// One running instance per user. The first start takes a lock named after the event
// "MYPROGRAM_CHECKEXIST"; a later start hands its file argument to the first through a
// local socket named after the window caption "KIV is run", waits until it was received,
// and ends. Both live in the user's runtime folder.
#include <QObject>
#include <deque>
#include <functional>
#include <string>

class QLocalServer;

namespace kiv {

// The folder holding the lock and the socket, with a trailing "/": $XDG_RUNTIME_DIR when
// it is ours alone; else /tmp/kiv-runtime-<uid> when it is ours alone; else "kiv-runtime/"
// under the user's cache folder ($XDG_CACHE_HOME, ~/.cache). Empty when none of them is.
std::string RuntimeDir();
// The rule behind it: the first candidate that is (or, but for the session's folder, is
// made) a private folder.
std::string ChooseRuntimeDir(const char* xdgRuntimeDir, const std::string& sharedCandidate,
                             const std::string& cacheCandidate);
// A real folder (not a link), owned by this user, with mode 0700.
bool IsPrivateDir(const std::string& dir);
// A folder only this user can reach: made with mode 0700 when missing; then usable only
// when it is private as above.
bool MakePrivateDir(const std::string& dir);

// The path a command-line argument names, as the hand-over sends it and the start opens
// it: trimmed, made absolute against the working folder and cleaned of "." and ".."
// steps, its bytes otherwise as the system gave them (a name need not be UTF-8). Empty
// for an argument that is empty after trimming.
std::string CommandLinePath(const std::string& arg);

// How long a later start waits for a first instance that lives but does not take its file.
constexpr int kHandOverPatienceMs = 60000;

// True for the first instance, which keeps the lock until it ends. False for a later one,
// after it has handed over its trimmed first argument (made absolute, its bytes as given)
// when that names an existing file. A first instance that holds the lock but does not
// listen or answer yet (still starting, stopped, busy) is waited for, up to patienceMs;
// one that ends meanwhile leaves the lock to this start, which then is the first. A file
// that could not be handed over is put in notHanded (the caller tells the user). Without a
// private runtime folder every start is a first one.
bool CheckSingleInstance(int argc, char** argv, std::string* notHanded = nullptr,
                         int patienceMs = kHandOverPatienceMs);

// Releases the lock taken by CheckSingleInstance (tests; the program leaves it to exit).
void ReleaseSingleInstance();

// The receiving side, created with the window that carries the caption "KIV is run".
// A path is answered as soon as it has arrived, and handed to OnCopyData afterwards from
// the event loop, one at a time: a path arriving while OnCopyData runs (a message box of
// the open) waits until it has returned.
class HandOverServer : public QObject {
    Q_OBJECT
public:
    explicit HandOverServer(QObject* parent = nullptr);
    ~HandOverServer() override;
    bool Listening() const;
    // No more hand-overs (the program is closing): a later start finds nobody listening,
    // waits, and takes the lock once this process has ended.
    void Close();

    // Exactly the bytes the sender gave, no terminating zero.
    std::function<void(const std::string& path)> OnCopyData;

private:
    void OnNewConnection();
    void Deliver();
    QLocalServer* server_;
    std::deque<std::string> received_;
    bool delivering_ = false;
};

enum class HandOverResult {
    Received,    // the first instance has the path
    NoListener,  // nobody listens on the socket (yet)
    Failed,      // connected, but no answer within the time-out, or the listener went away
};

// The sending side: hands the bytes to a listening first instance and waits until it has
// received them. A listener that answers only after the time-out drops the path.
HandOverResult SendHandOver(const std::string& path, int timeoutMs = 10000);

}  // namespace kiv
