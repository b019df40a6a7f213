#include "engine/core/FileRegistration.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>

#include "platform/core/BlockFile.h"
#include "platform/core/MiskPro.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace kiv {

namespace {

std::string InFolder(const std::string& folder, const std::string& name) {
    return IncludeTrailingBackslash(folder, '/') + name;
}

TItemArray ItemsOf(const TScannedTopics& topics) {
    TItemArray items;
    items.reserve(topics.size());
    for (const TScannedTopic& t : topics) items.push_back(t.Item);
    return items;
}

// Name order without regard to case; names that differ only in case (two files on Linux)
// keep a fixed order and both stay.
void SortNames(std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& n : names) keyed.emplace_back(UpperCase(n), std::move(n));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& k : keyed) names.push_back(std::move(k.second));
}

// A title goes into a link line: line breaks and the separator would split it.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\t' || c == '\x01') c = ' ';
    return Trim(s);
}

}  // namespace

std::string StoredName(std::string_view fsName) {
    return LegacyText::IsValidUtf8(fsName) ? LegacyText::Encode(fsName) : std::string(fsName);
}

std::vector<std::string> ParseFileTypes(std::string_view text) {
    std::vector<std::string> types;
    const std::string all = Trim(text);
    size_t start = 0;
    while (start <= all.size()) {
        size_t comma = all.find(',', start);
        if (comma == std::string::npos) comma = all.size();
        std::string piece = Trim(UpperCase(std::string_view(all).substr(start, comma - start)));
        if (const size_t dot = piece.find('.'); dot != std::string::npos) piece.erase(0, dot);
        if (piece.empty() || piece[0] != '.') piece = "." + piece;
        if (piece.size() > 1) types.push_back(piece);
        start = comma + 1;
    }
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    return types;
}

bool PassesTypeFilter(const std::vector<std::string>& types, std::string_view fileName) {
    return types.empty() ||
           std::binary_search(types.begin(), types.end(), UpperCase(PathExtension(fileName)));
}

// ---- the disk ----

bool TDiskFolders::List(const std::string& folder, std::vector<TFolderEntry>& entries) {
    entries.clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return false;
    const std::string base = IncludeTrailingBackslash(folder, '/');
    errno = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        bool isFolder = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            isFolder = ::stat((base + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({name, isFolder});
    }
    return errno == 0;
}

bool TDiskFolders::Identify(const std::string& folder, TFolderId& id) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    id = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
    return true;
}

bool TDiskFolders::IsFile(const std::string& path) { return !path.empty() && FileExists(path); }

std::string TDiskFolders::ReadStart(const std::string& path, size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return {};
    std::string text(limit, '\0');
    size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, text.data() + got, limit - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fd);
    text.resize(got);
    return text;
}

// ---- counting ----

TFileRegistrar::TFileRegistrar(TFolderSource& source, TRegistrationOptions options,
                               TRegistrationHooks hooks)
    : source_(source), options_(std::move(options)), hooks_(std::move(hooks)) {}

int TFileRegistrar::CountFiles(const std::string& folder, bool showProgress) {
    if (showProgress) {
        skipped_ = 0;
        stopped_ = false;
        if (hooks_.ShowFound) hooks_.ShowFound(0);
    }
    if (Trim(folder).empty()) return 0;
    return Count(folder, showProgress, !showProgress);
}

int TFileRegistrar::Count(const std::string& folder, bool showProgress, bool anyOnly) {
    std::set<TFolderId> seen;
    TFolderId id;
    if (!source_.Identify(folder, id)) return 0;  // no folder: nothing to count, nothing skipped
    seen.insert(id);
    std::vector<std::string> pending{folder};
    std::vector<TFolderEntry> entries;
    int found = 0, looked = 0;
    while (!pending.empty() && !(showProgress && StopNow())) {
        const std::string dir = std::move(pending.back());
        pending.pop_back();
        if (!source_.List(dir, entries)) {
            if (showProgress) ++skipped_;
            continue;
        }
        for (const TFolderEntry& e : entries) {
            if (showProgress && StopNow()) break;
            ++looked;
            bool counts = false;
            if (!e.Folder) {
                counts = PassesTypeFilter(options_.Types, e.Name);
            } else if (options_.WithSubDirs) {
                std::string sub = InFolder(dir, e.Name);
                TFolderId sid;
                if (source_.Identify(sub, sid) && seen.insert(sid).second) {
                    pending.push_back(std::move(sub));
                    counts = options_.Types.empty();
                } else if (showProgress) {
                    ++skipped_;
                }
            }
            if (counts) {
                ++found;
                if (anyOnly) return found;
            }
            if (showProgress) {
                if ((counts && found % kFoundProgressStep == 0) ||
                    looked % kLookedProgressStep == 0)
                    if (hooks_.ShowFound) hooks_.ShowFound(found);
                Process();
            }
        }
    }
    if (showProgress && hooks_.ShowFound) hooks_.ShowFound(found);
    return found;
}

// ---- building ----

bool TFileRegistrar::StopNow() {
    if (!stopped_ && hooks_.StopRequested && hooks_.StopRequested()) stopped_ = true;
    return stopped_;
}

void TFileRegistrar::AddRegistered(int n) {
    registered_ += n;
    if (registered_ - shownRegistered_ > kRegisteredProgressStep) {
        shownRegistered_ = registered_;
        if (hooks_.ShowRegistered) hooks_.ShowRegistered(registered_);
    }
}

