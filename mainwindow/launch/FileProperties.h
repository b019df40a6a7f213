#pragma once
// The properties of a linked file when no file manager shows its own: name, type, size,
// place, dates and permissions, in a small window that closes with Esc.
#include <QDialog>

class QLabel;

namespace kiv {

class TFilePropertiesWindow : public QDialog {
    Q_OBJECT
public:
    TFilePropertiesWindow(const QString& path, QWidget* parent);

    QLabel* lblName = nullptr;
    QLabel* lblType = nullptr;
    QLabel* lblLocation = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* lblModified = nullptr;
    QLabel* lblAccessed = nullptr;
    QLabel* lblPermissions = nullptr;
};

// "rw-r--r-- (644)" for the permission bits of a mode.
QString PermissionsText(unsigned mode);

}  // namespace kiv
