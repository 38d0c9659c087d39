// The converter object: settings, error reporting, progress and the Zelto CSV to .EDT loop.
#include "ZeltoQvxConverter.h"

#include "EdtOutputFile.h"
#include "FileHelpers.h"
#include "UtmZone.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>
#include <fcntl.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }  // isspace of the C locale

// A number too large or too small for a double: atof gives infinity for the one and
// zero for the other. Which it is follows from the decimal exponent of the first
// significant digit.
double OutOfRange(const char* p, const char* end)
{
    long long lead = 0;  // decimal exponent of the first significant digit, plus one
    bool seen = false, point = false;
    for (; p < end && ((*p >= '0' && *p <= '9') || *p == '.'); ++p) {
        if (*p == '.') { point = true; continue; }
        if (!seen && *p == '0') { if (point) --lead; continue; }
        seen = true;
        if (!point && lead < 100000) ++lead;
    }
    long long exp = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool eneg = false;
        if (p < end && (*p == '+' || *p == '-')) eneg = *p++ == '-';
        for (; p < end && *p >= '0' && *p <= '9'; ++p)
            if (exp < 100000) exp = exp * 10 + (*p - '0');
        if (eneg) exp = -exp;
    }
    return lead + exp > 0 ? HUGE_VAL : 0.0;
}

// 10^0 to 10^15, each exact: a decimal of up to 15 digits is its digits as a whole number
// divided by one of them, correctly rounded.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// atof semantics, independent of the process locale. With `ownFixed2`, also tells whether
// "%.2lf" of the value gives back the text itself: an optional minus, a whole part without
// leading zeros ("0" alone allowed), a full stop, two decimals, and at most fifteen digits.
// Such a text is the nearest double's only rounding to two decimals, so a record can copy it
// instead of formatting the value (the value is still returned and used).
double ReadDecimal(std::string_view s, bool* ownFixed2 = nullptr)
{
    // The usual shape of a depth, an offset or a tide, digits, a full stop and two decimals
    // ("6.22", "1504.40"), read without the general loop's tests: the same digits and the
    // same division as below, so the same value.
    if (const std::size_t n = s.size(); n >= 4 && n <= 16 && s[n - 3] == '.') {
        const auto digit = [&](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(s[k])) - unsigned{'0'}; };
        std::uint64_t mant = 0;
        std::size_t k = 0;
        for (unsigned d = 0; k < n - 3 && (d = digit(k)) < 10; ++k) mant = mant * 10 + d;
        const unsigned tenths = digit(n - 2), hundredths = digit(n - 1);
        if (k == n - 3 && tenths < 10 && hundredths < 10) {
            if (ownFixed2 != nullptr) *ownFixed2 = s[0] != '0' || n == 4;
            return static_cast<double>(mant * 100 + tenths * 10 + hundredths) / kPowersOfTen[2];
        }
    }
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { neg = s[i] == '-'; ++i; }
    double v = 0.0;
    {
        // Depths and seconds have a few digits and no exponent: up to 15 digits are a whole
        // number below 2^53 and 10^15 is exact, so one division gives the correctly rounded
        // value from_chars gives. Anything else goes to from_chars.
        std::size_t j = i;
        std::uint64_t mant = 0;
        int digits = 0, decimals = 0;
        unsigned d = 0;
        for (; j < s.size() && (d = static_cast<unsigned char>(s[j]) - unsigned{'0'}) < 10; ++j, ++digits) mant = mant * 10 + d;
        if (j < s.size() && s[j] == '.')
            for (++j; j < s.size() && (d = static_cast<unsigned char>(s[j]) - unsigned{'0'}) < 10; ++j, ++digits, ++decimals)
                mant = mant * 10 + d;
        if (digits > 0 && digits <= 15 && (j == s.size() || (s[j] != 'e' && s[j] != 'E'))) {
            v = static_cast<double>(mant) / kPowersOfTen[decimals];
            if (ownFixed2 != nullptr)
                *ownFixed2 = decimals == 2 && j == s.size() && i == (neg ? 1u : 0u) && digits > 2 &&
                             (s[i] != '0' || digits == 3);
            return neg ? -v : v;
        }
    }
    auto r = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return 0.0;
    if (r.ec == std::errc::result_out_of_range) v = OutOfRange(s.data() + i, r.ptr);
    return neg ? -v : v;
}

// atoi semantics, saturating instead of overflowing.
int ReadWhole(std::string_view s)
{
    // Nothing but up to nine digits, the usual count: no blank, sign or bound to test.
    if (!s.empty() && s.size() <= 9) {
        int v = 0;
        std::size_t k = 0;
        for (unsigned d = 0; k < s.size() && (d = static_cast<unsigned char>(s[k]) - unsigned{'0'}) < 10; ++k)
            v = v * 10 + static_cast<int>(d);
        if (k == s.size()) return v;
    }
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { neg = s[i] == '-'; ++i; }
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) v = 2147483648LL;
    }
    if (neg) v = -v;
    if (v > 2147483647LL) v = 2147483647LL;
    return static_cast<int>(v);
}

// Longest "%.2lf" text of a double (309 integer digits, sign, point, two decimals) and more.
constexpr std::size_t kFixed2Max = 320;

