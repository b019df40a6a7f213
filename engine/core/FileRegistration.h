#pragma once
// Files autoregistration without a GUI: counting what a folder holds, and building one topic
// per file and sub-folder under a topic for the folder, written straight into the open pair.
//
// Every nest is readable at every moment of a build: a level's block is written with child
// nest 0 for every item, and an item gets its child nest only after that child's block is in
// the file. Which folders still want their children built is known in memory only, so a
// stopped (or failed) build leaves folder topics without children, never a mark that a
// reader would follow.
//
// Folders are listed through TFolderSource (the disk, or a fake in tests). Symbolic links to
// folders are followed, but a folder is entered once per walk: a link back into the tree (a
// loop) or a second way to a folder already taken is skipped and counted, as is a folder that
// cannot be read.
#include <compare>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "platform/core/BlockFile.h"

namespace kiv {

// More entries than this cannot be registered; more than kAskAboveEntries need a yes.
constexpr int kMaxRegisteredEntries = 50000;
constexpr int kAskAboveEntries = 2000;
// Progress: the found count every 100 found or 1000 looked at; the registered count after
// it grew by more than 100.
constexpr int kFoundProgressStep = 100;
constexpr int kLookedProgressStep = 1000;
constexpr int kRegisteredProgressStep = 100;
// A web page is read this far for its title.
constexpr size_t kTitleReadLimit = 256 * 1024;

// The type list of "Selected types": the text split at ",", each piece trimmed and
// upper-cased, cut before its first "." and given one in front; pieces of one character are
// dropped. Sorted, without duplicates.
std::vector<std::string> ParseFileTypes(std::string_view text);
// A file passes when the list is empty or holds its upper-cased extension.
bool PassesTypeFilter(const std::vector<std::string>& types, std::string_view fileName);

struct TFolderEntry {
    std::string Name;  // as the file system gives it
    bool Folder = false;
    bool operator==(const TFolderEntry&) const = default;
};

// A folder on disk: device and inode.
struct TFolderId {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    auto operator<=>(const TFolderId&) const = default;
};

class TFolderSource {
public:
    virtual ~TFolderSource() = default;
    // The entries of the folder but "." and "..", in the file system's order; a link counts
    // as what it points at. False when the folder cannot be read.
    virtual bool List(const std::string& folder, std::vector<TFolderEntry>& entries) = 0;
    // False when the path is not an existing folder.
    virtual bool Identify(const std::string& folder, TFolderId& id) = 0;
    virtual bool IsFile(const std::string& path) = 0;
    // At most limit bytes from the start of the file; "" when it cannot be read.
    virtual std::string ReadStart(const std::string& path, size_t limit) = 0;
};

// The disk through POSIX calls; no path length limit.
class TDiskFolders : public TFolderSource {
public:
    bool List(const std::string& folder, std::vector<TFolderEntry>& entries) override;
    bool Identify(const std::string& folder, TFolderId& id) override;
    bool IsFile(const std::string& path) override;
    std::string ReadStart(const std::string& path, size_t limit) override;
};

struct TRegistrationOptions {
    bool WithSubDirs = true;
    bool HtmlTitles = false;
    std::vector<std::string> Types;  // ParseFileTypes; empty for all types
};

// What the window shows and lets run while the work goes on; each may be unset.
struct TRegistrationHooks {
    std::function<void()> ProcessMessages;  // after every entry and every build step
    std::function<void(int found)> ShowFound;
    std::function<void(int registered)> ShowRegistered;
    std::function<bool()> StopRequested;  // asked before every build step
};

// One topic of a level being built: its item and, for a folder whose children are still
// to be built, the folder's path.
struct TScannedTopic {
    TNestItem Item;
    std::string Folder;  // "" for files and for folders already built
};
using TScannedTopics = std::vector<TScannedTopic>;

// Where the folder topic went: its parent nest and its index there.
struct TTopicSlot {
    uint32_t Nest = 0;
    int Index = -1;
};

class TFileRegistrar {
public:
    TFileRegistrar(TFolderSource& source, TRegistrationOptions options,
                   TRegistrationHooks hooks = {});

    // The entries that would be registered under folder (the folder itself not counted).
    // Depth first over an explicit stack, the last sub-folder listed first. With progress the
    // found count is shown as it grows and at the end; without, the count stops at the first
    // entry that counts. An empty (trimmed) folder gives 0. A count with progress can be
    // stopped (a walk of a whole file system takes long); Stopped() says so.
    int CountFiles(const std::string& folder, bool showProgress);

    // Makes the folder topic (MakeFileTopicCard with no name), hands its item to insert
    // (which puts it into the outline and says where it went), and builds the tree below it
    // level by level, depth first, until done or stopped. Returns the topics registered.
    int BuildFileTopics(BlockFile* nestFile, TCards& cards, const std::string& folder,
                        const std::function<TTopicSlot(const TNestItem&)>& insert,
                        const std::function<void()>& folderTopicLinked = {});

    // The topics of one folder, folders first, then files, each in name order without regard
    // to case; their cards are written on the way. Empty when the path is no folder (a file's
    // target), cannot be read or was entered before.
    TScannedTopics ScanFolderTree(TCards& cards, const std::string& folder);

    // A new card directory holding the launch card (one link line: full path, 0x01, title)
    // and the caption card (the title); returns its address. No name: the topic of the folder
    // itself, whose link ends with "/" and whose title is the folder's last component.
    uint32_t MakeFileTopicCard(TCards& cards, const std::string& folder, const std::string& name);
    // The title MakeFileTopicCard gives, in stored form.
    std::string TopicTitle(const std::string& folder, const std::string& name);

    int Registered() const { return registered_; }
    // Folders that could not be read, and links back to folders already taken.
    int Skipped() const { return skipped_; }
    bool Stopped() const { return stopped_; }

private:
    int Count(const std::string& folder, bool showProgress, bool anyOnly);
    bool StopNow();
    void Process() {
        if (hooks_.ProcessMessages) hooks_.ProcessMessages();
    }
    void AddRegistered(int n);

    TFolderSource& source_;
    TRegistrationOptions options_;
    TRegistrationHooks hooks_;
    std::set<TFolderId> taken_;  // folders entered by the build
    int registered_ = 0;
    int shownRegistered_ = 0;
    int skipped_ = 0;
    bool stopped_ = false;
};

// The link text of a file-system path or name: UTF-8 names go through the codec, anything
// else is kept as it is.
std::string StoredName(std::string_view fsName);

}  // namespace kiv
