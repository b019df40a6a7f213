#pragma once
// The application object: Qt's, with the class library's last line of defence. An
// exception that an event handler lets out is caught in notify and shown in an error box
// (ShowException); the event counts as handled. It also puts the key preview filter in
// place and tells it where each key event's delivery begins.
#include <QApplication>

namespace kiv {

class KivApplication : public QApplication {
    Q_OBJECT
public:
    KivApplication(int& argc, char** argv);
    ~KivApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

private:
    const QEvent* keyEvent_ = nullptr;  // the key event being delivered
};

}  // namespace kiv
