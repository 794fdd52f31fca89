#include "base/IniFile.h"

#include <climits>
#include <cstdlib>

#include <array>
#include <charconv>
#include <cstring>

#include "base/NumberText.h"

namespace mr420 {

namespace {

// The hash of a key in section `section`: apart from the section's own.
std::uint32_t entryHash(std::uint32_t keyHash, std::uint32_t section) {
    return keyHash ^ ((section + 1) * 0x9E3779B9u);
}

bool isAtolSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view cutAtLastSemicolon(std::string_view value) {
    std::size_t p = value.rfind(';');
    return p == std::string_view::npos ? value : value.substr(0, p);
}

// What a byte is in a settings file: ASCII text (printable, TAB, CR, LF); a
// byte no settings file holds (the other C0 codes, DEL, and the five bytes
// Windows-1250 leaves unassigned, unless inside a UTF-8 character); a byte
// that may start a UTF-8 character of two, three or four bytes; any other
// Windows-1250 character.
enum class ByteKind : unsigned char { Text, Never, Lead2, Lead3, Lead4, Win1250 };
constexpr std::array<ByteKind, 256> kByteKinds = [] {
    std::array<ByteKind, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        ByteKind kind = ByteKind::Win1250;
        if (c < 0x80)
            kind = (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F ? ByteKind::Never : ByteKind::Text;
        else if (c == 0x81 || c == 0x83 || c == 0x88 || c == 0x90 || c == 0x98)
            kind = ByteKind::Never;
        else if (c >= 0xC2 && c <= 0xDF)
            kind = ByteKind::Lead2;
        else if (c >= 0xE0 && c <= 0xEF)
            kind = ByteKind::Lead3;
        else if (c >= 0xF0 && c <= 0xF4)
            kind = ByteKind::Lead4;
        kinds[c] = kind;
    }
    return kinds;
}();

// Bytes that isTextBytes looks at one by one: those no settings file holds
// and those that may start a UTF-8 character. Any other byte stands alone.
constexpr std::array<unsigned char, 256> kLookedAt = [] {
    std::array<unsigned char, 256> looked{};
    for (int c = 0; c < 256; ++c) looked[c] = kByteKinds[c] == ByteKind::Text || kByteKinds[c] == ByteKind::Win1250 ? 0 : 1;
    return looked;
}();

// Whether none of the eight bytes at `p` is to be looked at, with one test.
bool eightPlain(const unsigned char* p) {
    return (kLookedAt[p[0]] | kLookedAt[p[1]] | kLookedAt[p[2]] | kLookedAt[p[3]] | kLookedAt[p[4]] |
            kLookedAt[p[5]] | kLookedAt[p[6]] | kLookedAt[p[7]]) == 0;
}

// Length of the well-formed UTF-8 character of `length` bytes starting at
// `p` (no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t utf8Character(const unsigned char* p, const unsigned char* end, std::size_t length) {
    if (static_cast<std::size_t>(end - p) < length) return 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (p[0] == 0xE0) low = 0xA0;
    if (p[0] == 0xED) high = 0x9F;
    if (p[0] == 0xF0) low = 0x90;
    if (p[0] == 0xF4) high = 0x8F;
    if (p[1] < low || p[1] > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    return length;
}

// Walks the lines of a file. A line ends at LF; one CR right before the LF,
// or at the very end of the bytes, belongs to the line end.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes) : at_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    bool next(std::string_view& line) {
        if (at_ == end_) return false;
        const char* lf = static_cast<const char*>(std::memchr(at_, '\n', static_cast<std::size_t>(end_ - at_)));
        const char* stop = lf ? lf : end_;
        const char* lineEnd = stop != at_ && stop[-1] == '\r' ? stop - 1 : stop;
        line = std::string_view(at_, static_cast<std::size_t>(lineEnd - at_));
        at_ = lf ? lf + 1 : end_;
        return true;
    }

private:
    const char* at_;
    const char* end_;
};

bool isHeaderLine(std::string_view line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }


}  // namespace

