// The Qt tests run under the offscreen platform with a pinned font, in a KivApplication
// (its notify is the last exception guard), with the fake dialogs installed so that no
// test can open a real one.
#include <gtest/gtest.h>

#include <QFont>
#include <memory>

#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    kiv::KivApplication app(argc, argv);
    kiv::KivApplication::setApplicationName("KIV");
    kiv::KivApplication::setFont(QFont("DejaVu Sans", 9));
    kiv::InstallDialogs(std::make_unique<kiv::FakeDialogs>());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
