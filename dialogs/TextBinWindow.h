#pragma once
// The text bin window ("KIV Text Bin"): a small sizeable tool window with a status bar that
// holds the main window's text bin editor while the main window is hidden. The editor
// itself belongs to the main window; hiding this window hands it back through OnHide.
#include <QWidget>
#include <functional>

class QStatusBar;
class QTextEdit;
class QVBoxLayout;

namespace kiv {

class TfrmTextBin : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTextBin(QWidget* parent = nullptr);
    ~TfrmTextBin() override;

    // The editor's parent becomes this window; it fills the space above the status bar.
    void HostEditor(QTextEdit* editor);
    // The editor this window holds, or null.
    QTextEdit* Editor() const;

    // After the window was hidden, with the editor it held (null when none).
    std::function<void(TfrmTextBin* Sender, QTextEdit* editor)> OnHide;

    QStatusBar* StatusBar1 = nullptr;

protected:
    void hideEvent(QHideEvent* e) override;
    // The editor is drawn again at every size: its wrapped lines follow the new width.
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QVBoxLayout* layout_ = nullptr;
};

// The one text bin window (null before it exists and after it is gone).
extern TfrmTextBin* frmTextBin;

}  // namespace kiv