bool equalsCaseBlind(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::int64_t parseLeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isAtolSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude as a negative number so that INT64_MIN fits.
    std::int64_t value = 0;
    bool saturated = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (saturated) continue;
        int digit = text[i] - '0';
        if (value < (INT64_MIN + digit) / 10) {
            saturated = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (saturated) return negative ? INT64_MIN : INT64_MAX;
    if (negative) return value;
    return value == INT64_MIN ? INT64_MAX : -value;
}

bool IniFile::isTextBytes(std::string_view text) {
    // UTF-8 and Windows-1250 may be mixed (an old file edited by a new
    // editor): a byte outside a UTF-8 character must be one of the code
    // page's characters. Taking a UTF-8 character wherever one starts never
    // refuses text that another split would accept, as its trailing bytes
    // could not start a character of their own, and every byte that starts
    // one is a Windows-1250 character as well.
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    // Most text has no byte to look at: eight at a time, the last few padded
    // with blanks.
    while (end - p >= 8 && eightPlain(p)) p += 8;
    if (p == end) return true;
    if (end - p < 8) {
        unsigned char last[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
        std::memcpy(last, p, static_cast<std::size_t>(end - p));
        if (eightPlain(last)) return true;
    }
    while (p != end) {
        if (end - p >= 8 && eightPlain(p)) {
            p += 8;
            continue;
        }
        std::size_t length = 0;
        switch (kByteKinds[*p]) {
        case ByteKind::Never: return false;
        case ByteKind::Lead2: length = utf8Character(p, end, 2); break;
        case ByteKind::Lead3: length = utf8Character(p, end, 3); break;
        case ByteKind::Lead4: length = utf8Character(p, end, 4); break;
        case ByteKind::Text:
        case ByteKind::Win1250: break;
        }
        p += length ? length : 1;
    }
    return true;
}

bool IniFile::isSettingsText(std::string_view bytes) {
    if (!isTextBytes(bytes)) return false;
    // An editor's UTF-8 signature alone does not make a file worth keeping.
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    bool blank = true;
    std::string_view line;
    for (LineCursor c(bytes); c.next(line);) {
        // A line that only a settings file has: a section header or a
        // key=value entry.
        if (isHeaderLine(line) || line.find('=') != std::string_view::npos) return true;
        if (blank && line.find_first_not_of(" \t\r") != std::string_view::npos) blank = false;
    }
    // Nothing but blanks and line ends: there is nothing to lose.
    return blank;
}

IniFile::~IniFile() { close(); }

void IniFile::clearStore() {
    text_.clear();
    lastSection_ = kNoSection;
    indexSize_ = 0;
    indexed_ = 0;
    sections_.clear();
    entries_.clear();
}

void IniFile::begin(const std::string& path, bool saveWhenClosed, bool createIfMissing, bool caseBlind,
                    bool backup) {
    if (active_) close();
    clearStore();
    path_ = path;
    active_ = true;
    opened_ = false;
    dirty_ = false;
    saveWhenClosed_ = saveWhenClosed;
    createIfMissing_ = createIfMissing;
    caseBlind_ = caseBlind;
    backup_ = backup;
    notASettingsFile_ = false;
}

void IniFile::load(std::string_view bytes, bool caseBlind) {
    begin({}, false, false, caseBlind, false);
    opened_ = true;
    parse(bytes);
}

void IniFile::parse(std::string_view bytes) {
    // Spans are 32-bit; open() reads at most kMaxFileSize bytes.
    if (bytes.size() > UINT32_MAX) bytes = bytes.substr(0, UINT32_MAX);
    // Room for the values a session sets, so that they rarely move the text.
    text_.reserve(bytes.size() + 256);
    text_.assign(bytes);
    // Counted first, so that each array is allocated once, with room for the
    // entries and sections a session adds.
    std::size_t lines = 0, headers = 0;
    std::string_view line;
    for (LineCursor c(bytes); c.next(line);) {
        ++lines;
        if (isHeaderLine(line)) ++headers;
    }
    sections_.reserve(headers + 1 + 8);
    entries_.reserve(lines - headers + 32);

    const char* const base = bytes.data();
    const auto span = [base](const char* begin, const char* end) {
        return Span{static_cast<std::uint32_t>(begin - base), static_cast<std::uint32_t>(end - begin)};
    };
    for (LineCursor c(bytes); c.next(line);) {
        const char* begin = line.data();
        const char* end = begin + line.size();
        if (isHeaderLine(line)) {
            const std::uint32_t at = static_cast<std::uint32_t>(entries_.size());
            sections_.push_back(Section{span(begin + 1, end - 1), true, at, at});
            continue;
        }
        if (sections_.empty()) sections_.push_back(Section{Span{}, false, 0, 0});
        const char* eq = static_cast<const char*>(std::memchr(begin, '=', line.size()));
        if (eq)
            entries_.push_back(Entry{span(begin, eq), span(eq + 1, end)});
        else
            entries_.push_back(Entry{span(begin, end), span(end, end)});
        sections_.back().end = static_cast<std::uint32_t>(entries_.size());
    }
}

IniFile::Span IniFile::append(std::string_view text) {
    Span span{static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(text.size())};
    text_.append(text);
    return span;
}

bool IniFile::same(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    if (a == b) return true;   // the usual case, without a loop
    if (!caseBlind_) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::uint32_t IniFile::hashOf(std::string_view text) const {
    // Eight bytes at a time, without a branch per byte; case-blind, the
    // ASCII capitals of each word are put in lower case first (0x20 added
    // to each byte from 'A' to 'Z').
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    const std::uint64_t lowerMask = caseBlind_ ? ~std::uint64_t{0} : 0;
    std::uint64_t hash = text.size() * 0x9E3779B97F4A7C15u;
    const auto mix = [&](std::uint64_t w) {
        const std::uint64_t seven = w & ~kHigh;
        const std::uint64_t upper = (seven + (0x80 - 'A') * kOnes) & ~(seven + (0x80 - 'Z' - 1) * kOnes) & ~w & kHigh;
        w |= (upper >> 2) & lowerMask;
        hash = (hash ^ w) * 0xFF51AFD7ED558CCDu;
        hash ^= hash >> 32;
    };
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        mix(w);
    }
    std::uint64_t last = 0;
    if (n != 0) std::memcpy(&last, p, n);
    mix(last);
    return static_cast<std::uint32_t>(hash ^ (hash >> 29));
}

void IniFile::buildIndex() const {
    // At most half full, with room for the sections and keys a session adds
    // (the program's settings, when the file holds none of them yet).
    std::size_t size = 1024;
    while (size < 2 * (sections_.size() + entries_.size() + 512)) size *= 2;
    // Freed by filling with 0xFF bytes, in place when there is room.
    if (index_.size() < size) index_.resize(size);
    std::memset(static_cast<void*>(index_.data()), 0xFF, size * sizeof(Slot));
    indexSize_ = size;
    indexed_ = 0;
    for (std::uint32_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        const std::uint32_t hash = hashOf(view(section.name));
        Slot& own = slotOf(hash, kNoSlot, view(section.name));
        if (own.section != kNoSlot) continue;   // a later section of a name already seen
        own = Slot{hash, s, kNoSlot};
        ++indexed_;
        for (std::uint32_t i = section.begin; i < section.end; ++i) {
            const std::uint32_t keyHash = entryHash(hashOf(view(entries_[i].key)), s);
            Slot& slot = slotOf(keyHash, s, view(entries_[i].key));
            if (slot.section == kNoSlot) ++indexed_;
            slot = Slot{keyHash, s, i - section.begin};   // the last of a key stays
        }
    }
}

IniFile::Slot& IniFile::slotOf(std::uint32_t hash, std::uint32_t section, std::string_view name) const {
    if (indexSize_ == 0) buildIndex();
    const std::size_t mask = indexSize_ - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        Slot& slot = index_[at];
        if (slot.section == kNoSlot) return slot;
        if (slot.hash != hash) continue;
        if (section == kNoSlot) {
            if (slot.entry == kNoSlot && same(view(sections_[slot.section].name), name)) return slot;
        } else if (slot.section == section && slot.entry != kNoSlot &&
                   same(view(entries_[sections_[section].begin + slot.entry].key), name)) {
            return slot;
        }
    }
}

void IniFile::addSlot(Slot& free, Slot filled) {
    // What the slot stands for is in the store already: a new table holds it.
    if (2 * (indexed_ + 1) > indexSize_) {
        buildIndex();
        return;
    }
    free = filled;
    ++indexed_;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    // The settings are read and written section by section: the section
    // found last is the first of its name (no earlier one has that name) and
    // is looked at first.
    if (lastSection_ < sections_.size() && same(view(sections_[lastSection_].name), name))
        return &sections_[lastSection_];
    const Slot& slot = slotOf(hashOf(name), kNoSlot, name);
    if (slot.section == kNoSlot) return nullptr;
    lastSection_ = slot.section;
    return &sections_[slot.section];
}

const IniFile::Entry* IniFile::findEntry(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (!s) return nullptr;
    const auto index = static_cast<std::uint32_t>(s - sections_.data());
    const Slot& slot = slotOf(entryHash(hashOf(key), index), index, key);
    return slot.section == kNoSlot ? nullptr : &entries_[s->begin + slot.entry];
}

std::string IniFile::getString(const std::string& section, const std::string& key, const std::string& def) const {
    const Entry* e = findEntry(section, key);
    return e ? std::string(cutAtLastSemicolon(view(e->value))) : def;
}

std::uint32_t IniFile::getUnsigned(const std::string& section, const std::string& key, std::uint32_t def) const {
    const Entry* e = findEntry(section, key);
    if (!e) return def;
    std::int64_t n = parseLeadingInteger(cutAtLastSemicolon(view(e->value)));
    if (n > static_cast<std::int64_t>(UINT32_MAX)) n = UINT32_MAX;
    if (n < INT32_MIN) n = INT32_MIN;
    return static_cast<std::uint32_t>(n);  // negatives wrap modulo 2^32
}

std::int32_t IniFile::getInt(const std::string& section, const std::string& key, std::int32_t def) const {
    const Entry* e = findEntry(section, key);
    if (!e) return def;
    std::int64_t n = parseLeadingInteger(cutAtLastSemicolon(view(e->value)));
    if (n > INT32_MAX) n = INT32_MAX;
    if (n < INT32_MIN) n = INT32_MIN;
    return static_cast<std::int32_t>(n);
}

bool IniFile::setString(const std::string& section, const std::string& key, const std::string& value) {
    // A line feed would split the line; a byte that no settings file holds
    // would make the next open refuse the whole file.
    if (value.find('\n') != std::string::npos || !isTextBytes(value)) return false;
    return setText(section, key, value);
}

bool IniFile::setText(const std::string& section, const std::string& key, std::string_view value) {
    // An '=' in the key would move the key/value boundary: it could not be
    // read back as written. The same holds for the section and the key as
    // for a value. Both are looked at only when they are written anew: a
    // section or key already in the store has the same bytes but for the
    // case of ASCII letters.
    const auto storable = [](const std::string& name) {
        return name.find('\n') == std::string::npos && isTextBytes(name);
    };
    const auto storableKey = [&] { return key.find('=') == std::string::npos && storable(key); };
    // "[a=b]" would come back as the header of a section "a=b".
    if (!key.empty() && key.front() == '[' && !value.empty() && value.back() == ']') return false;
    if (text_.size() + section.size() + key.size() + value.size() > UINT32_MAX) return false;

    const Section* found = findSection(section);
    if (!found) {
        if (!storable(section) || !storableKey()) return false;
        if (section.empty()) {
            // In front, with no entries before it, so no entry moves; every
            // section after it does, and the index is built anew.
            sections_.insert(sections_.begin(), Section{Span{}, false, 0, 0});
            lastSection_ = kNoSection;
            indexSize_ = 0;
            found = &sections_.front();
        } else {
            const std::uint32_t hash = hashOf(section);
            Slot& free = slotOf(hash, kNoSlot, section);
            const std::uint32_t at = static_cast<std::uint32_t>(entries_.size());
            sections_.push_back(Section{append(section), true, at, at});
            addSlot(free, Slot{hash, static_cast<std::uint32_t>(sections_.size() - 1), kNoSlot});
            found = &sections_.back();
        }
        dirty_ = true;
    }
    const auto index = static_cast<std::uint32_t>(found - sections_.data());
    const std::uint32_t keyHash = entryHash(hashOf(key), index);
    Slot& slot = slotOf(keyHash, index, key);
    if (slot.section != kNoSlot) {
        Entry& e = entries_[found->begin + slot.entry];
        if (view(e.value) == value) return true;
        if (!same(view(e.value), value)) dirty_ = true;
        if (value.size() <= e.value.size) {
            // Spans never share bytes, so a value can shrink in place.
            text_.replace(e.value.offset, value.size(), value);
            e.value.size = static_cast<std::uint32_t>(value.size());
        } else {
            e.value = append(value);
        }
        return true;
    }
    if (!storableKey()) return false;
    const Span keySpan = append(key);
    const Span valueSpan = append(value);
    entries_.insert(entries_.begin() + found->end, Entry{keySpan, valueSpan});
    const std::uint32_t place = sections_[index].end++ - sections_[index].begin;
    for (std::size_t s = index + 1; s < sections_.size(); ++s) {
        ++sections_[s].begin;
        ++sections_[s].end;
    }
    addSlot(slot, Slot{keyHash, index, place});
    dirty_ = true;
    return true;
}

bool IniFile::setUnsigned(const std::string& section, const std::string& key, std::uint32_t value) {
    char text[16];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    return setText(section, key, std::string_view(text, static_cast<std::size_t>(end - text)));   // digits are text
}

bool IniFile::setInt(const std::string& section, const std::string& key, std::int32_t value) {
    char text[16];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    return setText(section, key, std::string_view(text, static_cast<std::size_t>(end - text)));   // digits and a sign
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> out;
    if (const Section* s = findSection(section)) {
        out.reserve(s->end - s->begin);
        for (std::uint32_t i = s->begin; i < s->end; ++i)
            out.emplace_back(view(entries_[i].key), view(entries_[i].value));
    }
    return out;
}

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> out;
    out.reserve(sections_.size());
    for (const Section& s : sections_) out.emplace_back(view(s.name));
    return out;
}

