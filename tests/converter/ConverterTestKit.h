// Shared pieces of the converter tests: a message receiver that records what the
// converter posts, survey files of the worked record, a whole conversion with its
// outcome, a peer that reaches the protected reporting members, a reader of .EDT files
// that checks every record line's commas and checksum, and death-test children.
#ifndef ZELTO_TESTS_CONVERTER_KIT_H
#define ZELTO_TESTS_CONVERTER_KIT_H

#include "TempDir.h"
#include "ZeltoQvxConverter.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace kit {

// Records what the converter posts and runs a hook on each progress message
// (on the converting thread, as the dialog's window procedure would not).
class Recorder : public CConverterMessageWnd {
public:
    struct Msg { unsigned int id; std::uintptr_t w; std::intptr_t l; };
    void Post(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam) noexcept override {
        {
            std::lock_guard<std::mutex> lock(m);
            messages.push_back({message, wParam, lParam});
            if (message == WM_CONVERTERERROR && source != nullptr) {
                errors.emplace_back();
                source->GetLastError(errors.back());
            }
        }
        if (message == WM_PERCENTDONE && onProgress) onProgress();
    }
    int Count(unsigned int id) {
        std::lock_guard<std::mutex> lock(m);
        int n = 0;
        for (const auto& msg : messages) n += msg.id == id;
        return n;
    }
    // The percentage of the last progress message, -1 before the first.
    std::intptr_t LastPercent() {
        std::lock_guard<std::mutex> lock(m);
        for (auto it = messages.rbegin(); it != messages.rend(); ++it)
            if (it->id == WM_PERCENTDONE) return it->l;
        return -1;
    }
    std::mutex m;
    std::vector<Msg> messages;
    const CZeltoQvxConverter* source = nullptr;  // when set, each error's text is kept in `errors`
    std::vector<std::string> errors;
    std::function<void()> onProgress;
};

// A converter whose messages go to a recorder, as the dialog wires its window
// (the recorder outlives the converter).
template <typename Converter = CZeltoQvxConverter>
struct Wired {
    Wired() {
        c.put_AppMessageWnd(&rec);
        rec.source = &c;
    }
    Recorder rec;
    Converter c;
};

// Reaches the protected members the way a derived class of the library may.
class Peer : public CZeltoQvxConverter {
public:
    using CZeltoQvxConverter::ConvertPosString;
    using CZeltoQvxConverter::ConvertTime;
    using CZeltoQvxConverter::DoOpenFile;
    using CZeltoQvxConverter::Fire_SendPercentDone;
    using CZeltoQvxConverter::ParseCSVLine;
    using CZeltoQvxConverter::SetConverterErrorInfo;
    using CZeltoQvxConverter::WriteEDTLine;
    using CZeltoQvxConverter::WriteFileLine;
    using CZeltoQvxConverter::WriteLogFile;
    using CZeltoQvxConverter::m_OutFile;
};

// The .EDT path the converter derives from an input path.
inline std::string EdtPathFor(const std::string& csv) { return EdtPathForInput(csv); }

// Sum of the bytes of a text, each taken as a signed 8-bit number.
inline std::int32_t SignedSum(const std::string& s) {
    std::int32_t sum = 0;
    for (char c : s) sum += static_cast<signed char>(c);
    return sum;
}

// Splits an .EDT image into its 21 header lines and its record lines and checks
// the line ends, the EOH sum and every record's 38 commas and checksum. Returns
// the record texts (without checksum) or sets `problem`.
struct EdtImage {
    std::vector<std::string> header;
    std::vector<std::string> records;  // text up to and including the 38th comma
    std::string problem;
};

