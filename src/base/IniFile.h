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
// The parser takes any bytes (NUL bytes, binary junk, long lines, no final
// line end); a malformed line simply becomes an entry.
//
// A file at the path is only taken, and later written over, when it can be a
// settings file (isSettingsText): text in UTF-8 or Windows-1250 (the two may
// be mixed) without control characters other than TAB, CR and LF, holding at
// least one "key=value" or "[section]" line, or nothing but blanks and line
// ends. Anything else (a picture, a program, a document named by mistake) is
// reported by notASettingsFile() and never overwritten: the store stays empty
// and save() refuses.
//
// Writing puts CR LF after every line and saves atomically: a temporary file in
// the same directory is written, flushed to disk and renamed over the old one.

#include <cstdint>
#include <string>
#include <string_view>
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
    // tries to save whatever was set. Returns false as well, with
    // notASettingsFile() true, when the file holds something other than
    // settings (or more than 64 MiB); the store stays empty and usable, but
    // nothing is ever written over that file. Opening while open closes first.
    // `backup` makes each save first copy the old file to "<path>.<n>" with
    // the lowest unused n from 1.
    bool open(const std::string& path, bool saveWhenClosed, bool createIfMissing, bool caseBlind,
              bool backup = false);
    // Fills the store from `bytes` the way open() fills it from a file, with
    // no file behind it: every byte string is taken (whether it could be a
    // settings file is isSettingsText's question), and save() and close()
    // write nothing. Closes first when open.
    void load(std::string_view bytes, bool caseBlind);
    bool isOpen() const { return opened_; }
    const std::string& path() const { return path_; }
    // True once open() or save() has found at the path a file that is not a
    // settings file, until the next open() or load(); that file is never
    // written. The program then runs on defaults and says so once.
    bool notASettingsFile() const { return notASettingsFile_; }

    // Whether `bytes` can be the content of a settings file (see above).
    static bool isSettingsText(std::string_view bytes);
    // Whether `text` may stand in a settings file: no byte of it would make
    // isSettingsText refuse the file (a NUL, a control character other than
    // TAB, CR and LF, or a byte that is neither part of a UTF-8 character nor
    // a Windows-1250 character).
    static bool isTextBytes(std::string_view text);

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
    // text cannot be stored as one line of a settings file: a line feed or a
    // byte that isTextBytes refuses in the value or in a section or key that
    // is not yet in the store (one that is, is not written anew), '=' in a
    // new key, or a key beginning with '[' and a value ending in ']' (the
    // line would read back as a section header).
    bool setString(const std::string& section, const std::string& key, const std::string& value);
    bool setUnsigned(const std::string& section, const std::string& key, std::uint32_t value);  // "%u"
    bool setInt(const std::string& section, const std::string& key, std::int32_t value);        // "%d"

    // Raw entries (no ';' cut, duplicates kept) of the first section of that name.
    std::vector<std::pair<std::string, std::string>> entries(const std::string& section) const;
    // Section names in file order ("" for the unnamed leading section).
    std::vector<std::string> sectionNames() const;
    // Whether both stores hold the same sections (names, and which has no
    // header) with the same entries in the same order, byte for byte.
    bool sameContent(const IniFile& other) const;

    // Writes the store to the file now; clears the dirty flag on success.
    // Writes nothing and returns false without a path, or when the file at
    // the path is not a settings file (found at open, or now).
    bool save();
    // Saves when dirty and opened with saveWhenClosed, then empties the store.
    // Returns false only when a needed save failed or was refused. A second
    // close does nothing.
    bool close();
    bool dirty() const { return dirty_; }

    // The bytes save() writes, for tests and tools.
    std::string serialise() const;

private:
    // Every key, value and section name is a span of text_: the bytes as read,
    // followed by the texts set since. Reading a file thus costs one copy of
    // it and two arrays, whatever it holds. A value that shrinks is rewritten
    // in place; one that grows is appended, its old bytes left unused until
    // the store is emptied (a session sets each setting a handful of times).
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
    };
    struct Entry {
        Span key;
        Span value;
    };
    struct Section {
        Span name;
        bool header = true;  // false only for the unnamed leading section
        std::uint32_t begin = 0, end = 0;  // its entries: entries_[begin, end)
    };

    // The index: an open-addressing table of the first section of each name
    // and of the last entry of each key in such a section, by its place
    // within the section (a key appended to a section moves no other
    // section's places). Built at the first search, kept in step by setText,
    // dropped when a section is put in front.
    // A free slot has every byte 0xFF.
    static constexpr std::uint32_t kNoSlot = UINT32_MAX;
    struct Slot {
        std::uint32_t hash = kNoSlot;
        std::uint32_t section = kNoSlot;
        std::uint32_t entry = kNoSlot;  // kNoSlot for a section's own slot
    };

    void clearStore();
    // Closes what is open, empties the store and takes the new file's flags.
    void begin(const std::string& path, bool saveWhenClosed, bool createIfMissing, bool caseBlind, bool backup);
    void parse(std::string_view bytes);
    std::uint32_t hashOf(std::string_view text) const;
    // The slot of the section named `name` (section kNoSlot) or of the key
    // `name` in section `section`, or the free slot where it would go. Builds
    // the index first when there is none.
    Slot& slotOf(std::uint32_t hash, std::uint32_t section, std::string_view name) const;
    void buildIndex() const;
    void addSlot(Slot& free, Slot filled);
    std::string_view view(Span span) const { return std::string_view(text_.data() + span.offset, span.size); }
    Span append(std::string_view text);
    bool same(std::string_view a, std::string_view b) const;
    const Section* findSection(std::string_view name) const;
    // setString once the value is known to be storable text.
    bool setText(const std::string& section, const std::string& key, std::string_view value);
    const Entry* findEntry(std::string_view section, std::string_view key) const;
    bool writeBackup(const std::string& target, const std::string& old) const;

    std::string text_;
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
    static constexpr std::size_t kNoSection = SIZE_MAX;
    mutable std::size_t lastSection_ = kNoSection;   // findSection's last find
    // Its table: the first indexSize_ slots of index_, a power of two, or
    // none until a search needs them (the vector's memory is kept).
    mutable std::vector<Slot> index_;
    mutable std::size_t indexSize_ = 0;
    mutable std::size_t indexed_ = 0;   // slots in use
    std::string path_;
    bool active_ = false;  // open() was called and close() not yet
    bool opened_ = false;
    bool dirty_ = false;
    bool saveWhenClosed_ = false;
    bool createIfMissing_ = false;
    bool caseBlind_ = false;
    bool backup_ = false;
    bool notASettingsFile_ = false;
};

// Helpers shared with the settings code.
bool equalsCaseBlind(const std::string& a, const std::string& b);  // ASCII letters only
// atol-like parse with clamping to [INT64_MIN, INT64_MAX]; see getInt.
std::int64_t parseLeadingInteger(std::string_view text);

}  // namespace mr420