bool IniFile::sameContent(const IniFile& other) const {
    if (sections_.size() != other.sections_.size() || entries_.size() != other.entries_.size()) return false;
    const auto sameText = [&](Span a, Span b) {
        return a.size == b.size && std::memcmp(text_.data() + a.offset, other.text_.data() + b.offset, a.size) == 0;
    };
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& a = sections_[i];
        const Section& b = other.sections_[i];
        if (a.header != b.header || a.begin != b.begin || a.end != b.end || !sameText(a.name, b.name)) return false;
    }
    const Entry* a = entries_.data();
    const Entry* b = other.entries_.data();
    for (const Entry* end = a + entries_.size(); a != end; ++a, ++b)
        if (!sameText(a->key, b->key) || !sameText(a->value, b->value)) return false;
    return true;
}

std::string IniFile::serialise() const {
    std::size_t size = 0;
    for (const Section& s : sections_)
        if (s.header) size += s.name.size + 4;
    for (const Entry& e : entries_) size += e.key.size + e.value.size + 3;
    std::string out(size, '\0');
    char* at = out.data();
    const auto put = [&](Span span) {
        std::memcpy(at, text_.data() + span.offset, span.size);
        at += span.size;
    };
    for (const Section& s : sections_) {
        if (s.header) {
            *at++ = '[';
            put(s.name);
            std::memcpy(at, "]\r\n", 3);
            at += 3;
        }
        for (std::uint32_t i = s.begin; i < s.end; ++i) {
            const Entry& e = entries_[i];
            put(e.key);
            // "=" follows every non-empty key, so a key-only line gains one.
            // It is also kept before a value whose key is empty: "=abc"
            // written as "abc" would come back as a key.
            if (e.key.size != 0 || e.value.size != 0) *at++ = '=';
            put(e.value);
            *at++ = '\r';
            *at++ = '\n';
        }
    }
    out.resize(static_cast<std::size_t>(at - out.data()));
    return out;
}

}  // namespace mr420
