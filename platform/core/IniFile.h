#pragma once
// Ini files as the Windows profile functions read and write them, so that "kiv.ini" and
// "userset.ini" move both ways between the two systems.
//  - sections and keys keep their file order and compare without regard to case;
//  - a line's first "=" splits key from value; names and values are trimmed; there is no
//    quoting or escaping; a line without "=" is a key with an empty value;
//  - lines starting with ";" are comments; a repeated key answers with its first line;
//  - every change is written through at once (temporary file + rename), or, inside a
//    Batch, all of them by one replace when the batch commits; lines end with CR LF, and
//    every line not changed is written back byte for byte;
//  - the API speaks UTF-8; stored bytes go through LegacyText (Windows-1252 when every
//    character fits, else UTF-8), value by value.
// A missing file reads as empty and is created by the first write. A file that exists but
// cannot be read also reads as empty, and then refuses to be overwritten (EFileError).
// The file is read again whenever it changed on disk, so two objects over one file agree.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// An ini file's integer: decimal, or hexadecimal after "$" or "0x" (after an optional sign)
// over all 32 bits, so "$80000005" is negative and "$FFFFFFFF" is -1; false when it is not a
// number or does not fit. The one reader of the settings', colours' and schemes' numbers.
bool TryIniInteger(std::string_view s, int32_t& v);

class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& FileName() const { return path_; }

    // The value, trimmed; def when the key is missing (an empty value is returned as "").
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // Decimal, or hexadecimal after "$" or "0x" (up to 8 digits, so "$80000005" is negative);
    // def when missing, not a number, or outside 32 bits.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    // An integer other than 0 is true; def when missing or not a number.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Raise EFileError when the file cannot be written. Line breaks inside a value would
    // split it into lines of their own; they are written as blanks.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Keys of a section in file order, each once, as spelt in the file.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // "key=value" per key, in file order.
    std::vector<std::string> ReadSectionValues(std::string_view section) const;
    // Section names in file order, each once.
    std::vector<std::string> ReadSections() const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // Remove the section (every block of that name) with its keys and comments.
    void EraseSection(std::string_view section);
    // Remove the key's first line.
    void DeleteKey(std::string_view section, std::string_view key);

    // Changes made while a batch lives stay in memory (the file is not read again over
    // them) and Commit writes them by one atomic replace, raising EFileError when it cannot.
    // A batch that ends without Commit (an exception) drops them: the file stays as it was.
    // Nested batches count; the outermost one writes.
    class Batch {
    public:
        explicit Batch(IniFile& ini);
        ~Batch();
        void Commit();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        IniFile& ini_;
        bool open_ = true;
    };

    // Removes the temporary files ("<path>.tmp" and digits) that replaces of the file left
    // when they were interrupted. Returns how many went.
    static int RemoveStaleTemporaries(const std::string& path);
    // A value is one line of the file: one with a line break in it cannot be stored as it is.
    static bool FitsOneLine(std::string_view value) {
        return value.find_first_of("\r\n") == std::string_view::npos;
    }

private:
    enum class Kind : uint8_t { Other, Section, Key };
    struct Line {
        std::string text;  // without its line end
        std::string eol;   // "\r\n", "\n", "\r" or "" (last line without one)
        Kind kind = Kind::Other;
        size_t eq = std::string::npos;  // position of the first "=" in a key line
        std::string folded;             // section or key name, decoded and case-folded
    };

    void Refresh() const;
    void Parse(const std::string& bytes) const;
    static void Classify(Line& l);
    // Writes the lines now, or at the batch's commit.
    void Save();
    void WriteOut();
    void EndBatch(bool write);
    // Index of the key's first line, or -1.
    long FindKey(const std::string& foldedSection, const std::string& foldedKey) const;
    std::string KeyName(const Line& l) const;
    template <typename F>
    void ForEachKey(std::string_view section, F&& f) const;
    std::string Value(const Line& l) const;

    std::string path_;
    // Cache of the file's lines and the identity of the version they came from.
    mutable std::vector<Line> lines_;
    mutable std::string bom_;
    mutable bool known_ = false;
    mutable bool exists_ = false;
    mutable int unreadable_ = 0;  // errno of a failed read of an existing file
    mutable int64_t mtimeNs_ = 0, ctimeNs_ = 0;
    mutable uint64_t size_ = 0, ino_ = 0, dev_ = 0;
    int batches_ = 0;
    bool pending_ = false;  // changes a batch holds back
};

}  // namespace kiv
