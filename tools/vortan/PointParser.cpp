#include "PointParser.h"

#include <charconv>
#include <cmath>
#include <system_error>

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n' || c == ';') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
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

// Consumes one of the given marks (UTF-8 or ASCII) at the front of s.
bool Eat(std::string_view& s, std::initializer_list<std::string_view> marks) {
    for (auto m : marks)
        if (s.substr(0, m.size()) == m) {
            s.remove_prefix(m.size());
            return true;
        }
    return false;
}

// The leading unsigned decimal number of s, consumed.
std::optional<double> LeadingNumber(std::string_view& s) {
    size_t n = 0;
    while (n < s.size() && ((s[n] >= '0' && s[n] <= '9') || s[n] == '.')) ++n;
    if (n == 0) return std::nullopt;
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + n, v, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != s.data() + n) return std::nullopt;
    s.remove_prefix(n);
    return v;
}

}  // namespace

std::optional<double> ParseAngle(std::string_view f, Axis axis) {
    if (auto plain = ParseNumber(f)) return plain;
    if (f.empty()) return std::nullopt;
    const std::string_view pos = axis == Axis::Latitude ? "Nn" : "Ee";
    const std::string_view neg = axis == Axis::Latitude ? "Ss" : "Ww";
    int sign = 0;  // 0: no hemisphere letter yet
    auto letter = [&](char c) {
        if (pos.find(c) != std::string_view::npos) return 1;
        if (neg.find(c) != std::string_view::npos) return -1;
        return 0;
    };
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
    auto deg = LeadingNumber(f);
    if (!deg) return std::nullopt;
    double value = *deg;
    bool marked = Eat(f, {"\xC2\xB0", "d", "D"});
    if (!f.empty()) {
        if (!marked) return std::nullopt;
        auto min = LeadingNumber(f);
        if (!min || *min >= 60 || !Eat(f, {"\xE2\x80\xB2", "'"})) return std::nullopt;
        value += *min / 60.0;
        if (!f.empty()) {
            auto sec = LeadingNumber(f);
            if (!sec || *sec >= 60 || !Eat(f, {"\xE2\x80\xB3", "\"", "''"})) return std::nullopt;
            value += *sec / 3600.0;
        }
        if (!f.empty()) return std::nullopt;
    }
    if (!marked && sign == 0) return std::nullopt;
    if (minus || sign < 0) value = -value;
    return value;
}

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    if (value == 0) value = 0;  // no "-0.000"
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    // A value that rounds to zero prints without a sign.
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}
