#pragma once
// Reading part of a file as a file of its own, and whether a name still names an open file.
#include <cstdint>
#include <string>

#include "platform/core/BlockFile.h"

namespace kiv {

// A read-only window onto bytes [start, start + size) of another file, read as a file of
// its own (one part of a joined datastructure). A write raises EFileError as a write to a
// file opened for reading would: a view never changes the file under it.
class BlockFileView : public BlockFile {
public:
    BlockFileView(BlockFile& file, uint64_t start, uint64_t size, std::string path)
        : file_(file), start_(start), size_(size), path_(std::move(path)) {}

    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t off, void* buf, size_t n) override;
    void WriteAt(uint64_t off, const void* buf, size_t n) override;
    void Truncate(uint64_t size) override;
    void Sync() override {}
    const std::string& Path() const override { return path_; }

private:
    BlockFile& file_;
    uint64_t start_, size_;
    std::string path_;
};

// Whether the path names the open file still (same device and inode): false once the file
// was renamed away or another file was renamed over the name.
bool IsNamedBy(const PosixBlockFile& file, const std::string& path);

}  // namespace kiv
