// A drag from another program onto a widget of ours, on a real X server: kivclip's "offer"
// window drags a file and a text with plain Qt, xdotool moves the pointer, and kivclip's
// "target" window, registered with our combo target, reports what the drop brought.
#include "tests/dragdrop/X11Fixture.h"

namespace {

class X11Drag : public kiv::test::X11Fixture {
protected:
    // Drags from the source window (kivclip's offer or link) onto the target's, wherever
    // they are.
    void DragAcross() {
        const QString target = WindowId("kivclip (plain )?target");
        const QString source = WindowId("kivclip (offer|link)");
        ASSERT_FALSE(target.isEmpty());
        ASSERT_FALSE(source.isEmpty());
        DragBetween(Geometry(source), Geometry(target));
    }
    // kivclip's target in the mode given, the source kivclip with its arguments, a drag from
    // one to the other: what the drop brought, and what the source printed.
    QByteArray DropReport(const QString& targetMode, const QStringList& source,
                          QString* sourceSaw = nullptr) {
        QProcess& target = Start(kivclip_, {targetMode});
        QProcess& from = Start(kivclip_, source);
        WaitForReady(target);
        WaitForReady(from);
        DragAcross();
        EXPECT_TRUE(target.waitForFinished(10000)) << "no drop arrived";
        EXPECT_TRUE(from.waitForFinished(10000)) << "the drag did not end";
        if (sourceSaw) *sourceSaw = QString::fromUtf8(from.readAllStandardOutput());
        return target.readAllStandardOutput();
    }
    void SetUp() override {
        X11Fixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_FALSE(QStandardPaths::findExecutable("xdotool").isEmpty())
            << "xdotool is missing; run scripts/install-deps";
    }
};

}  // namespace

TEST_F(X11Drag, FilesAndTextFromAnotherProgram) {
    const QString text = QString::fromUtf8("h\xC3\xA9llo w\xC3\xB6rld");
    QProcess& target = Start(kivclip_, {"target"});
    QProcess& offer = Start(kivclip_, {"offer", "/tmp/a b.txt", text});
    WaitForReady(target);
    WaitForReady(offer);
    DragAcross();
    ASSERT_TRUE(target.waitForFinished(10000)) << "no drop arrived";
    const QString report = QString::fromUtf8(target.readAllStandardOutput());
    EXPECT_TRUE(report.contains("files=/tmp/a b.txt\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("text=" + text + "\n")) << report.toStdString();
    EXPECT_TRUE(offer.waitForFinished(10000));
    EXPECT_TRUE(QString::fromUtf8(offer.readAllStandardOutput()).contains("dropped 1"))
        << "the other program saw a copy";
}

TEST_F(X11Drag, OurLinkWithItsTitleReachesAnotherProcess) {
    const QString title = QString::fromUtf8("K\xC3\xB6ln: Dom");
    QProcess& target = Start(kivclip_, {"target"});
    QProcess& link = Start(kivclip_, {"link", "http://kiv.example/dom", title});
    WaitForReady(target);
    WaitForReady(link);
    DragAcross();
    ASSERT_TRUE(target.waitForFinished(10000)) << "no drop arrived";
    const QString report = QString::fromUtf8(target.readAllStandardOutput());
    EXPECT_TRUE(report.contains("url=http://kiv.example/dom\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("title=" + title + "\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("text=http://kiv.example/dom\n")) << report.toStdString();
    ASSERT_TRUE(link.waitForFinished(10000));
    // A copy (the target takes copy and link, and copy comes first without keys).
    EXPECT_TRUE(QString::fromUtf8(link.readAllStandardOutput()).contains("result=0"))
        << "the source saw a copy";
}

TEST_F(X11Drag, OurLinkGivesAPlainQtTargetItsAddress) {
    // A file manager or a Qt program reads urls(), from text/uri-list.
    const QByteArray report =
        DropReport("plain-target", {"link", "http://kiv.example/dom?a=1", "Dom"});
    EXPECT_TRUE(report.contains("urls=http://kiv.example/dom?a=1\n")) << report.toStdString();
}

TEST_F(X11Drag, OurLinkStaysReadableUntilATargetReadingAtTheDropHasIt) {
    // This target asks for the data only after the drop, when our drag loop has returned.
    const QString report =
        QString::fromUtf8(DropReport("target-late", {"link", "http://kiv.example/late", "Late"}));
    EXPECT_TRUE(report.contains("url=http://kiv.example/late\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("title=Late\n")) << report.toStdString();
}

TEST_F(X11Drag, AMoveProposedAsFileManagersDoIsTakenAsACopy) {
    QString done;
    EXPECT_TRUE(DropReport("target", {"offer-move", "/tmp/kept.txt", "/tmp/kept.txt"}, &done)
                    .contains("files=/tmp/kept.txt\n"));
    EXPECT_TRUE(done.contains("dropped 1")) << "a copy, never a move (2): " << done.toStdString();
}

TEST_F(X11Drag, AFileNameThatIsNoUtf8KeepsItsBytes) {
    const QByteArray report =
        DropReport("target", {"offer", "file:///tmp/caf%E9%20au%20lait.txt", "text"});
    EXPECT_TRUE(report.contains("files=/tmp/caf\xE9 au lait.txt\n")) << report.toStdString();
}

TEST_F(X11Drag, ANoteThatMentionsAnAddressIsTextNotALink) {
    const QString note =
        QStringLiteral("Notes from the meeting\nsee https://kiv.example/minutes\nsecond point");
    const QString report = QString::fromUtf8(DropReport("target", {"offer", note}));
    EXPECT_TRUE(report.contains("url=\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("text=" + note + "\n")) << report.toStdString();
}
