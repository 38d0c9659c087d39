#include "Profile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <cmath>
#include <system_error>

#include <unistd.h>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Unquote(std::string_view v) {
    v = Trim(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

// A definition is a few kilobytes; anything this large is no definition and
// is not read into memory.
constexpr std::uintmax_t kMaxProfileBytes = 64u << 20;

enum class FileState { Absent, Read, Unreadable };

// The file as lines without their line ends; also tells whether it used CR LF.
// Only a regular file is opened: a FIFO would block and a device such as
// /dev/zero would never end.
FileState ReadFile(const std::string& path, std::vector<std::string>& lines, bool& crlf) {
    lines.clear();
    crlf = false;
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(st)) return ec && ec != std::errc::no_such_file_or_directory
                                                 ? FileState::Unreadable
                                                 : FileState::Absent;
    if (!std::filesystem::is_regular_file(st)) return FileState::Unreadable;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxProfileBytes) return FileState::Unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileState::Unreadable;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        // Editors that save UTF-8 put a byte-order mark before the first
        // section; it is no part of the section's name.
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        first = false;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            crlf = true;
        }
        lines.push_back(line);
    }
    if (in.bad()) {
        lines.clear();
        return FileState::Unreadable;
    }
    return FileState::Read;
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines, bool& crlf) {
    return ReadFile(path, lines, crlf) == FileState::Read;
}

// The lines a write starts from: none for a file not there yet; false for a
// file that is there but cannot be read, which a write would replace by the
// one key it sets and so lose.
bool LinesToRewrite(const std::string& path, std::vector<std::string>& lines) {
    bool crlf = false;
    return ReadFile(path, lines, crlf) != FileState::Unreadable;
}

// "[name]" -> name; nullopt for other lines.
std::optional<std::string_view> SectionHeader(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    std::string_view t = Trim(line);
    return !t.empty() && t.front() == ';';
}

// key of "key = value", nullopt for lines without '=' or with an empty key.
std::optional<std::string_view> KeyOf(std::string_view line) {
    if (IsComment(line)) return std::nullopt;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string_view k = Trim(line.substr(0, eq));
    if (k.empty()) return std::nullopt;
    return k;
}

