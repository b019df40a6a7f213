#pragma once
// The program's entry sequence: one instance per user (a later start hands its file to the
// running one and ends), the application object, the windows in their order, the event
// loop, and the shut-down that saves the settings and joins the datastructure.
#include <QObject>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace kiv {

class HandOverServer;
class TForm1;

// The receiving side of the hand-over, made before the main window: paths that arrive
// while the window is still being created wait until it is ready.
class HandOverReceiver : public QObject {
    Q_OBJECT
public:
    explicit HandOverReceiver(QObject* parent = nullptr);
    ~HandOverReceiver() override;
    bool Listening() const;
    // From now on paths go to the window; those that waited go first.
    void SetWindow(TForm1* window);

private:
    void Received(const std::string& path);
    HandOverServer* server_;
    TForm1* window_ = nullptr;
    std::vector<std::string> pending_;
};

// The whole program: returns the exit status.
int RunKiv(int argc, char** argv);

}  // namespace kiv