// "%.2lf" of v into out, the digits printf gives. Depths, offsets and grid coordinates are
// far below 1e13: for them the exact binary value times 100 is rounded to a whole number
// in integer arithmetic (mantissa times 100 fits 64 bits; ties go to even, as printf's
// do), several times quicker than the general formatter that takes every other value.
char* PutFixed2(char* out, double v)
{
    const double a = std::fabs(v);
    if (!(a < 1e13))
        return std::to_chars(out, out + kFixed2Max, v, std::chars_format::fixed, 2).ptr;
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const auto biased = static_cast<int>(bits >> 52);
    const std::uint64_t mant = (bits & ((std::uint64_t{1} << 52) - 1)) | (biased != 0 ? std::uint64_t{1} << 52 : 0);
    const int exp2 = (biased != 0 ? biased : 1) - 1075;  // a == mant * 2^exp2
    std::uint64_t n = 0;  // a * 100, rounded
    if (exp2 >= 0) {
        n = (mant << exp2) * 100;  // a whole number below 1e13
    } else if (exp2 > -64) {
        const int shift = -exp2;
        const std::uint64_t scaled = mant * 100;  // below 2^60
        n = scaled >> shift;
        const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        // Without a branch: whether a value rounds up is as good as random, and a
        // mispredicted branch costs more than the whole sum.
        n += static_cast<std::uint64_t>(rest > half) | (static_cast<std::uint64_t>(rest == half) & n & 1);
    }  // else a < 2^-11: a * 100 rounds to 0
    if (std::signbit(v)) *out++ = '-';
    // The whole part has `len` digits (n is below 1e15): the text is written in place,
    // from the right, two digits at a time.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    static constexpr std::uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                               100000000, 1000000000, 10000000000, 100000000000,
                                               1000000000000, 10000000000000};
    std::uint64_t whole = n / 100;
    // Digits from the bit length (1233/4096 is log10 2 to four places), then one correction.
    auto len = static_cast<std::size_t>(((64 - std::countl_zero(whole | 1)) * 1233) >> 12);
    len += whole >= kPow10[len] || whole == 0 ? 1 : 0;
    char* const end = out + len + 3;
    std::memcpy(end - 2, kPairs + 2 * (n % 100), 2);
    end[-3] = '.';
    char* t = out + len;
    while (whole >= 100) {
        t -= 2;
        std::memcpy(t, kPairs + 2 * (whole % 100), 2);
        whole /= 100;
    }
    if (whole >= 10)
        std::memcpy(t - 2, kPairs + 2 * whole, 2);
    else
        t[-1] = static_cast<char>('0' + whole);
    return end;
}

std::string Fixed2(double v)
{
    char buf[kFixed2Max];
    return std::string(buf, PutFixed2(buf, v));
}

std::string Int(long long v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// "%02d" of v.
char* PutTwo(char* out, int v)
{
    if (v >= 0 && v < 10) *out++ = '0';
    return std::to_chars(out, out + 16, v).ptr;
}

// Longest re-formatted time text: three saturated whole numbers and two colons.
constexpr std::size_t kTimeMax = 40;

// The time of day of a Zelto time text: the hours before the first colon, the minutes
// between it and the next, the whole seconds after that; re-formatted "%02d:%02d:%02d"
// into out (kTimeMax bytes).
// The first colon of a time text, or npos: a few bytes in, where a call to memchr costs
// more than the search.
std::size_t FindColon(std::string_view t)
{
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] == ':') return i;
    return std::string_view::npos;
}

double DecodeTime(std::string_view text, char* out, std::size_t& outLen)
{
    // The usual "HH:MM:SS..." with two digits a part and no third digit after the seconds
    // is its own re-formatted text.
    const auto digit = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
    if (digit(0) && digit(1) && digit(3) && digit(4) && digit(6) && digit(7) && text[2] == ':' && text[5] == ':' && !digit(8)) {
        std::memcpy(out, text.data(), 8);
        outLen = 8;
        const auto two = [&](std::size_t k) { return (text[k] - '0') * 10 + (text[k + 1] - '0'); };
        return static_cast<double>(two(0)) * 3600.0 + static_cast<double>(two(3)) * 60.0 + static_cast<double>(two(6));
    }
    int h = ReadWhole(text);
    std::string_view t = text;
    std::size_t c = FindColon(t);
    if (c != std::string_view::npos) t = t.substr(c + 1);
    int m = 0;
    c = FindColon(t);
    if (c != std::string_view::npos) { m = ReadWhole(t.substr(0, c)); t = t.substr(c + 1); }
    int s = ReadWhole(t);
    char* o = PutTwo(out, h);
    *o++ = ':';
    o = PutTwo(o, m);
    *o++ = ':';
    o = PutTwo(o, s);
    outLen = static_cast<std::size_t>(o - out);
    return static_cast<double>(h) * 3600.0 + static_cast<double>(m) * 60.0 + static_cast<double>(s);
}

// A part that holds a number: optional blanks and sign, then a digit (or a full stop and a digit).
bool StartsWithNumber(std::string_view part)
{
    std::size_t i = 0;
    while (i < part.size() && IsBlank(part[i])) ++i;
    if (i < part.size() && (part[i] == '+' || part[i] == '-')) ++i;
    if (i < part.size() && part[i] == '.') ++i;
    return i < part.size() && part[i] >= '0' && part[i] <= '9';
}

bool IsBlankPart(std::string_view part)
{
    for (char c : part)
        if (!IsBlank(c)) return false;
    return true;
}

// A part runs to its marker byte or the end of the text; only its first 15 characters count.
// `valid` tells whether the text is a position at all: a hemisphere letter, degrees that are
// a finite number, and minutes and seconds (0 when absent) from 0 to below 60. The range of
// the whole value is the caller's to check.
// A position's value with the sign its hemisphere letter gives.
double Signed(char hemi, double v)
{
    return (hemi == 'N' || hemi == 'E') ? v : -v;
}

