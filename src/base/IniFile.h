#pragma once
// The program's own INI reader and writer for mr420.ini.
//
// File syntax, as read:
//  - lines end in LF; one CR right before the LF (or at the very end of the
//    file) is taken as part of the line end, so CR LF and LF files both read;
//    nothing else is trimmed;
//  - a line of at least two characters whose first is '[' and last is ']'
//    opens a section named by what lies between;
//  - any other line is an entry: key before the first '=', value after it; a
//    line without '=' is a key with an empty value;
//  - entries before the first header form the unnamed section "", which is
//    written back without a header.
// Any byte content is accepted (NUL bytes, binary junk, long lines, no final
// line end); a malformed line simply becomes an entry.
//
// Writing puts CR LF after every line and saves atomically: a temporary file in
// the same directory is written, flushed to disk and renamed over the old one.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mr420 {

class IniFile {
public:
    IniFile() = default;
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;
    ~IniFile();  // closes, which saves when needed

    // Reads `path`. With `createIfMissing` an absent file is created empty.
    // Returns false when the file cannot be read or created (or is not a
    // regular file); the store then stays empty but usable, and close() still
    // tries to save whatever was set. Opening while open closes first.
    // `backup` makes each save first copy the old file to "<path>.<n>" with
    // the lowest unused n from 1.
    bool open(const std::string& path, bool saveWhenClosed, bool createIfMissing, bool caseBlind,
              bool backup = false);
    bool isOpen() const { return opened_; }
    const std::string& path() const { return path_; }

    // Value of the last entry `key` in the first section `section`, with
    // everything from its last ';' on removed. `def` (unchanged) when missing.
    std::string getString(const std::string& section, const std::string& key, const std::string& def) const;
    // Text-to-number reads in the manner of atol/atoi: leading white space,
    // optional sign, decimal digits; anything else ends the number, and text
    // that does not start with a number reads as 0. Out of range values are
    // clamped instead of overflowing: getInt to the int32 range; getUnsigned
    // to [INT32_MIN, UINT32_MAX] and then taken modulo 2^32, so "-1" reads as
    // 4294967295 (the old 32-bit atol behaviour) and every "%u" that
    // setUnsigned writes reads back exactly.
    std::uint32_t getUnsigned(const std::string& section, const std::string& key, std::uint32_t def) const;
    std::int32_t getInt(const std::string& section, const std::string& key, std::int32_t def) const;

    // Sets the last entry `key` of the first section `section`; a missing
    // section is appended at the end (the unnamed section "" is put first, so
    // that its header-less lines stay in front), a missing key at the end of
    // its section. The store becomes dirty on an append or when the value
    // differs under the case rule. Returns false and changes nothing when the
    // text cannot be stored as one line: a line feed in any argument, or '='
    // in the key.
    bool setString(const std::string& section, const std::string& key, const std::string& value);
    bool setUnsigned(const std::string& section, const std::string& key, std::uint32_t value);  // "%u"
    bool setInt(const std::string& section, const std::string& key, std::int32_t value);        // "%d"

    // Raw entries (no ';' cut, duplicates kept) of the first section of that name.
    std::vector<std::pair<std::string, std::string>> entries(const std::string& section) const;
    // Section names in file order ("" for the unnamed leading section).
    std::vector<std::string> sectionNames() const;

    // Writes the store to the file now; clears the dirty flag on success.
    bool save();
    // Saves when dirty and opened with saveWhenClosed, then empties the store.
    // Returns false only when a needed save failed. A second close does nothing.
    bool close();
    bool dirty() const { return dirty_; }

    // The bytes save() writes, for tests and tools.
    std::string serialise() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        bool header = true;  // false only for the unnamed leading section
        std::vector<Entry> entries;
    };

    void parse(const std::string& bytes);
    bool same(const std::string& a, const std::string& b) const;
    const Section* findSection(const std::string& name) const;
    Section* findSection(const std::string& name);
    const std::string* findValue(const std::string& section, const std::string& key) const;
    bool writeBackup(const std::string& target) const;

    std::vector<Section> sections_;
    std::string path_;
    bool active_ = false;  // open() was called and close() not yet
    bool opened_ = false;
    bool dirty_ = false;
    bool saveWhenClosed_ = false;
    bool createIfMissing_ = false;
    bool caseBlind_ = false;
    bool backup_ = false;
};

// Helpers shared with the settings code.
bool equalsCaseBlind(const std::string& a, const std::string& b);  // ASCII letters only
// atol-like parse with clamping to [INT64_MIN, INT64_MAX]; see getInt.
std::int64_t parseLeadingInteger(const std::string& text);

}  // namespace mr420