inline EdtImage ReadEdt(const std::string& bytes) {
    EdtImage img;
    std::size_t pos = 0;
    std::int64_t sum = 0;
    auto fail = [&](const std::string& why) { img.problem = why; return img; };
    if (bytes.empty()) return img;
    for (int i = 0; i < 20; ++i) {
        std::size_t e = bytes.find("\r\r\n", pos);
        if (e == std::string::npos) return fail("header line " + std::to_string(i + 1) + " not closed");
        img.header.push_back(bytes.substr(pos, e - pos));
        sum += SignedSum(img.header.back());
        pos = e + 3;
    }
    std::size_t e = bytes.find("\r\n", pos);
    if (e == std::string::npos) return fail("no EOH");
    img.header.push_back(bytes.substr(pos, e - pos));
    if (img.header.back() != "EOH " + std::to_string(static_cast<std::int32_t>(sum)))
        return fail("EOH sum: " + img.header.back());
    pos = e + 2;
    while (pos < bytes.size()) {
        e = bytes.find("\r\r\n", pos);
        if (e == std::string::npos) return fail("record line not closed");
        std::string line = bytes.substr(pos, e - pos);
        pos = e + 3;
        std::size_t last = line.rfind(',');
        if (last == std::string::npos) return fail("record without commas");
        std::string text = line.substr(0, last + 1);
        int commas = 0;
        for (char c : text) commas += c == ',';
        if (commas != 38) return fail("record with " + std::to_string(commas) + " commas");
        if (line.substr(last + 1) != std::to_string(SignedSum(text))) return fail("checksum of " + line);
        img.records.push_back(text);
    }
    return img;
}

// Field k (1..38) of a record text.
inline std::string Field(const std::string& record, int k) {
    std::size_t from = 0;
    for (int i = 1; i < k; ++i) from = record.find(',', from) + 1;
    return record.substr(from, record.find(',', from) - from);
}

inline const char kRecord[] =
    ",,12.30,12.80,,,,,,,,,,,,1.5,,,,,,,,,,,,,,,,N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3,"
    "W 117\xC2\xB0" "12\xE2\x80\xB2" "00.00\xE2\x80\xB3,,09/13/2011,16:58:03.25,7,,3.25,";
inline const char kRecordText[] =
    ",481266.08,3624529.36,16:58:03.000,12.30,,,,,,,0.50,,,,,,,,,,,7,,,,1.50,,,,3.25,,,,,,,,";

// A survey export: a title line and `records` copies of the worked record, each
// line ended by `eol`.
inline std::string Survey(int records, const std::string& eol = "\r\n") {
    std::string s = "titles" + eol;
    s.reserve(s.size() + static_cast<std::size_t>(records) * (sizeof kRecord - 1 + eol.size()));
    for (int i = 0; i < records; ++i) s += kRecord + eol;
    return s;
}

// The names in a folder, to show that nothing but the .EDT was written beside the input.
inline std::set<std::string> Listing(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    return names;
}

// What a whole conversion ended with: the status of the failing step (or of the
// write), the records written and the error text.
struct Outcome {
    long result = 0;
    int records = 0;
    int skipped = 0;  // blank lines
    std::string error;
    std::string warning;
};

// Reads and writes `csv` as the dialog does; `out` is handed to WriteQVXFile as given.
inline Outcome Convert(CZeltoQvxConverter& c, const std::string& csv, const std::string& out = "") {
    Outcome r;
    r.result = c.ReadZeltoFile(csv);
    if (r.result == S_OK) r.result = c.WriteQVXFile(out);
    r.records = c.get_CSVRecords();
    r.skipped = c.get_SkippedLines();
    c.GetLastError(r.error);
    c.GetLastWarning(r.warning);
    return r;
}

// In a death test's child: exits 0 when converting `csv` fails with one error message
// that starts with `text` (the sentence, or the sentence with its path and reason).
[[noreturn]] inline void ExitWhenConversionFails(const std::string& csv, const std::string& text) {
    Wired<> w;
    const Outcome r = Convert(w.c, csv);
    _exit(r.result == E_FAIL && r.error.starts_with(text) && w.rec.Count(WM_CONVERTERERROR) == 1 ? 0 : 1);
}

// The temporaries a conversion writes start with a full stop: none may be left in `dir`.
inline bool NoTemporaryLeft(const TempDir& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().filename().string().starts_with(".") && entry.path().filename().string().find(".EDT.") != std::string::npos)
            return false;
    return true;
}

// In a child: becomes nobody when run as root, who could read and write anything.
inline void BecomeOtherUser() {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
}

}  // namespace kit

#endif