// The shape every Zelto export writes, "N 32°42′00.02″" (its leading double quotes already
// skipped): a letter, one optional blank, up to three digits of degrees, the degree sign, up
// to two digits of minutes, the minute sign, seconds with up to two digits before and six
// after the full stop, then the second sign or the end. Gives what the general decoding below
// gives for such a text (the same whole numbers, the same division), with far fewer passes
// over it; false for any other text.
bool DecodeUsualPosition(std::string_view text, double& value, bool& valid)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    auto digits = [&](int most, std::uint64_t& v) {
        int k = 0;
        for (unsigned d = 0; k < most && p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10; ++k, ++p)
            v = v * 10 + d;
        return k;
    };
    if (end - p < 2) return false;
    const char hemi = *p++;
    if (!((hemi >= 'A' && hemi <= 'Z') || (hemi >= 'a' && hemi <= 'z'))) return false;
    if (*p == ' ') ++p;
    std::uint64_t deg = 0, min = 0, sec = 0;
    // Each part must end at its sign: a longer run of digits is left to the general decoding.
    if (digits(3, deg) == 0 || end - p < 2 || static_cast<unsigned char>(*p) != 0xC2) return false;
    p += 2;
    if (digits(2, min) == 0 || end - p < 3 || static_cast<unsigned char>(*p) != 0xE2) return false;
    p += 3;
    if (digits(2, sec) == 0 || p == end || *p != '.') return false;
    ++p;
    const int decimals = digits(6, sec);
    if (decimals == 0 || (p != end && static_cast<unsigned char>(*p) != 0xE2)) return false;
    const double s = static_cast<double>(sec) / kPowersOfTen[decimals];
    const double v = s / 3600.0 + static_cast<double>(static_cast<int>(min)) / 60.0 + static_cast<double>(deg);
    valid = min < 60 && s < 60.0;
    value = Signed(hemi, v);
    return true;
}

double DecodePosition(std::string_view text, bool& valid)
{
    valid = false;
    // Some exports write the position inside double quotes: the leading ones are skipped.
    std::size_t i = 0;
    while (i < text.size() && text[i] == '"') ++i;
    text.remove_prefix(i);
    if (double v = 0.0; DecodeUsualPosition(text, v, valid)) return v;
    if (text.empty()) return 0.0;
    i = 0;
    const std::size_t n = text.size();
    char hemi = text[i++];
    auto collect = [&](unsigned char marker, std::size_t skip) {
        std::size_t from = i;
        while (i < n && static_cast<unsigned char>(text[i]) != marker) ++i;
        std::string_view part = text.substr(from, std::min<std::size_t>(i - from, 15));
        i = std::min(n, i + skip);
        return part;
    };
    const std::string_view degPart = collect(0xC2, 2);
    const std::string_view minPart = collect(0xE2, 3);
    const std::string_view secPart = collect(0xE2, 3);
    double deg = ReadDecimal(degPart);
    int min = ReadWhole(minPart);
    double sec = ReadDecimal(secPart);
    double v = sec / 3600.0 + static_cast<double>(min) / 60.0 + deg;
    // The letter is the sign: a text without one (a digit or a blank in its place) would take
    // the wrong sign and lose a digit.
    const bool letter = (hemi >= 'A' && hemi <= 'Z') || (hemi >= 'a' && hemi <= 'z');
    valid = letter && StartsWithNumber(degPart) && (IsBlankPart(minPart) || StartsWithNumber(minPart)) &&
            (IsBlankPart(secPart) || StartsWithNumber(secPart)) && std::isfinite(deg) && std::isfinite(sec) &&
            min >= 0 && min < 60 && sec >= 0.0 && sec < 60.0 && std::isfinite(v);
    return Signed(hemi, v);
}

// The output fields that columns fill: the numbers as values, the other fields as texts.
struct DecodedFields {
    enum Slot { kEasting, kNorthing, kTime, kValue2, kOffset3, kCount36, kValue15, kValue38, kSlots };
    static constexpr int kFieldOf[kSlots] = {2, 3, 4, 5, 12, 23, 27, 31};
    // What a slot holds: nothing (its field stays empty), a value whose "%.2lf" is made
    // only where the record is made, a number's own text in the line (see Own), or a text
    // made in `text` (the time, the count).
    enum Kind : std::uint8_t { kEmpty, kNumber, kOwnText, kMadeText };
    Kind kind[kSlots] = {};
    // The position columns as read: their texts and whether each is a position
    // (false when the line does not reach the column).
    std::string_view latText, lonText;
    bool latValid = false, lonValid = false;
    double number[kSlots];
    // A text slot's text: in `text`, or a number's own text in the line. Set together with
    // the slot's kind and read only where the kind is a text, so not cleared for each record.
    const char* at[kSlots];
    std::uint16_t len[kSlots];
    std::size_t used = 0;
    char text[2 * (kTimeMax + 8)];

    char* Begin(Slot s) { at[s] = text + used; return text + used; }
    void End(Slot s, const char* stop)
    {
        len[s] = static_cast<std::uint16_t>(stop - at[s]);
        used += len[s];
        kind[s] = kMadeText;
    }
    // A number whose "%.2lf" is its text in the line (ReadDecimal's ownFixed2): the record
    // copies the text. The line must outlive the record made from it.
    void Own(Slot s, std::string_view t)
    {
        at[s] = t.data();
        len[s] = static_cast<std::uint16_t>(t.size());
        kind[s] = kOwnText;
    }
    void Fixed(Slot s, double v)
    {
        number[s] = v;
        kind[s] = kNumber;
    }
    std::string_view Get(Slot s) const { return {at[s], len[s]}; }
    // The text of a slot, a number's "%.2lf" made in buf (kFixed2Max bytes).
    std::string_view Text(Slot s, char* buf) const
    {
        return kind[s] == kNumber ? std::string_view(buf, static_cast<std::size_t>(PutFixed2(buf, number[s]) - buf)) : Get(s);
    }
};

