#pragma once
// What the other rooms ask of the bins, one interface a bin: the Text Bin, the Resource
// (launch) Bin, the Clip Bin, the Template Bin, and the column that holds them with the
// Recycled Bin's command. The bins keep their lists and panels; a user needs only the bins
// it fills or reads.
#include <QString>
#include <QStringList>
#include <vector>

#include "engine/core/RecycledBin.h"

class QObject;
class QTextEdit;
class QWidget;

namespace kiv {

class KivAction;
class TKivStringGrid;

class ITextBin {
public:
    virtual ~ITextBin() = default;
    // The text as shown; setting it counts as unmodified and updates the command's picture.
    virtual QString TextBinText() const = 0;
    virtual void SetTextBinText(const QString& text) = 0;
    // The filter sees the Text Bin editor's events, as it sees the text card's editors'.
    virtual void WatchTextBinEditor(QObject* filter) = 0;
    // The editor comes home from the window that held it and the Text Bin shows.
    virtual void TakeBackTextBinEditor(QTextEdit* editor) = 0;
    // Raised when shown, else shown by its command.
    virtual void BringTextBinUp() = 0;
    // The command that shows and hides it, for the menu that lists it while the window is
    // being built (later it is found by name, "acShowTextBin").
    virtual KivAction& ShowTextBinCommand() = 0;
};

// The Resource Bin: one line a link, as shown.
class IResourceBin {
public:
    virtual ~IResourceBin() = default;
    virtual QStringList LaunchBinLines() const = 0;
    virtual void SetLaunchBinLines(const QStringList& lines) = 0;
    virtual void AddLaunchBinLines(const QStringList& lines) = 0;
    // The selected lines leave the bin; answers them.
    virtual QStringList TakeSelectedLaunchBinLines() = 0;
    // The panel files and links are dropped onto.
    virtual QWidget* LaunchBinDropTarget() = 0;
    virtual void BringLaunchBinUp() = 0;
};

class IClipBin {
public:
    virtual ~IClipBin() = default;
    // The marked and current topics of the panel, each once; none while locked.
    virtual void AddToClipCard(TKivStringGrid* grid) = 0;
    virtual std::vector<int> SelectedClipLines() const = 0;
    virtual TRecycledRecord ClipAt(int line) const = 0;
    virtual void RemoveClipLine(int line) = 0;
};

class ITemplateBin {
public:
    virtual ~ITemplateBin() = default;
    virtual void ClearTemplates() = 0;
    virtual void AddTemplate(const TRecycledRecord& record, const QString& caption) = 0;
    virtual std::vector<int> SelectedTemplateLines() const = 0;
    virtual TRecycledRecord TemplateAt(int line) const = 0;
    virtual void DeselectTemplates() = 0;
    // The template datastructure itself is open: its own bin is no use.
    virtual void SetTemplateOpen(bool isTemplate) = 0;
};

// The column of bins as a whole, and the Recycled Bin's command.
class IBinsColumn {
public:
    virtual ~IBinsColumn() = default;
    // Which bin list a drag comes from.
    enum class TBinList { None, Clip, Template, Launch };
    virtual TBinList BinListOf(const QObject* source) const = 0;
    // The pictures of empty bins (Resource, Text, Recycled), as after a close.
    virtual void ShowBinsEmpty() = 0;
    virtual void ShowRecycledBinFull() = 0;
    // Recycled Bin: the topics run it and show whether it holds anything.
    virtual KivAction& ShowRecycledBinCommand() = 0;
    virtual void HideBinPanels() = 0;
    // A floating panel of another feature joins the bins': its header moves it, its close
    // button hides it and unchecks the command that shows it.
    virtual void AdoptFloatingPanel(QWidget* panel, KivAction* showCommand) = 0;
    // The password lock: the panels take no input and the Clip Bin takes no topics.
    virtual void SetPasswordLocked(bool locked) = 0;
};

}  // namespace kiv
