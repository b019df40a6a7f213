#pragma once
// What the other rooms ask of the datastructure's life cycle.
#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QAction;

namespace kiv {

// A datastructure's password as stored: at most 15 bytes (Windows-1252).
constexpr size_t kMaxPasswordBytes = 15;

class KivAction;
class TNavigator;
class TSaveDialog;

class IDatastructure {
public:
    virtual ~IDatastructure() = default;

    // Opens path as the datastructure; one that is not there is reported, not made.
    virtual void OpenDatastructureFile(const std::string& path) = 0;
    // The n-th of the recent files.
    virtual void OpenLastDatastructure(int n) = 0;
    virtual void CloseDatastructure() = 0;
    // From the question before a close until the next datastructure stands.
    virtual bool Switching() const = 0;

    // The current topic is stored (failures quiet from here on); when a card cannot be
    // stored the user is asked, with anyway as the question; false keeps the datastructure.
    virtual bool StoreCurrentTopicOrAsk(const QString& anyway) = 0;
    virtual void SetQuietStoreFailures(bool on) = 0;
    // The datastructure-level cards (bins, text bin, marks), as closing writes them.
    virtual void WriteDatastructureCards() = 0;
    // A name for a new datastructure from the dialog; empty when cancelled or refused.
    virtual std::string ChooseNewDatastructure(TSaveDialog& dialog) = 0;
    // "template.kiv" in the program folder, however the path spells it.
    virtual bool IsTemplatePath(const std::string& path) const = 0;
    // What of the open datastructure's own cards could not be read ("what: why"), told once.
    virtual void TellUnreadCards(const std::string& unread) = 0;

    // The active panel's current topic appended to the current trail.
    virtual void AddCurrentTopicToMarks() = 0;
    // The marks' part: how a topic joins a trail; handed over by the marks as they subscribe.
    virtual void SetTopicToMarks(std::function<void(TNavigator& trail)> add) = 0;

    // Items of the File menu put before the recent files, as a group of their own.
    virtual void AddFileItemsBeforeRecent(const std::vector<QAction*>& items) = 0;
    // Save Datastructure As... and the Template item, which a password lock holds disabled.
    virtual KivAction& SaveAsCommand() = 0;
    virtual QAction* TemplateItem() = 0;
    // The Datastructures Auto Backup switch, as the settings keep it.
    virtual bool AutoBackup() const = 0;
    virtual void SetAutoBackup(bool on) = 0;
};

}  // namespace kiv