// Positions of the first commas of a line. The line is looked at 64 bytes at a time (four
// 16-byte compares with SSE2, part of every x86-64; eight 8-byte words elsewhere), and the
// positions of a block's commas are written eight at a time whether or not there are that
// many: a survey line has forty short fields and millions of lines a second make the scan
// count, and a loop that stops at each block's last comma is mispredicted at nearly every
// block. Only the commas up to the one after column 38 matter. `at` has room for
// kCommasRoom positions.
constexpr int kCommasRead = 39;
constexpr int kCommasRoom = kCommasRead + 64;

// Bit k set where byte k of the 64 bytes at p is a comma.
std::uint64_t CommaMask(const char* p)
{
#if defined(__SSE2__)
    const __m128i commas = _mm_set1_epi8(',');
    std::uint64_t hit = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        hit |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, commas)))) << (16 * k);
    }
    return hit;
#else
    std::uint64_t hit = 0;
    for (int k = 0; k < 64; ++k) hit |= static_cast<std::uint64_t>(p[k] == ',') << k;
    return hit;
#endif
}

// The number of bits set, in a few instructions on any processor (the x86-64 baseline has
// no population count instruction; std::popcount then calls a library routine).
int BitsSet(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

int FindCommas(const char* line, std::size_t n, std::uint32_t* at)
{
    int count = 0;
    // Appends the positions of one block's commas (bit k: byte base + k).
    auto take = [&](std::uint64_t hit, std::size_t base) {
        const int found = BitsSet(hit);
        std::uint32_t* o = at + count;
        const auto next = [&] {
            // The top bit set keeps the count of trailing zeros free of a test for zero; it
            // changes no position that counts (those of an empty mask are never read).
            *o++ = static_cast<std::uint32_t>(base + static_cast<std::size_t>(std::countr_zero(hit | (std::uint64_t{1} << 63))));
            hit &= hit - 1;
        };
        for (int k = 0; k < 8; ++k) next();
        if (found > 8) {
            for (int k = 8; k < 16; ++k) next();
            for (int k = 16; k < found; ++k) next();
        }
        count += found;
    };
    std::size_t i = 0;
    for (; i + 64 <= n && count < kCommasRead; i += 64) take(CommaMask(line + i), i);
    if (i < n && count < kCommasRead) {
        char tail[64] = {};
        std::memcpy(tail, line + i, n - i);
        take(CommaMask(tail), i);
    }
    return std::min(count, kCommasRead);
}

// What the header takes from the first record: its date, its time and its depth offset.
struct HeaderValues {
    std::string& date;
    std::string& time;
    double& depthOffset;
};

// Splits one CSV line and decodes its columns: the record, the texts of the output fields
// and, with `header`, the values the header takes. Every comma separates; the text after a
// line's last comma is not decoded.
void DecodeLine(std::string_view line, sALL& rec, DecodedFields& out, HeaderValues* header)
{
    std::uint32_t commas[kCommasRoom];
    const int count = FindCommas(line.data(), line.size(), commas);
    // Column k runs from the comma before it to its own; only the columns read are visited,
    // in increasing order (column 3 takes column 2 of the same line, column 34 replaces the
    // date of column 4).
    auto column = [&](int k) {
        const std::size_t from = k == 0 ? 0 : commas[k - 1] + 1;
        return std::string_view(line.data() + from, commas[k] - from);
    };
    if (count <= 2) return;
    // A number read from its column: its own text where that is its "%.2lf".
    const auto number = [&](int k, DecodedFields::Slot slot) {
        bool own = false;
        const std::string_view t = column(k);
        const double v = ReadDecimal(t, &own);
        if (own)
            out.Own(slot, t);
        else
            out.Fixed(slot, v);
        return v;
    };
    rec.Value2 = number(2, DecodedFields::kValue2);
    if (count <= 3) return;
    rec.Offset3 = ReadDecimal(column(3)) - rec.Value2;
    out.Fixed(DecodedFields::kOffset3, rec.Offset3);
    if (header != nullptr) header->depthOffset = rec.Offset3;
    if (count <= 4) return;
    if (header != nullptr && count <= 34) header->date.assign(column(4));  // otherwise column 34 replaces it below
    if (count <= 15) return;
    rec.Value15 = number(15, DecodedFields::kValue15);
    if (count <= 31) return;
    out.latText = column(31);
    rec.Y = DecodePosition(out.latText, out.latValid);
    if (count <= 32) return;
    out.lonText = column(32);
    rec.X = DecodePosition(out.lonText, out.lonValid);
    if (count <= 34) return;
    if (header != nullptr) header->date.assign(column(34));
    if (count <= 35) return;
    {
        char* t = out.Begin(DecodedFields::kTime);
        std::size_t n = 0;
        rec.TimeSec = DecodeTime(column(35), t, n);
        if (header != nullptr) header->time.assign(t, n);
        std::memcpy(t + n, ".000", 4);
        out.End(DecodedFields::kTime, t + n + 4);
    }
    if (count <= 36) return;
    {
        int v = ReadWhole(column(36));
        rec.Count36 = v;
        out.End(DecodedFields::kCount36, std::to_chars(out.Begin(DecodedFields::kCount36), out.text + sizeof out.text, v).ptr);
    }
    if (count <= 38) return;
    rec.Value38 = number(38, DecodedFields::kValue38);
}

// Sets to zero the fields of a record that DecodeLine and the projection write.
void ClearDecodedFields(sALL& rec)
{
    rec.X = rec.Y = rec.TimeSec = rec.Value2 = rec.Offset3 = rec.Count36 = rec.Value15 = rec.Value38 = 0.0;
}

// Longest record line: the filled fields, 38 commas, a checksum and the line end.
constexpr std::size_t kRecordMax = DecodedFields::kSlots * kFixed2Max + 38 + 16;

// Fields 1 to 38 of a record, each followed by its comma: the filled fields in the order of
// their numbers, the empty ones as bare commas.
char* PutRecordFields(char* o, const DecodedFields& d)
{
    // Slots in field order and the commas that follow each: its own and those of the empty
    // fields up to the next filled one (fields 2, 3, 4, 5, 12, 23, 27, 31; field 1 is empty).
    static constexpr struct { DecodedFields::Slot slot; int commas; } kOrder[] = {
        {DecodedFields::kEasting, 1}, {DecodedFields::kNorthing, 1}, {DecodedFields::kTime, 1},
        {DecodedFields::kValue2, 7}, {DecodedFields::kOffset3, 11}, {DecodedFields::kCount36, 4},
        {DecodedFields::kValue15, 4}, {DecodedFields::kValue38, 8}};
    static constexpr char kCommas[] = ",,,,,,,,,,,,,,,,";
    *o++ = ',';
    for (const auto& f : kOrder) {
        const DecodedFields::Kind kind = d.kind[f.slot];
        if (kind == DecodedFields::kNumber) {
            o = PutFixed2(o, d.number[f.slot]);  // straight into its place
        } else if (kind != DecodedFields::kEmpty) {
            const std::string_view t = d.Get(f.slot);
            // Most fields are short: a fixed 16-byte copy (the buffers have room for it)
            // instead of a call for every field. A number's own text lies in a line of the
            // reader's block, which has 16 readable bytes past every line.
            const bool roomy = kind == DecodedFields::kOwnText || t.data() + 16 <= d.text + sizeof d.text;
            if (t.size() <= 16 && roomy)
                std::memcpy(o, t.data(), 16);
            else
                std::memcpy(o, t.data(), t.size());
            o += t.size();
        }
        std::memcpy(o, kCommas, 16);  // the buffer has room; only f.commas of them count
        o += f.commas;
    }
    return o;
}

// A line's checksum: the sum of its bytes read as signed chars, modulo 2^32.
std::int32_t Checksum(std::string_view s)
{
#if defined(__SSE2__)
    // Sixteen bytes at a time: a signed byte c is (c ^ 0x80) - 128 with c ^ 0x80 read
    // unsigned, and psadbw adds unsigned bytes. A line of 16 bytes or more takes its last
    // part from the 16 bytes that end the line, those already counted masked out, so that
    // nothing is read outside the line.
    if (s.size() >= 16) {
        alignas(16) static constexpr unsigned char kTailMask[32] = {
            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80)), zero = _mm_setzero_si128();
        const char* const p = s.data();
        __m128i acc = zero;
        std::size_t i = 0;
        for (; i + 16 <= s.size(); i += 16) {
            const __m128i w = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), flip);
            acc = _mm_add_epi64(acc, _mm_sad_epu8(w, zero));
        }
        const std::size_t rest = s.size() - i;
        const __m128i last = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + s.size() - 16)), flip);
        const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kTailMask + rest));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_and_si128(last, keep), zero));
        alignas(16) std::uint64_t lanes[2];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(lanes[0] + lanes[1] - 128u * s.size()));
    }
