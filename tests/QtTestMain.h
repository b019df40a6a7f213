#pragma once
// The one set-up of every Qt test program: the offscreen platform unless another was
// chosen, a KivApplication (its notify is the last exception guard), a pinned font, and
// the fake dialogs installed so that no test can open a real one.
#include <gtest/gtest.h>

#include <QFont>
#include <memory>

#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"

inline int RunQtTests(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    kiv::KivApplication app(argc, argv);
    kiv::KivApplication::setApplicationName("KIV");
    kiv::KivApplication::setFont(QFont("DejaVu Sans", 9));
    kiv::InstallDialogs(std::make_unique<kiv::FakeDialogs>());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
