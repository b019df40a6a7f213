#pragma once
// Random-access file handle with checked I/O. The POSIX form holds the open pair of a
// datastructure; the in-memory form serves tests and can be told to fail.
//
// Stores on these files allocate before they overwrite: what a store needs beyond the file's
// end is appended first, and only then are bytes inside the file rewritten, so a full disk
// or a size limit fails before anything stored is touched. AppendRollback takes back what a
// failed store appended.
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

namespace kiv {

class BlockFile {
public:
    virtual ~BlockFile() = default;

    virtual uint64_t Size() const = 0;
    // Reads up to n bytes at off; returns how many arrived (fewer only at the end of file).
    // Raises EFileError on a system failure.
    virtual size_t ReadAt(uint64_t off, void* buf, size_t n) = 0;
    // Writes all n bytes at off, growing the file as needed; a short write raises EFileError.
    virtual void WriteAt(uint64_t off, const void* buf, size_t n) = 0;
    virtual void Truncate(uint64_t size) = 0;
    virtual void Sync() = 0;
    virtual const std::string& Path() const = 0;

    // Conveniences on top of the primitives.
    bool ReadExact(uint64_t off, void* buf, size_t n) { return ReadAt(off, buf, n) == n; }
    uint64_t Append(const void* buf, size_t n);  // returns the offset written at
    std::string ReadAll();
    void WriteAll(const std::string& bytes);  // replaces the whole content

    bool ReadU32(uint64_t off, uint32_t& v);
    void WriteU32(uint64_t off, uint32_t v);
    // How many reads reached the file: what a view of the data cost, whatever the clock says.
    uint64_t ReadCalls() const { return readCalls_; }

protected:
    uint64_t readCalls_ = 0;
};

enum class OpenMode {
    ReadOnly,   // must exist
    ReadWrite,  // must exist
    Create,     // create or open, read/write, keep content
    Truncate,   // create or truncate, read/write
};

class PosixBlockFile : public BlockFile {
public:
    // Raises EFileError when the file cannot be opened, or, with lockWrite, when another
    // process holds the write lock ("deny write to others").
    static std::unique_ptr<PosixBlockFile> Open(const std::string& path, OpenMode mode,
                                                bool lockWrite = false);
    ~PosixBlockFile() override;

    uint64_t Size() const override;
    size_t ReadAt(uint64_t off, void* buf, size_t n) override;
    void WriteAt(uint64_t off, const void* buf, size_t n) override;
    void Truncate(uint64_t size) override;
    void Sync() override;
    const std::string& Path() const override { return path_; }
    int Fd() const { return fd_; }

private:
    PosixBlockFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

class MemoryBlockFile : public BlockFile {
public:
    explicit MemoryBlockFile(std::string bytes = {}, std::string path = "memory")
        : data_(std::move(bytes)), path_(std::move(path)) {}

    uint64_t Size() const override { return data_.size(); }
    size_t ReadAt(uint64_t off, void* buf, size_t n) override;
    void WriteAt(uint64_t off, const void* buf, size_t n) override;
    void Truncate(uint64_t size) override;
    void Sync() override {}
    const std::string& Path() const override { return path_; }

    const std::string& Bytes() const { return data_; }
    std::string& Bytes() { return data_; }
    // After this many more successful writes, every write fails with a short write
    // (only the first half of its bytes land). -1 turns failing off.
    void FailWritesAfter(int writes) { failAfter_ = writes < 0 ? -1 : writes_ + writes; }
    int Writes() const { return writes_; }
    // A full disk: the file cannot grow past this many bytes; a write that would lands what
    // fits and fails with "No space left on device". Writes inside the file still succeed.
    void FailGrowthPast(uint64_t size) { spaceLimit_ = size; }
    void UnlimitedGrowth() { spaceLimit_ = UINT64_MAX; }
    // An I/O error: the n-th write from now (0 the next) fails with error and lands nothing;
    // the writes before and after it go through. -1 turns it off.
    void FailWriteNumber(int n, int error = EIO) {
        failOne_ = n < 0 ? -1 : writes_ + n;
        failOneError_ = error;
    }

private:
    std::string data_;
    std::string path_;
    int failAfter_ = -1;
    int writes_ = 0;
    uint64_t spaceLimit_ = UINT64_MAX;
    int failOne_ = -1;
    int failOneError_ = 0;
};

// Takes back what was appended to the file when the scope is left by an exception, so that a
// store failing half-way leaves the file's length and bytes as they were. Nothing that was
// in the file before is touched; a failure of the truncation itself is ignored (the appended
// bytes are then unreferenced, as any left-behind block).
class AppendRollback {
public:
    explicit AppendRollback(BlockFile* f);
    ~AppendRollback();
    AppendRollback(const AppendRollback&) = delete;
    AppendRollback& operator=(const AppendRollback&) = delete;

private:
    BlockFile* f_;
    uint64_t size_;
    int exceptions_;
};

// A file-size limit (RLIMIT_FSIZE) makes a write fail with "File too large" instead of
// killing the process with SIGXFSZ, so it is reported like any other write error. Called
// once at the start of a program.
void IgnoreFileSizeSignal();

// Whole-file helpers, checked.
std::string ReadWholeFile(const std::string& path);  // raises EFileError
// Replaces the file by temporary file + fsync + rename in the same folder: an interruption
// leaves the old or the new content, never neither. Raises EFileError.
void WriteFileAtomic(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
void RenameFile(const std::string& from, const std::string& to);  // raises EFileError
// Renames only where to does not exist (else EFileError with EEXIST), on any file system; raises
// EFileError.
void RenameNoReplace(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);  // raises EFileError
void SyncDir(const std::string& dir);      // best effort

}  // namespace kiv
