#include "base/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace mr420 {

namespace {

// A settings file is a few kilobytes; this only stops a wrong path (a disk
// image, say) from being pulled into memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isAtolSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string cutAtLastSemicolon(const std::string& value) {
    std::size_t p = value.rfind(';');
    return p == std::string::npos ? value : value.substr(0, p);
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads a whole regular file; false for anything else or on a read error.
enum class ReadResult { Ok, Missing, Failed };
ReadResult readRegularFile(const std::string& path, std::string& out) {
    // O_NONBLOCK so that a FIFO at the path cannot hang the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        ::close(fd);
        return ReadResult::Failed;
    }
    out.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > static_cast<std::size_t>(kMaxFileSize)) {
            ::close(fd);
            return ReadResult::Failed;
        }
    }
    ::close(fd);
    return ReadResult::Ok;
}

std::string directoryOf(const std::string& path) {
    std::size_t p = path.rfind('/');
    if (p == std::string::npos) return ".";
    if (p == 0) return "/";
    return path.substr(0, p);
}

}  // namespace

bool equalsCaseBlind(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::int64_t parseLeadingInteger(const std::string& text) {
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

IniFile::~IniFile() { close(); }

bool IniFile::open(const std::string& path, bool saveWhenClosed, bool createIfMissing, bool caseBlind,
                   bool backup) {
    if (active_) close();
    sections_.clear();
    path_ = path;
    active_ = true;
    opened_ = false;
    dirty_ = false;
    saveWhenClosed_ = saveWhenClosed;
    createIfMissing_ = createIfMissing;
    caseBlind_ = caseBlind;
    backup_ = backup;
    if (path.empty()) return false;

    std::string bytes;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ReadResult r = readRegularFile(path, bytes);
        if (r == ReadResult::Ok) {
            parse(bytes);
            opened_ = true;
            return true;
        }
        if (r == ReadResult::Failed || !createIfMissing_) return false;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            opened_ = true;
            return true;
        }
        if (errno != EEXIST) return false;
        // Someone created it in between: read theirs.
    }
    return false;
}

void IniFile::parse(const std::string& bytes) {
    std::size_t pos = 0;
    const std::size_t n = bytes.size();
    while (pos < n) {
        std::size_t lf = bytes.find('\n', pos);
        std::size_t end = lf == std::string::npos ? n : lf;
        std::size_t lineEnd = end;
        if (lineEnd > pos && bytes[lineEnd - 1] == '\r') --lineEnd;
        const char* line = bytes.data() + pos;
        std::size_t length = lineEnd - pos;
        pos = lf == std::string::npos ? n : lf + 1;

        if (length >= 2 && line[0] == '[' && line[length - 1] == ']') {
            sections_.push_back(Section{std::string(line + 1, length - 2), true, {}});
            continue;
        }
        if (sections_.empty()) sections_.push_back(Section{std::string(), false, {}});
        const char* eq = static_cast<const char*>(std::memchr(line, '=', length));
        Entry entry;
        if (eq) {
            entry.key.assign(line, static_cast<std::size_t>(eq - line));
            entry.value.assign(eq + 1, static_cast<std::size_t>(line + length - eq - 1));
        } else {
            entry.key.assign(line, length);
        }
        sections_.back().entries.push_back(std::move(entry));
    }
}

bool IniFile::same(const std::string& a, const std::string& b) const {
    return caseBlind_ ? equalsCaseBlind(a, b) : a == b;
}

const IniFile::Section* IniFile::findSection(const std::string& name) const {
    for (const Section& s : sections_)
        if (same(s.name, name)) return &s;
    return nullptr;
}

IniFile::Section* IniFile::findSection(const std::string& name) {
    return const_cast<Section*>(static_cast<const IniFile*>(this)->findSection(name));
}

const std::string* IniFile::findValue(const std::string& section, const std::string& key) const {
    const Section* s = findSection(section);
    if (!s) return nullptr;
    for (auto it = s->entries.rbegin(); it != s->entries.rend(); ++it)
        if (same(it->key, key)) return &it->value;
    return nullptr;
}