#endif
    std::uint32_t sum = 0;
    for (char c : s) sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    return static_cast<std::int32_t>(sum);
}

// A line with content: anything but blanks and commas. A line without is no record (a
// trailing blank line, a row of empty columns).
bool HasContent(std::string_view line)
{
    for (char c : line)
        if (c != ',' && !IsBlank(c)) return true;
    return false;
}

// A position on Earth: both texts positions, the latitude within 90 degrees of the
// equator and the longitude within 180 degrees of Greenwich.
bool IsPlace(const DecodedFields& d, const sALL& rec)
{
    return d.latValid && d.lonValid && std::fabs(rec.Y) <= 90.0 && std::fabs(rec.X) <= 180.0;
}

std::string SystemReason(int err) { return err != 0 ? std::strerror(err) : "read error"; }
}  // namespace

CZeltoQvxConverter::CZeltoQvxConverter()
{
    for (int i = 0; i < ZELTO_ELLIPSOID_ROWS; ++i)
        if (std::strcmp(EllipsoidTable[i].Name, "WGS-84") == 0) { m_nEllipsoid = i; break; }
}

void CZeltoQvxConverter::put_Logfile(std::string path) { m_strLogFile = std::move(path); }
void CZeltoQvxConverter::put_Cancel() { m_bCancel = true; }
void CZeltoQvxConverter::put_AppMessageWnd(CConverterMessageWnd* pWnd) { m_pAppWnd = pWnd; }
long CZeltoQvxConverter::put_AppName(std::string name) { m_strAppName = std::move(name); return S_OK; }
long CZeltoQvxConverter::put_EllipsoidToUse(long n)
{
    if (n < 1 || n > 23) return E_FAIL;
    m_nEllipsoid = static_cast<std::int32_t>(n);
    return S_OK;
}
std::int32_t CZeltoQvxConverter::get_CSVRecords() const { return m_nCSVRecords; }
bool CZeltoQvxConverter::get_Cancelled() const { return m_bCancelled; }
bool CZeltoQvxConverter::get_OutputKept() const { return m_bOutputKept; }
std::int32_t CZeltoQvxConverter::get_SkippedLines() const { return m_nSkippedLines; }
void CZeltoQvxConverter::GetLastWarning(std::string& text) const
{
    std::lock_guard<std::mutex> lock(m_errorLock);
    text = m_strWarning;
}

