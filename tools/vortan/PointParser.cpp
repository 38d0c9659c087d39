#include "PointParser.h"

#include <charconv>
#include <cmath>
#include <array>
#include <system_error>

bool IsFieldSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n' || c == ';';
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> out;
    std::size_t pos = 0, begin = 0, end = 0;
    while (NextField(line, pos, begin, end)) {
        out.emplace_back(line.substr(begin, end - begin));
        pos = end;
    }
    return out;
}

bool NextField(std::string_view line, std::size_t pos, std::size_t& begin, std::size_t& end) {
    while (pos < line.size() && IsFieldSeparator(line[pos])) ++pos;
    if (pos >= line.size()) return false;
    begin = pos;
    while (pos < line.size() && !IsFieldSeparator(line[pos])) ++pos;
    end = pos;
    return true;
}

std::optional<double> ParseNumber(std::string_view f) {
    if (f.empty()) return std::nullopt;
    bool neg = false;
    if (f.front() == '+' || f.front() == '-') {
        neg = f.front() == '-';
        f.remove_prefix(1);
    }
    if (f.empty() || f.front() == '+' || f.front() == '-') return std::nullopt;
    double v = 0;
    auto r = std::from_chars(f.data(), f.data() + f.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != f.data() + f.size() || !std::isfinite(v)) return std::nullopt;
    return neg ? -v : v;
}

namespace {

// Marks of the degree-minute-second forms, UTF-8 or ASCII. The two-quote
// second mark comes before the one-quote minute mark wherever both could fit.
using Marks = std::array<std::string_view, 4>;
constexpr Marks kDegreeMarks = {"\xC2\xB0", "\xC2\xBA", "d", "D"};
constexpr Marks kMinuteMarks = {"\xE2\x80\xB2", "\xE2\x80\x99", "'", ""};
constexpr Marks kSecondMarks = {"\xE2\x80\xB3", "\xE2\x80\x9D", "\"", "''"};

// Consumes one of the given marks at the front of s.
bool Eat(std::string_view& s, const Marks& marks) {
    for (auto m : marks)
        if (!m.empty() && s.substr(0, m.size()) == m) {
            s.remove_prefix(m.size());
            return true;
        }
    return false;
}

// The leading unsigned decimal number of s (digits and one point), consumed.
// `fraction` tells whether it had a point.
std::optional<double> LeadingNumber(std::string_view& s, bool& fraction) {
    std::size_t n = 0;
    while (n < s.size() && ((s[n] >= '0' && s[n] <= '9') || s[n] == '.')) ++n;
    if (n == 0) return std::nullopt;
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + n, v, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != s.data() + n) return std::nullopt;
    fraction = s.substr(0, n).find('.') != std::string_view::npos;
    s.remove_prefix(n);
    return v;
}

// Only the last component of an angle may have a fraction: 32:42.5 and
// 32°42.5′, not 32.5:30. Minutes and seconds are below 60.

// D:M or D:M:S, unsigned; the whole text must be used.
std::optional<double> ColonForm(std::string_view f) {
    double value = 0, unit = 1;
    bool fraction = false;
    for (int part = 0; part < 3; ++part) {
        if (fraction) return std::nullopt;  // a fraction before this component
        auto v = LeadingNumber(f, fraction);
        if (!v || (part > 0 && *v >= 60)) return std::nullopt;
        value += *v / unit;
        unit *= 60;
        if (f.empty()) return part > 0 ? std::optional<double>(value) : std::nullopt;
        if (f.front() != ':') return std::nullopt;
        f.remove_prefix(1);
    }
    return std::nullopt;  // a fourth part
}

// D°M′S″ and its shorter forms (D°, D°M′), or a bare number when a
// hemisphere letter stands beside it; the whole text must be used. As in the
// GeographicLib tools the last component may leave out its mark: 32d30 is
// 32°30′ and 32d30'15 is 32°30′15″.
std::optional<double> MarkedForm(std::string_view f, bool lettered) {
    bool fraction = false;
    auto deg = LeadingNumber(f, fraction);
    if (!deg) return std::nullopt;
    if (!Eat(f, kDegreeMarks)) return f.empty() && lettered ? deg : std::nullopt;
    if (f.empty()) return deg;
    if (fraction) return std::nullopt;
    auto min = LeadingNumber(f, fraction);
    if (!min || *min >= 60) return std::nullopt;
    const double value = *deg + *min / 60.0;
    if (f.empty()) return value;
    // D°S″ without minutes is refused as ambiguous.
    if (Eat(f, kSecondMarks) || !Eat(f, kMinuteMarks)) return std::nullopt;
    if (f.empty()) return value;
    if (fraction) return std::nullopt;
    auto sec = LeadingNumber(f, fraction);
    if (!sec || *sec >= 60) return std::nullopt;
    if (!f.empty() && (!Eat(f, kSecondMarks) || !f.empty())) return std::nullopt;
    return value + *sec / 3600.0;
}

}  // namespace

std::optional<double> ParseAngle(std::string_view f, Axis axis) {
    if (auto plain = ParseNumber(f)) return plain;
    if (f.empty()) return std::nullopt;
    const std::string_view pos = axis == Axis::Latitude ? "Nn" : "Ee";
    const std::string_view neg = axis == Axis::Latitude ? "Ss" : "Ww";
    auto letter = [&](char c) {
        if (pos.find(c) != std::string_view::npos) return 1;
        if (neg.find(c) != std::string_view::npos) return -1;
        return 0;
    };
    int sign = 0;  // 0: no hemisphere letter
    if (int l = letter(f.front())) {
        sign = l;
        f.remove_prefix(1);
    } else if (int r = letter(f.back())) {
        sign = r;
        f.remove_suffix(1);
    }
    bool minus = false;
    if (!f.empty() && (f.front() == '-' || f.front() == '+')) {
        if (sign != 0) return std::nullopt;  // a sign and a letter contradict each other
        minus = f.front() == '-';
        f.remove_prefix(1);
    }
    std::optional<double> value = f.find(':') != std::string_view::npos ? ColonForm(f) : MarkedForm(f, sign != 0);
    if (!value) return std::nullopt;
    return minus || sign < 0 ? -*value : *value;
}

void AppendFixed(std::string& out, double value, int decimals) {
    if (!std::isfinite(value)) {
        out += std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
        return;
    }
    if (value == 0) value = 0;  // no "-0.000"
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    const char* first = buf;
    // A value that rounds to zero prints without a sign.
    if (buf[0] == '-') {
        bool zero = true;
        for (const char* p = buf + 1; p != r.ptr && zero; ++p) zero = *p == '0' || *p == '.';
        if (zero) first = buf + 1;
    }
    out.append(first, static_cast<std::size_t>(r.ptr - first));
}

std::string FormatFixed(double value, int decimals) {
    std::string s;
    AppendFixed(s, value, decimals);
    return s;
}