std::string TFileRegistrar::TopicTitle(const std::string& folder, const std::string& name) {
    if (name.empty()) {
        std::string path = folder;
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        const size_t sep = path.rfind('/');
        const std::string last = sep == std::string::npos ? path : path.substr(sep + 1);
        return StoredName(last.empty() ? folder : last);
    }
    const std::string full = InFolder(folder, name);
    if (options_.HtmlTitles && IsURLText(full) && source_.IsFile(full)) {
        const std::string text = source_.ReadStart(full, kTitleReadLimit);
        size_t pos = 0;
        std::string title = OneLine(ExtractBetween(text, pos, "<title>", "</title>"));
        if (!title.empty()) return StoredName(title);
    }
    return StoredName(name);
}

uint32_t TFileRegistrar::MakeFileTopicCard(TCards& cards, const std::string& folder,
                                           const std::string& name) {
    const std::string full = InFolder(folder, name);
    const std::string title = TopicTitle(folder, name);
    uint32_t dir = 0;
    // A fresh directory has room for both cards, so neither store can be refused.
    static_cast<void>(
        cards.WriteCard(kCardLaunch, dir, StoredName(full) + '\x01' + title + "\r\n"));
    static_cast<void>(cards.StoreCard(dir, kCardCaption, title));
    return dir;
}

TScannedTopics TFileRegistrar::ScanFolderTree(TCards& cards, const std::string& folder) {
    TScannedTopics topics;
    TFolderId id;
    if (!source_.Identify(folder, id)) return topics;  // a file's target
    std::vector<TFolderEntry> entries;
    if (!source_.List(folder, entries)) {
        ++skipped_;
        return topics;
    }
    std::vector<std::string> listed, folders, files;
    for (const TFolderEntry& e : entries) {
        if (!e.Folder) {
            if (PassesTypeFilter(options_.Types, e.Name)) files.push_back(e.Name);
        } else if (options_.WithSubDirs) {
            listed.push_back(e.Name);
        }
    }
    // In name order, so that of two ways to one folder the first by name is the one taken.
    SortNames(listed);
    SortNames(files);
    for (const std::string& name : listed) {
        const std::string sub = InFolder(folder, name);
        TFolderId sid;
        if (!source_.Identify(sub, sid)) continue;
        if (taken_.count(sid)) {
            ++skipped_;
            continue;
        }
        if (!options_.Types.empty() && Count(sub, false, true) == 0) continue;
        taken_.insert(sid);
        folders.push_back(name);
    }
    topics.reserve(folders.size() + files.size());
    const bool filtered = !options_.Types.empty();
    for (const std::string& f : folders) {
        if (StopNow()) return topics;
        topics.push_back({{MakeFileTopicCard(cards, folder, f), 0}, InFolder(folder, f)});
        AddRegistered(filtered ? 0 : 1);
        Process();
    }
    for (const std::string& f : files) {
        if (StopNow()) return topics;
        topics.push_back({{MakeFileTopicCard(cards, folder, f), 0}, {}});
        AddRegistered(1);
        Process();
    }
    return topics;
}

int TFileRegistrar::BuildFileTopics(BlockFile* nestFile, TCards& cards, const std::string& folder,
                                    const std::function<TTopicSlot(const TNestItem&)>& insert,
                                    const std::function<void()>& folderTopicLinked) {
    registered_ = shownRegistered_ = skipped_ = 0;
    stopped_ = false;
    taken_.clear();
    TFolderId root;
    if (source_.Identify(folder, root)) taken_.insert(root);

    const TNestItem top{MakeFileTopicCard(cards, folder, {}), 0};
    const TTopicSlot slot = insert(top);
    if (!NestFollowed(slot.Nest) || slot.Index < 0) return 0;

    struct Level {
        uint32_t Nest = 0;
        TScannedTopics Topics;
        std::vector<TScannedTopics> Children;  // scanned when the level is first reached
        size_t Next = 0;
        bool Reached = false;
    };
    std::vector<Level> stack;
    {
        TScannedTopics first = ScanFolderTree(cards, folder);
        if (!first.empty()) {
            const uint32_t nest = AppendNestBlock(nestFile, ItemsOf(first));
            // The folder topic shows its first level at once; every item there has child 0.
            if (SetNestItem(nestFile, slot.Nest, slot.Index, {top.CardDir, nest})) {
                if (folderTopicLinked) folderTopicLinked();
                stack.push_back({nest, std::move(first), {}, 0, false});
            }
        }
    }
    while (!stack.empty() && !stopped_) {
        Level& level = stack.back();
        TScannedTopics& topics = level.Topics;
        if (!level.Reached) {
            level.Reached = true;
            level.Children.resize(topics.size());
            bool changed = false;
            for (size_t i = 0; i < topics.size() && !StopNow(); ++i) {
                if (topics[i].Folder.empty()) continue;
                TScannedTopics kids = ScanFolderTree(cards, topics[i].Folder);
                topics[i].Folder.clear();
                if (!kids.empty()) {
                    // The child's block is whole in the file before anything names it.
                    topics[i].Item.ChildNest = AppendNestBlock(nestFile, ItemsOf(kids));
                    changed = true;
                }
                level.Children[i] = std::move(kids);
                Process();
            }
            if (changed) WriteNestItems(nestFile, level.Nest, ItemsOf(topics));
            if (stopped_) break;
        }
        while (level.Next < topics.size() && !NestFollowed(topics[level.Next].Item.ChildNest))
            ++level.Next;
        if (level.Next == topics.size()) {
            stack.pop_back();
            continue;
        }
        const size_t i = level.Next++;
        Level child{topics[i].Item.ChildNest, std::move(level.Children[i]), {}, 0, false};
        stack.push_back(std::move(child));
        Process();
    }
    if (hooks_.ShowRegistered) hooks_.ShowRegistered(registered_);
    return registered_;
}

}  // namespace kiv