int CopyOut(char* buf, int size, std::string_view text) {
    if (!buf || size <= 0) return 0;
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

// Writes names as a list of NUL-terminated strings closed by a second NUL,
// dropping names that do not fit whole. Returns how many names fitted and
// the characters used (without the closing NUL).
std::pair<int, int> CopyList(char* buf, int size, const std::vector<std::string>& names) {
    if (!buf || size <= 0) return {0, 0};
    if (size == 1) {
        buf[0] = '\0';
        return {0, 0};
    }
    int used = 0, count = 0;
    for (const std::string& n : names) {
        int need = static_cast<int>(n.size()) + 1;
        if (used + need + 1 > size) break;
        std::memcpy(buf + used, n.c_str(), static_cast<size_t>(need));
        used += need;
        ++count;
    }
    buf[used] = '\0';
    if (used == 0) buf[1] = '\0';
    return {count, used};
}

// Leading blanks and one sign, as atof and atoi skip them: the index of the
// first character after them.
size_t SkipBlanksAndSign(std::string_view text, bool& negative) noexcept {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

}  // namespace

double ProfileAtof(std::string_view text) noexcept {
    bool negative = false;
    size_t i = SkipBlanksAndSign(text, negative);
    // from_chars refuses a leading sign after our own sign and parses the
    // longest decimal prefix, as atof does ("12.5m" -> 12.5, "1e" -> 1).
    if (i >= text.size() || text[i] == '+' || text[i] == '-') return 0.0;
    auto hexDigit = [&](size_t k) { return k < text.size() && std::isxdigit(static_cast<unsigned char>(text[k])); };
    // atof also reads hexadecimal numbers ("0x1A" -> 26, "0x1.8p1" -> 3).
    const bool hex = i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
                     (hexDigit(i + 2) || (i + 2 < text.size() && text[i + 2] == '.' && hexDigit(i + 3)));
    if (hex) i += 2;
    double v = 0.0;
    auto r = std::from_chars(text.data() + i, text.data() + text.size(), v,
                             hex ? std::chars_format::hex : std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow gives +-HUGE_VAL and underflow 0, as atof does: the sign
        // of the exponent tells which ("1e400", "1E-400").
        std::string_view rest = text.substr(i);
        const size_t e = rest.find_first_of(hex ? "pP" : "eE");
        const bool tiny = e != std::string_view::npos && e + 1 < rest.size() && rest[e + 1] == '-';
        v = tiny ? 0.0 : HUGE_VAL;
    } else if (r.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -v : v;
}

int ProfileAtoi(std::string_view text) noexcept {
    bool negative = false;
    size_t i = SkipBlanksAndSign(text, negative);
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    return static_cast<int>(v);
}

Profile::Profile(std::string path) : path_(std::move(path)) {}

Profile::~Profile() = default;

void Profile::Load() const {
    if (loaded_) return;
    loaded_ = true;
    sections_.clear();
    std::vector<std::string> lines;
    bool crlf = false;
    if (!ReadLines(path_, lines, crlf)) return;
    Section* current = nullptr;
    for (const std::string& line : lines) {
        if (auto name = SectionHeader(line)) {
            // The first section of a name wins; later ones are ignored.
            current = nullptr;
            if (!Find(*name)) {
                sections_.push_back(Section{std::string(*name), {}});
                current = &sections_.back();
            }
            continue;
        }
        if (!current) continue;
        auto key = KeyOf(line);
        if (!key) continue;
        bool known = std::any_of(current->entries.begin(), current->entries.end(),
                                 [&](const Entry& e) { return EqualNoCase(e.key, *key); });
        if (known) continue;
        size_t eq = line.find('=');
        current->entries.push_back(Entry{std::string(*key), Unquote(std::string_view(line).substr(eq + 1))});
    }
}

const Profile::Section* Profile::Find(std::string_view section) const {
    for (const Section& s : sections_)
        if (EqualNoCase(s.name, Trim(section))) return &s;
    return nullptr;
}

std::optional<std::string> Profile::Value(std::string_view section, std::string_view key) const {
    Load();
    const Section* s = Find(section);
    if (!s) return std::nullopt;
    for (const Entry& e : s->entries)
        if (EqualNoCase(e.key, Trim(key))) return e.value;
    return std::nullopt;
}

std::vector<std::string> Profile::Keys(std::string_view section) const {
    Load();
    std::vector<std::string> keys;
    if (const Section* s = Find(section))
        for (const Entry& e : s->entries) keys.push_back(e.key);
    return keys;
}

std::vector<std::string> Profile::Sections() const {
    Load();
    std::vector<std::string> names;
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

int Profile::ReadString(char* buf, int size, const char* key, const char* section, const char* def) const {
    if (!section) return CopyList(buf, size, Sections()).second;
    if (!key) return CopyList(buf, size, Keys(section)).second;
    auto v = Value(section, key);
    // An absent key gives the default, trimmed as the profile services do.
    std::string text = v ? *v : std::string(Trim(def ? def : ""));
    return CopyOut(buf, size, text);
}

int Profile::ReadKeyList(char* buf, int size, const char* section) const {
    if (!section) return 0;
    return CopyList(buf, size, Keys(section)).first;
}

int Profile::ReadSectionNames(char* buf, int size) const { return CopyList(buf, size, Sections()).second; }

bool Profile::SectionExists(const char* section) const { return section && !Keys(section).empty(); }

bool Profile::HasKey(const char* key, const char* section) const {
    char buf[80];
    return ReadString(buf, sizeof buf, key, section, "") > 0;
}

int Profile::ReadInt(const char* key, const char* section, int def) const {
    char buf[80];
    if (ReadString(buf, sizeof buf, key, section, "") == 0) return def;
    return ProfileAtoi(buf);
}

double Profile::ReadDouble(const char* key, const char* section, double def) const {
    char buf[80];
    if (ReadString(buf, sizeof buf, key, section, "") == 0) return def;
    return ProfileAtof(buf);
}

bool Profile::ReadFlag(const char* key, const char* section, bool def) const {
    char buf[80];
    if (ReadString(buf, sizeof buf, key, section, "") == 0) return def;
    std::string_view v = buf;
    if (EqualNoCase(v, "on") || EqualNoCase(v, "yes") || EqualNoCase(v, "true")) return true;
    return ProfileAtof(v) == 1.0;
}

bool Profile::Rewrite(const std::vector<std::string>& lines) {
    // Keep the file's own line ends; a new file gets CR LF like the suite's
    // other text files.
    std::vector<std::string> old;
    bool crlf = true;
    if (!ReadLines(path_, old, crlf) || old.empty()) crlf = true;
    const char* eol = crlf ? "\r\n" : "\n";
    const size_t eolSize = std::strlen(eol);

    // A definition reached through a symbolic link is replaced where it
    // lives; the link stays a link.
    std::error_code ec;
    std::string target = path_;
    if (std::filesystem::is_symlink(path_, ec)) {
        const auto real = std::filesystem::canonical(path_, ec);
        if (ec) return false;
        target = real.string();
    }
    // A name of its own per write ("x": never an existing file or link), so
    // two writers in one process cannot mix their lines.
    static std::atomic<unsigned> serial{0};
    const std::string tmp = target + ".tmp" + std::to_string(static_cast<long>(::getpid())) + "-" +
                            std::to_string(serial.fetch_add(1));
    std::FILE* out = std::fopen(tmp.c_str(), "wbx");
    if (out == nullptr) return false;
    bool ok = true;
    for (const std::string& l : lines) {
        ok = ok && std::fwrite(l.data(), 1, l.size(), out) == l.size() &&
             std::fwrite(eol, 1, eolSize, out) == eolSize;
        if (!ok) break;
    }
    // On disk before the rename: after a power cut the file is the old one or
    // the new one, never an empty one.
    ok = ok && std::fflush(out) == 0 && ::fsync(::fileno(out)) == 0;
    ok = std::fclose(out) == 0 && ok;
    if (ok) {
        // The new file keeps the old one's permissions.
        const auto st = std::filesystem::status(target, ec);
        if (!ec && std::filesystem::exists(st)) std::filesystem::permissions(tmp, st.permissions(), ec);
    }
    if (!ok || std::rename(tmp.c_str(), target.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    loaded_ = false;
    return true;
}

namespace {

bool HasLineEnd(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A name or value that would not read back as written: a line end would
// start a new line (and could add keys of its own), a key with '=' would be
// cut at it, a key starting with '[' or ';' would read as a section or a
// comment, a section name with ']' would end early.
bool Writable(const char* key, const char* value, const char* section) {
    std::string_view sec = Trim(section);
    if (sec.empty() || HasLineEnd(sec) || sec.find(']') != std::string_view::npos) return false;
    if (key) {
        std::string_view k = Trim(key);
        if (k.empty() || HasLineEnd(k) || k.find('=') != std::string_view::npos || k.front() == '[' ||
            k.front() == ';')
            return false;
    }
    return !(value && HasLineEnd(value));
}

}  // namespace

bool Profile::WriteString(const char* key, const char* value, const char* section) {
    if (!section || !Writable(key, value, section)) return false;
    std::vector<std::string> lines;
    if (!LinesToRewrite(path_, lines)) return false;
    std::string_view sec = Trim(section);

    // Locate the first section of that name: [begin, end) are its body lines.
    size_t header = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionHeader(lines[i]);
        if (name && EqualNoCase(*name, sec)) {
            header = i;
            break;
        }
    }
    size_t end = lines.size();
    if (header < lines.size()) {
        for (size_t i = header + 1; i < lines.size(); ++i)
            if (SectionHeader(lines[i])) {
                end = i;
                break;
            }
    }

    if (!key) {  // remove the section
        if (header == lines.size()) return true;
        // Every section of the name goes: a later one, ignored while the
        // first stood, would otherwise take its place.
        std::vector<std::string> kept;
        bool inside = false;
        for (const std::string& l : lines) {
            if (auto name = SectionHeader(l)) inside = EqualNoCase(*name, sec);
            if (!inside) kept.push_back(l);
        }
        return Rewrite(kept);
    }
    std::string_view k = Trim(key);
    std::string newLine = std::string(k) + "=" + (value ? value : "");

    if (header == lines.size()) {
        if (!value) return true;
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(sec) + "]");
        lines.push_back(newLine);
        return Rewrite(lines);
    }
    if (!value) {
        // Every line of the key goes: a later one, ignored while the first
        // stood, would otherwise take its place.
        bool found = false;
        for (size_t i = end; i-- > header + 1;) {
            auto lk = KeyOf(lines[i]);
            if (lk && EqualNoCase(*lk, k)) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                found = true;
            }
        }
        return found ? Rewrite(lines) : true;
    }
    for (size_t i = header + 1; i < end; ++i) {
        auto lk = KeyOf(lines[i]);
        if (lk && EqualNoCase(*lk, k)) {
            lines[i] = newLine;
            return Rewrite(lines);
        }
    }
    // Append after the section's last non-blank line.
    size_t at = end;
    while (at > header + 1 && Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), newLine);
    return Rewrite(lines);
}

bool Profile::CopySection(const Profile& source, const char* sourceSection, const char* targetSection) {
    if (!sourceSection) return false;
    const char* target = targetSection ? targetSection : sourceSection;
    if (!Writable(nullptr, nullptr, target)) return false;
    // A source that is there but cannot be read would empty the target.
    std::vector<std::string> probe;
    bool probeCrlf = false;
    if (ReadFile(source.Path(), probe, probeCrlf) == FileState::Unreadable) return false;
    // Read the whole source first: source and target may be the same file.
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& k : source.Keys(sourceSection))
        entries.emplace_back(k, source.Value(sourceSection, k).value_or(""));

    std::vector<std::string> lines;
    if (!LinesToRewrite(path_, lines)) return false;
    std::string_view sec = Trim(target);
    size_t header = lines.size(), end = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionHeader(lines[i]);
        if (name && EqualNoCase(*name, sec)) {
            header = i;
            break;
        }
    }
    std::vector<std::string> body;
    body.push_back("[" + std::string(sec) + "]");
    for (auto& [k, v] : entries) body.push_back(k + "=" + v);
    if (header < lines.size()) {
        for (size_t i = header + 1; i < lines.size(); ++i)
            if (SectionHeader(lines[i])) {
                end = i;
                break;
            }
        // keep one blank line before the next section
        if (end < lines.size()) body.emplace_back();
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header), lines.begin() + static_cast<std::ptrdiff_t>(end));
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(header), body.begin(), body.end());
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.insert(lines.end(), body.begin(), body.end());
    }
    return Rewrite(lines);
}