// The message's own sentence first, then the file it is about and the system's reason.
long CZeltoQvxConverter::FailOutput(const char* sentence, const std::string& path, const std::string& reason)
{
    // The message is a C string: a NUL in the path is shown as "\0" so the reason still shows.
    std::string text = std::string(sentence) + " " + zelto_detail::ShownPath(path);
    if (!reason.empty()) text += ": " + reason;
    return SetConverterErrorInfo(text.c_str(), 0);
}

// An error of one record inside the conversion loop names the file, the line and the
// position text; called outside the loop it is the sentence alone, as it always was.
long CZeltoQvxConverter::ReportRecordError(const char* sentence, const std::string& reason)
{
    if (m_nRecordLine == 0) return SetConverterErrorInfo(sentence, 0);
    if (++m_nRecordErrors > kRecordErrorsReported) return E_FAIL;
    std::string text = std::string(sentence) + " " + m_strCSVFile + " line " + Int(m_nRecordLine) + ": ";
    if (m_svRecordLat.empty() && m_svRecordLon.empty())
        text += "no position";
    else
        text.append(m_svRecordLat).append(", ").append(m_svRecordLon);
    if (!reason.empty()) text += ": " + reason;
    return SetConverterErrorInfo(text.c_str(), 0);
}
void CZeltoQvxConverter::GetLastError(std::string& text) const
{
    std::lock_guard<std::mutex> lock(m_errorLock);
    text = m_strLastError;
}

long CZeltoQvxConverter::SetConverterErrorInfo(const char* text, std::uint16_t tag)
{
    {
        std::lock_guard<std::mutex> lock(m_errorLock);
        m_strLastError = text != nullptr ? text : "";
        if (tag != 0) m_strLastError += "  on Tag " + Int(tag);
    }
    if (m_pAppWnd != nullptr) m_pAppWnd->Post(WM_CONVERTERERROR, tag, 0);
    return E_FAIL;
}

void CZeltoQvxConverter::Fire_SendPercentDone(double percent)
{
    if (!(percent >= 0.0)) percent = 0.0;
    if (percent > 100.0) percent = 100.0;
    if (m_pAppWnd != nullptr) m_pAppWnd->Post(WM_PERCENTDONE, 0, static_cast<std::intptr_t>(static_cast<std::int32_t>(percent)));
}

bool CZeltoQvxConverter::WriteLogFile(std::string text)
{
    if (m_strLogFile.empty()) return true;
    std::FILE* fp = std::fopen(m_strLogFile.c_str(), "r+b");
    if (fp == nullptr) return false;
    std::fseek(fp, 0, SEEK_END);
    std::size_t bs = text.rfind('\\');
    if (bs != std::string::npos && bs > 1) text = text.substr(bs + 1);
    text += "\r\n";
    bool ok = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
    ok = std::fclose(fp) == 0 && ok;
    return ok;
}

long CZeltoQvxConverter::ReadZeltoFile(std::string path)
{
    m_strCSVFile = std::move(path);
    if (m_InFile.Open(m_strCSVFile)) { m_InFile.Close(); return S_OK; }
    return FailOutput("Failed to open CSV file.", m_strCSVFile, zelto_detail::UnreadableReason(m_strCSVFile));
}

double CZeltoQvxConverter::ConvertTime(std::string& text)
{
    char buf[kTimeMax];
    std::size_t n = 0;
    double seconds = DecodeTime(text, buf, n);
    text.assign(buf, n);
    return seconds;
}

double CZeltoQvxConverter::ConvertPosString(std::string& text)
{
    bool valid = false;
    return DecodePosition(text, valid);
}

long CZeltoQvxConverter::ConvertPosition(double& latNorthing, double& lonEasting)
{
    if (!m_strIniFile.empty()) return ConvertPositionProject(latNorthing, lonEasting);
    LatLonToUTM(m_nEllipsoid, latNorthing, lonEasting, latNorthing, lonEasting);
    return S_OK;
}

long CZeltoQvxConverter::ParseCSVLine(std::string& line, sALL& rec, std::string* fields)
{
    DecodedFields decoded;
    HeaderValues header{m_strDate, m_strTime, m_dDepthOffset};
    DecodeLine(line, rec, decoded, &header);
    // No made-up position: a text that is no place on Earth, or one the projection
    // refuses, leaves the easting and northing empty.
    if (IsPlace(decoded, rec) && ConvertPosition(rec.Y, rec.X) == S_OK) {
        decoded.Fixed(DecodedFields::kEasting, rec.X);
        decoded.Fixed(DecodedFields::kNorthing, rec.Y);
    }
    for (int s = 0; s < DecodedFields::kSlots; ++s)
        if (decoded.kind[s] != DecodedFields::kEmpty) {
            char buf[kFixed2Max];
            fields[DecodedFields::kFieldOf[s]].assign(decoded.Text(static_cast<DecodedFields::Slot>(s), buf));
        }
    for (int i = 0; i < ZELTO_OUTPUT_FIELDS; ++i) fields[i] += ",";
    return S_OK;
}

std::uint32_t CZeltoQvxConverter::WriteFileLine(std::string text, std::int32_t withLineEnd)
{
    auto c = static_cast<std::uint32_t>(Checksum(text));
    m_OutFile.Write(text);
    if (withLineEnd != 0) m_OutFile.Write("\r\n");
    return c;
}

std::int32_t CZeltoQvxConverter::WriteFileLine(ZeltoFileHandle handle, std::string text)
{
    return zelto_detail::WriteAll(handle, text.data(), text.size()) ? 1 : 0;
}

