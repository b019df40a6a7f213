#pragma once
// "Customize Display Schemes": edits a working copy of a colour scheme (EditorScheme), shows
// it on preview rows drawn like outline rows, and saves ("SaveAs..." through
// TfrmSaveScheme), deletes and applies schemes. The window sees the stored schemes and the
// main window only through the hooks below.
//
// An edit disables "- Apply -": applying reads the stored scheme, so an edit is saved first.
#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <string>

#include "components/SortGrid.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/qt/Dialogs.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kiv {

class TfrmSaveScheme;

// The "Font" row's text: as loaded ", Size:" and after the font dialog ",  Size: ".
QString SchemeFontText(const QString& name, int size, bool fromDialog);
// A name the save window accepts: once trimmed, neither empty nor "Default" (any case).
bool SchemeNameAllowed(const QString& name);
// A default row height of the given caption lines at the line pitch.
int SchemeRowHeight(int lines, int lineHeight);
// The "Descriptor border" click: "yes" turns the frame off (border := background),
// anything else turns it on (the default border colour). Returns the new cell text.
QString ToggleDescriptorBorder(const QString& shown, TColorSchemeRec& rec);

// The preview: four rows drawn like outline rows in EditorScheme.
class TSchemePreview : public TStringGrid {
    Q_OBJECT
public:
    explicit TSchemePreview(const TColorSchemeRec& scheme, QWidget* parent = nullptr);
    // Text height of the scheme font: the preview's line pitch.
    int LineHeight() const;
    // Takes the scheme's font and colour: two lines a row at the font's pitch.
    void SchemeChanged();

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    // One column over the whole width.
    void resizeEvent(QResizeEvent* e) override;

private:
    const TColorSchemeRec& scheme_;
};

// The settings grid: the value cells of rows 1 to 5 act over their rightmost 20 pixels
// (the hand pointer shows there); the selection never moves onto them.
class TSchemeSettingsGrid : public TSortGrid {
    Q_OBJECT
public:
    explicit TSchemeSettingsGrid(const TColorSchemeRec& scheme, QWidget* parent = nullptr);
    std::function<void(int row, bool byMouse)> OnAction;
    QPixmap SetGlyph;
    // The hand-pointer zone of a value cell.
    bool InActionZone(int x, int y) const;

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    // The value column takes the width the hidden third column would fill.
    void resizeEvent(QResizeEvent* e) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    const TColorSchemeRec& scheme_;
    // A press or a key acts once; the selection checks a drag or a release makes do not.
    bool byMouse_ = false;
    bool byKey_ = false;
    bool hand_ = false;
};

class TfrmColorScheme : public QDialog {
    Q_OBJECT
public:
    explicit TfrmColorScheme(QWidget* parent = nullptr);
    ~TfrmColorScheme() override;

    // ---- what the window needs ----
    std::function<QStringList()> SchemeNames;                     // the list, in order
    std::function<bool(int n, TColorSchemeRec& rec)> ReadScheme;  // false: defaults given
    // The writes answer false when the file could not be written (they said so already);
    // the window then stays as it was.
    std::function<bool(const QString& name, const TColorSchemeRec& rec)>
        WriteScheme;  // "CS_" + name
    std::function<bool(const QString& name, const TColorSchemeRec& rec)>
        AddScheme;  // a new last line
    std::function<bool(int n)> DeleteScheme;
    std::function<void(int n)> ApplyScheme;  // to the main window
    std::function<int()> CurrentSchemeIndex;
    // Disabled while the save window is shown (with this window).
    QList<QPointer<QWidget>> LockedWhileSaving;

    // Fills the combo from SchemeNames and loads scheme 0; run once the hooks are set.
    void Init();
    void LoadColorScheme(int n);
    void btnSaveAsClick();
    void btnDeleteClick();
    void btnApplyClick();
    // A settings row's action (1 Font .. 5 Descriptor border).
    void SettingsAction(int row, bool byMouse);

    TColorSchemeRec EditorScheme;
    QString EditorSchemeName = QStringLiteral("Default");

    QComboBox* cbxAvSchemes = nullptr;
    QPushButton* btnSaveAs = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnApply = nullptr;
    QPushButton* btnClose = nullptr;
    TSchemePreview* sgdTest = nullptr;
    TSchemeSettingsGrid* sgdSettings = nullptr;
    TFontDialog FontDialog;
    TColorDialog ColorDialog;
    TfrmSaveScheme* frmSaveScheme = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Changed();
    friend class TfrmSaveScheme;
};

class TfrmSaveScheme : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSaveScheme(TfrmColorScheme& editor);
    void OKClick();

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void SetLocked(bool locked);
    TfrmColorScheme& editor_;
};

}  // namespace kiv