std::string IniFile::getString(const std::string& section, const std::string& key, const std::string& def) const {
    const std::string* v = findValue(section, key);
    return v ? cutAtLastSemicolon(*v) : def;
}

std::uint32_t IniFile::getUnsigned(const std::string& section, const std::string& key, std::uint32_t def) const {
    const std::string* v = findValue(section, key);
    if (!v) return def;
    std::int64_t n = parseLeadingInteger(cutAtLastSemicolon(*v));
    if (n > static_cast<std::int64_t>(UINT32_MAX)) n = UINT32_MAX;
    if (n < INT32_MIN) n = INT32_MIN;
    return static_cast<std::uint32_t>(n);  // negatives wrap modulo 2^32
}

std::int32_t IniFile::getInt(const std::string& section, const std::string& key, std::int32_t def) const {
    const std::string* v = findValue(section, key);
    if (!v) return def;
    std::int64_t n = parseLeadingInteger(cutAtLastSemicolon(*v));
    if (n > INT32_MAX) n = INT32_MAX;
    if (n < INT32_MIN) n = INT32_MIN;
    return static_cast<std::int32_t>(n);
}

bool IniFile::setString(const std::string& section, const std::string& key, const std::string& value) {
    // A line feed would split the line, an '=' in the key would move the
    // key/value boundary: neither could be read back as written.
    if (section.find('\n') != std::string::npos || key.find('\n') != std::string::npos ||
        value.find('\n') != std::string::npos || key.find('=') != std::string::npos)
        return false;
    Section* s = findSection(section);
    if (!s) {
        if (section.empty()) {
            sections_.insert(sections_.begin(), Section{std::string(), false, {}});
            s = &sections_.front();
        } else {
            sections_.push_back(Section{section, true, {}});
            s = &sections_.back();
        }
        dirty_ = true;
    }
    for (auto it = s->entries.rbegin(); it != s->entries.rend(); ++it) {
        if (same(it->key, key)) {
            if (!same(it->value, value)) dirty_ = true;
            it->value = value;
            return true;
        }
    }
    s->entries.push_back(Entry{key, value});
    dirty_ = true;
    return true;
}

bool IniFile::setUnsigned(const std::string& section, const std::string& key, std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return setString(section, key, text);
}

bool IniFile::setInt(const std::string& section, const std::string& key, std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return setString(section, key, text);
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> out;
    if (const Section* s = findSection(section))
        for (const Entry& e : s->entries) out.emplace_back(e.key, e.value);
    return out;
}

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> out;
    for (const Section& s : sections_) out.push_back(s.name);
    return out;
}

std::string IniFile::serialise() const {
    std::string out;
    for (const Section& s : sections_) {
        if (s.header) {
            out += '[';
            out += s.name;
            out += "]\r\n";
        }
        for (const Entry& e : s.entries) {
            out += e.key;
            // "=" follows every non-empty key, so a key-only line gains one.
            // It is also kept before a value whose key is empty: "=abc"
            // written as "abc" would come back as a key.
            if (!e.key.empty() || !e.value.empty()) out += '=';
            out += e.value;
            out += "\r\n";
        }
    }
    return out;
}

bool IniFile::writeBackup(const std::string& target) const {
    std::string old;
    ReadResult r = readRegularFile(target, old);
    if (r == ReadResult::Missing) return true;
    if (r == ReadResult::Failed) return false;
    for (int n = 1; n < 10000; ++n) {
        std::string name = target + "." + std::to_string(n);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        bool ok = writeAll(fd, old) && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        return ok;
    }
    return false;
}

bool IniFile::save() {
    if (path_.empty()) return false;
    // Write through a symbolic link instead of replacing the link itself.
    std::string target = path_;
    if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return false;
    if (backup_ && !writeBackup(target)) return false;

    static std::atomic<unsigned> counter{0};
    std::string temp = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    if (exists) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, serialise()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file.
    int dir = ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    dirty_ = false;
    return true;
}

bool IniFile::close() {
    bool ok = true;
    if (active_ && dirty_ && saveWhenClosed_) ok = save();
    sections_.clear();
    path_.clear();
    active_ = false;
    opened_ = false;
    dirty_ = false;
    return ok;
}

}  // namespace mr420