ZeltoFileHandle CZeltoQvxConverter::DoOpenFile(std::string path, std::uint32_t access, std::uint32_t disposition)
{
    bool rd = (access & ZELTO_GENERIC_READ) != 0, wr = (access & ZELTO_GENERIC_WRITE) != 0;
    int flags = (rd && wr) ? O_RDWR : (wr ? O_WRONLY : O_RDONLY);
    switch (disposition) {
    case ZELTO_CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case ZELTO_CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case ZELTO_OPEN_EXISTING: break;
    case ZELTO_OPEN_ALWAYS: flags |= O_CREAT; break;
    case ZELTO_TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: return ZELTO_INVALID_HANDLE;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd >= 0 && disposition == ZELTO_CREATE_ALWAYS) WriteLogFile(path);
    return fd;
}

void CZeltoQvxConverter::CloseFiles()
{
    m_InFile.Close();
    m_OutFile.Close();
}

void CZeltoQvxConverter::WriteFileHeader()
{
    const std::string lines[20] = {
        "FTP ALL 2", "VER Survey 8.2.4.2", "RDF 002_1327.RAW",
        "INF \"\" \"\" \"\" \"\" 0.000000 0.000000 0.000000",
        "ELL \"WGS-84\" 6378137.000 298.257223563",
        "PRO \"TME\" xxxxx -123.000000 0.999600 0.000000 0.000000 0.000000 500000.0000 0.0000",
        "DTM 0.00 0.00 0.00 0.00000 0.00000 0.00000 0.00000", "GEO ??? 0.000",
        "TND " + m_strTime + " " + m_strDate, "DEV 0 32805 \"Position\"",
        "OFF 0 0.00 0.00 0.00 0.00 0.00 0.00 0.00", "DEV 1 40977 \"Depth\"",
        "OFF 1 0.00 0.00 " + Fixed2(m_dDepthOffset) + " 0.00 0.00 0.00 0.00", "LIN 2",
        "PTS 806102.30 3806540.91 0.00", "PTS 807329.29 3806547.04 0.00",
        "LBP 806102.30 3806540.91 0.00", "LNN 002_1327.EDT", "EOL", "REC 38"};
    std::uint32_t sum = 0;
    for (const auto& l : lines) sum += WriteFileLine(l, 1);
    m_OutFile.Write("EOH " + Int(static_cast<std::int32_t>(sum)) + "\n");
}

long CZeltoQvxConverter::WriteEDTLine(std::string* fields)
{
    std::string line;
    for (int i = 1; i <= 38; ++i) line += fields[i];
    auto c = static_cast<std::int32_t>(WriteFileLine(line, 0));
    m_OutFile.Write(Int(c) + "\r\n");
    return m_OutFile.Failed() ? E_FAIL : S_OK;
}

