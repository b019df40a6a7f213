#pragma once
// The floating panels over the window's client area (the launch card, the Clip, Template,
// Resource and Text Bins, the meta-data card): moved by their 18-pixel headers between the
// tool bar and the status bar, closed by their buttons; the commands that show the bins;
// the bin lists' drops, Del keys, double click and the Resource Bin's drawing; and the
// launch card list's keys, mouse and in-place title editing.
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

#include "mainwindow/Published.h"
#include "mainwindow/bins/BinsInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "engine/core/RecycledBin.h"
#include "mainwindow/bins/BinsInterface.h"
#include "platform/qt/KivAction.h"

class QListWidget;
class QTextEdit;
class QMimeData;
class QListWidgetItem;
class QFont;
class QWidget;

namespace kiv {

class IWindowContext;
class TKivStringGrid;

// The area a panel may take, in window coordinates: below the tool bar, above the status
// bar, inside the client width.
struct TPanelArea {
    int ToolsBottom = 0;
    int StatusTop = 0;
    int ClientWidth = 0;
    bool Holds(const QRect& r) const {
        return r.left() >= 0 && r.top() > ToolsBottom && r.right() < ClientWidth &&
               r.bottom() < StatusTop;
    }
};

// One piece of a Resource Bin line as drawn: its text at x, underlined (the title) or red
// (the separator and the target).
struct TBinTextRun {
    QString Text;
    int X = 0;
    bool Underline = false;
    bool Red = false;
};

// A link line: the title after the first character 1 (the whole line without one), then
// " - " and the target before it.
std::vector<TBinTextRun> LaunchBinRuns(const QString& line, const QFont& font, int left);

class TBins : public QObject,
              public ITextBin,
              public IResourceBin,
              public IClipBin,
              public ITemplateBin,
              public IBinsColumn {
    Q_OBJECT
public:
    explicit TBins(IWindowContext& ctx);
    // Headers, close buttons, commands and list handlers on the floating panels.
    void BuildComponents();
    void AdoptFloatingPanel(QWidget* panel, KivAction* showCommand) override;

    // ---- the bins' interfaces ----
    QString TextBinText() const override;
    void SetTextBinText(const QString& text) override;
    void WatchTextBinEditor(QObject* filter) override;
    void TakeBackTextBinEditor(QTextEdit* editor) override;
    void BringTextBinUp() override;
    KivAction& ShowTextBinCommand() override;
    QStringList LaunchBinLines() const override;
    void SetLaunchBinLines(const QStringList& lines) override;
    void AddLaunchBinLines(const QStringList& lines) override;
    QStringList TakeSelectedLaunchBinLines() override;
    QWidget* LaunchBinDropTarget() override;
    void BringLaunchBinUp() override;
    void AddToClipCard(TKivStringGrid* grid) override;
    std::vector<int> SelectedClipLines() const override;
    TRecycledRecord ClipAt(int line) const override;
    void RemoveClipLine(int line) override;
    void ClearTemplates() override;
    void AddTemplate(const TRecycledRecord& record, const QString& caption) override;
    std::vector<int> SelectedTemplateLines() const override;
    TRecycledRecord TemplateAt(int line) const override;
    void DeselectTemplates() override;
    void SetTemplateOpen(bool isTemplate) override;
    TBinList BinListOf(const QObject* source) const override;
    void ShowBinsEmpty() override;
    void ShowRecycledBinFull() override;
    KivAction& ShowRecycledBinCommand() override;
    void HideBinPanels() override;
    void SetPasswordLocked(bool locked) override;

    // The bins' panels, lists and commands. Made when first asked for: rooms built before
    // this one watch and fill them.
    QWidget* pnlTextBin = nullptr;
    QTextEdit* txtTextBin = nullptr;
    QWidget* pnlClipBin = nullptr;
    QListWidget* lbxClipCard = nullptr;
    QWidget* pnlLaunchBin = nullptr;
    QListWidget* lbxLaunchBin = nullptr;
    QWidget* pnlTemplateBin = nullptr;
    QListWidget* lbxTemplate = nullptr;
    KivAction* acShowTemplate = nullptr;
    KivAction* acShowLaunchBin = nullptr;
    KivAction* acShowTextBin = nullptr;
    KivAction* acShowRecycledBin = nullptr;
    KivAction* acShowClipBin = nullptr;
    // The topics set aside in the Clip Bin and the templates, one entry a line.
    TRecycledBin ClipCardBin;
    TRecycledBin TemplateBin;

    // ---- header drag (global mouse positions) ----
    void pnlHelpHeaderMouseDown(QWidget* header, const QPoint& pos);
    void pnlHelpHeaderMouseMove(QWidget* header, const QPoint& pos);
    void pnlHelpHeaderMouseUp();
    TPanelArea PanelArea() const;
    // The panel's bounds for a drag that started at start (its bounds then startBounds)
    // and is now at pos; false when they would leave the area.
    static bool DragBounds(const QRect& startBounds, const QPoint& start, const QPoint& pos,
                           const TPanelArea& area, QRect& bounds);

    // ---- closing and showing ----
    void btnCloseLaunchCardClick(QWidget* panel);
    // The action that follows a panel's visibility (null for none).
    KivAction* PanelAction(QWidget* panel) const;
    void acShowClipBinExecute();
    void acShowLaunchBinExecute();
    void acShowTemplateExecute();

    // ---- the bin lists ----
    // Only the outline panels' topic drag lands in the Clip and Template Bins.
    static bool AcceptsTopicDrag(QObject* source);
    void lbxClipCardDragDrop(QObject* source);
    void lbxTemplateDragDrop(QObject* source);
    void DeleteClipBinLines();
    void DeleteLaunchBinLines();
    void DeleteTemplateLines();
    void lbxLaunchBinDblClick(QListWidgetItem* item);
    // The selected entries of a bin list start the program's own drag (onto the outline
    // panels); the starter returns when the drag has ended. Tests put one that records.
    void StartListDrag(QListWidget* list);
    std::function<void(QListWidget* source, QMimeData* data)> ListDragStarter;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes the panels, lists and commands once.
    void BuildPanes();
    void UpdateTextBinIcon();
    // A shown panel is hidden; a hidden one is shown in front. The action's check follows.
    static void ShowBinPanel(QWidget* panel, KivAction* action);
    void WireHeader(QWidget* panel);
    void WireLists();
    // Removes the selected lines from the highest down, each with its entry; returns the
    // first removed index (-1 none).
    int DeleteSelectedLines(QListWidget* list, const std::function<void(int)>& removeEntry);
    QWidget* PanelOf(QObject* o) const;
    QListWidget* ListOfViewport(QObject* o) const;

    IWindowContext& ctx_;
    TNeed<ILaunchCard> launch_;
    bool panesBuilt_ = false;
    bool locked_ = false;
    std::vector<QWidget*> panels_;
    std::vector<std::pair<QWidget*, KivAction*>> adopted_;
    // A press on a bin list's entry, which may become a drag.
    QListWidget* pressList_ = nullptr;
    QPoint pressAt_;
    // Header drag state.
    bool dragging_ = false;
    QWidget* dragPanel_ = nullptr;
    QPoint dragStart_;
    QPoint dragLast_;
    QRect dragBounds_;
};

}  // namespace kiv