long CZeltoQvxConverter::WriteQVXFile(std::string /*path*/)
{
    m_dDepthOffset = 0;
    m_nCSVRecords = 0;
    m_nCharsRead = 0;
    m_bCancel = false;
    m_bCancelled = false;
    m_bOutputKept = false;
    m_nSkippedLines = 0;
    m_nRecordErrors = 0;
    m_nRecordLine = 0;
    {
        std::lock_guard<std::mutex> lock(m_errorLock);
        m_strWarning.clear();
    }
    // A file whose first record lacks date or time must not show the previous file's.
    m_strDate.clear();
    m_strTime.clear();
    if (!m_InFile.Open(m_strCSVFile))
        return FailOutput("Failed to open CSV file.", m_strCSVFile, zelto_detail::UnreadableReason(m_strCSVFile));
    m_strOutFile = zelto_detail::EdtPathFor(m_strCSVFile);
    // The records go to a temporary beside the .EDT: an existing .EDT is replaced only by a
    // complete conversion, and a failed one leaves nothing behind.
    zelto_detail::PendingEdt pending;
    std::string reason;
    if (!pending.Begin(m_strCSVFile, m_strOutFile, reason)) {
        m_InFile.Close();
        return FailOutput("Failed to open Bramix file.", m_strOutFile, reason);
    }
    if (!m_OutFile.Create(pending.TempPath())) {
        reason = SystemReason(errno);
        m_InFile.Close();
        return FailOutput("Failed to open Bramix file.", m_strOutFile, reason);
    }
    if (pending.Replaces()) m_OutFile.WriteBackEarly();
    auto fail = [&](const char* sentence, const std::string& path, const std::string& why) {
        CloseFiles();
        pending.Discard();
        return FailOutput(sentence, path, why);
    };
    m_nFileLength = static_cast<std::uint32_t>(m_InFile.Size());

    sALL rec{};
    std::string line, line2;
    // The header takes its time, date and depth offset from the first record: the first
    // data line with content.
    errno = 0;
    if (m_InFile.ReadLine(line)) {
        while (m_InFile.ReadLine(line2)) {
            if (!HasContent(line2)) continue;
            DecodedFields decoded;
            HeaderValues header{m_strDate, m_strTime, m_dDepthOffset};
            DecodeLine(line2, rec, decoded, &header);
            WriteFileHeader();
            if (m_OutFile.Failed()) return fail("Failed to write record to file.", m_strOutFile, SystemReason(errno));
            break;
        }
    }
    if (m_InFile.Failed()) return fail("Failed to parse CSV file.", m_strCSVFile, SystemReason(errno));
    m_InFile.Rewind();
    errno = 0;
    if (!m_InFile.ReadLine(line))
        return fail("Failed to parse CSV file.", m_strCSVFile, m_InFile.Failed() ? SystemReason(errno) : "the file is empty");
    m_nCharsRead += static_cast<std::uint32_t>(line.size());
    // The record loop does what ParseCSVLine and WriteEDTLine do, byte for byte, without
    // the forty strings: each field's text goes straight into the record line.
    // Records go to the writer in blocks of about 64 KiB; every way out of the loop
    // hands over what is left, so a cancelled run keeps the records it made. Each record
    // is made in place at the end of the block: past `filled` there is always room for
    // the longest record.
    constexpr std::size_t kBlock = 1 << 16;
    std::vector<char> block(kBlock + kRecordMax + 3);
    std::size_t filled = 0;
    std::string_view record;  // the line in the reader's block
    std::int32_t lineNumber = 1;  // as an editor counts them: the title line is line 1
    // Standard UTM gives every record the zone of its own position: the zones met, and
    // the first line whose zone differs from the first record's.
    const bool standardUtm = m_strIniFile.empty();
    std::uint64_t zonesMet = 0;
    int firstZone = 0;
    std::int32_t zoneChangeLine = 0;
    while (m_InFile.ReadLine(record)) {
        if (m_bCancel) { m_bCancelled = true; break; }
        ++lineNumber;
        m_nCharsRead += static_cast<std::uint32_t>(record.size());
        if (!HasContent(record)) { ++m_nSkippedLines; continue; }
        // Each record starts from zeros. Only the fields the decoder and the projection
        // write can differ from zero (the rest were zeroed with rec and nothing writes
        // them): resetting those eight is cheaper than clearing all 300 bytes, a
        // `rep stos` of notable start-up cost on every record.
        ClearDecodedFields(rec);
        DecodedFields decoded;
        DecodeLine(record, rec, decoded, nullptr);  // the header has its values
        const bool place = IsPlace(decoded, rec);
        m_nRecordLine = lineNumber;
        m_svRecordLat = decoded.latText;
        m_svRecordLon = decoded.lonText;
        bool placed = false;
        if (!place) {
            ReportRecordError("Invalid position.", "");
        } else if (standardUtm) {
            const double lon = zelto_detail::WrapLongitude(rec.X);
            const int zone = zelto_detail::UtmZoneOf(rec.Y, lon);
            zonesMet |= std::uint64_t{1} << zone;
            if (firstZone == 0) firstZone = zone;
            else if (zone != firstZone && zoneChangeLine == 0) zoneChangeLine = lineNumber;
            // What ConvertPosition does in standard UTM, with the zone just found.
            zelto_detail::UtmInZone(m_nEllipsoid, rec.Y, lon, zone, rec.Y, rec.X);
            placed = true;
        } else {
            placed = ConvertPosition(rec.Y, rec.X) == S_OK;
        }
        m_nRecordLine = 0;
        if (placed) {
            decoded.Fixed(DecodedFields::kEasting, rec.X);
            decoded.Fixed(DecodedFields::kNorthing, rec.Y);
        }
        char* const out = block.data() + filled;
        char* o = PutRecordFields(out, decoded);
        const std::int32_t sum = Checksum(std::string_view(out, static_cast<std::size_t>(o - out)));
        o = std::to_chars(o, out + kRecordMax, sum).ptr;
        *o++ = '\r';  // the line end is CR CR LF, as the suite reads it
        *o++ = '\r';
        *o++ = '\n';
        filled = static_cast<std::size_t>(o - block.data());
        if (filled >= kBlock) {
            if (!m_OutFile.WriteBytes(std::string_view(block.data(), filled)))
                return fail("Failed to write record to file.", m_strOutFile, SystemReason(errno));
            filled = 0;
        }
        ++m_nCSVRecords;
        Fire_SendPercentDone(static_cast<double>(m_nCharsRead) / static_cast<double>(m_nFileLength) * 100.0);
    }
    const bool written = filled == 0 || m_OutFile.WriteBytes(std::string_view(block.data(), filled));
    const int writeErrno = errno;
    // A read error must not pass for the end of a short survey.
    if (m_InFile.Failed()) return fail("Failed to parse CSV file.", m_strCSVFile, SystemReason(errno));
    if (!written) return fail("Failed to write record to file.", m_strOutFile, SystemReason(writeErrno));
    m_InFile.Close();
    errno = 0;
    if (!m_OutFile.Close()) {
        reason = SystemReason(errno);
        pending.Discard();
        return FailOutput("Failed to write record to file.", m_strOutFile, reason);
    }
    // A cancelled run's part takes the .EDT's place only where there was none.
    if (!pending.Commit(!m_bCancelled, m_bOutputKept, reason))
        return FailOutput("Failed to write record to file.", m_strOutFile, reason);
    if (m_nRecordErrors > kRecordErrorsReported) {
        const std::string text = "Invalid position. " + m_strCSVFile + ": " + Int(m_nRecordErrors - kRecordErrorsReported) +
                                 " further record(s) with a position that is invalid or that the projection refuses";
        SetConverterErrorInfo(text.c_str(), 0);
    }
    if (std::popcount(zonesMet) > 1) {
        std::string zones;
        for (int z = 1; z <= 60; ++z)
            if ((zonesMet >> z & 1u) != 0) zones += (zones.empty() ? "" : ", ") + Int(z);
        std::lock_guard<std::mutex> lock(m_errorLock);
        m_strWarning = "Warning: the records fall in UTM zones " + zones + "; the zone first changes at " +
                       m_strCSVFile + " line " + Int(zoneChangeLine) +
                       ". Each record is in the grid of its own zone; a project geodesy definition gives one fixed grid.";
    }
    m_bCancel = false;
    return S_OK;
}
