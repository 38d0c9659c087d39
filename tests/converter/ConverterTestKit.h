// Shared pieces of the converter tests: a message receiver that records what the
// converter posts, a peer that reaches the protected members, survey files of the
// worked record, a whole conversion with its outcome, a reader of .EDT files that
// checks every line end, record comma and checksum, and death-test children.
#ifndef ZELTO_TESTS_CONVERTER_KIT_H
#define ZELTO_TESTS_CONVERTER_KIT_H

#include "TempDir.h"
#include "ZeltoQvxConverter.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace kit {

// Records what the converter posts (with each error's text when `source` is set) and
// runs `onProgress` on each progress message, on the converting thread.
class Recorder : public CConverterMessageWnd {
public:
    struct Msg { unsigned int id; std::uintptr_t w; std::intptr_t l; };
    void Post(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam) noexcept override {
        {
            std::lock_guard<std::mutex> lock(m);
            messages.push_back({message, wParam, lParam});
            if (message == WM_CONVERTERERROR && source != nullptr) source->GetLastError(errors.emplace_back());
        }
        if (message == WM_PERCENTDONE && onProgress) onProgress();
    }
    std::mutex m;
    std::vector<Msg> messages;
    const CZeltoQvxConverter* source = nullptr;
    std::vector<std::string> errors;
    std::function<void()> onProgress;
};

// Reaches the protected members the way a derived class of the library may.
class Peer : public CZeltoQvxConverter {
public:
    using CZeltoQvxConverter::ConvertPosition;
    using CZeltoQvxConverter::ConvertPosString;
    using CZeltoQvxConverter::ConvertTime;
    using CZeltoQvxConverter::DoOpenFile;
    using CZeltoQvxConverter::Fire_SendPercentDone;
    using CZeltoQvxConverter::m_OutFile;
    using CZeltoQvxConverter::ParseCSVLine;
    using CZeltoQvxConverter::SetConverterErrorInfo;
    using CZeltoQvxConverter::TestBramixGeodesy;
    using CZeltoQvxConverter::WriteEDTLine;
    using CZeltoQvxConverter::WriteFileLine;
    using CZeltoQvxConverter::WriteLogFile;
    GEODESY Handle() const { return m_hGeodesy; }
    std::string LastError() const {
        std::string t;
        GetLastError(t);
        return t;
    }
};

// A converter whose messages go to a recorder, as the dialog wires its window.
template <typename Converter = CZeltoQvxConverter>
struct Wired {
    Wired() { c.put_AppMessageWnd(&rec), rec.source = &c; }
    Recorder rec;
    Converter c;
};

// Sum of the bytes of a text, each taken as a signed 8-bit number.
inline std::int32_t SignedSum(const std::string& s) {
    std::int32_t sum = 0;
    for (char c : s) sum += static_cast<signed char>(c);
    return sum;
}

// An .EDT image: 20 header lines ended by CR CR LF, "EOH <signed sum>" ended by CR LF,
// then records of 38 commas and their signed checksum, ended by CR CR LF. Gives the
// record texts up to the 38th comma, or what is wrong in `problem`.
struct EdtImage {
    std::vector<std::string> records;
    std::string problem;
};

inline EdtImage ReadEdt(const std::string& bytes) {
    EdtImage img;
    std::size_t pos = 0;
    std::int32_t sum = 0;
    for (int i = 0; i < 20 && !bytes.empty(); ++i) {
        const std::size_t e = bytes.find("\r\r\n", pos);
        if (e == std::string::npos) return img.problem = "header line not closed", img;
        sum += SignedSum(bytes.substr(pos, e - pos));
        pos = e + 3;
    }
    const std::string eoh = "EOH " + std::to_string(sum) + "\r\n";
    if (!bytes.empty() && bytes.compare(pos, eoh.size(), eoh) != 0) return img.problem = "EOH", img;
    for (pos += bytes.empty() ? 0 : eoh.size(); pos < bytes.size();) {
        const std::size_t e = bytes.find("\r\r\n", pos);
        const std::string line = bytes.substr(pos, e - pos);
        const std::size_t last = line.rfind(',');
        const std::string text = line.substr(0, last + 1);
        if (e == std::string::npos || last == std::string::npos || std::count(text.begin(), text.end(), ',') != 38 ||
            line.substr(last + 1) != std::to_string(SignedSum(text)))
            return img.problem = "bad record line: " + line, img;
        img.records.push_back(text);
        pos = e + 3;
    }
    return img;
}

// The worked harbour record and the record text it gives.
inline const char kRecord[] =
    ",,12.30,12.80,,,,,,,,,,,,1.5,,,,,,,,,,,,,,,,N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3,"
    "W 117\xC2\xB0" "12\xE2\x80\xB2" "00.00\xE2\x80\xB3,,09/13/2011,16:58:03.25,7,,3.25,";
inline const char kRecordText[] =
    ",481266.08,3624529.36,16:58:03.000,12.30,,,,,,,0.50,,,,,,,,,,,7,,,,1.50,,,,3.25,,,,,,,,";

// A survey export: a title line and `records` worked records, each line ended by `eol`.
inline std::string Survey(int records, const std::string& eol = "\r\n") {
    std::string s = "titles" + eol;
    for (int i = 0; i < records; ++i) s += kRecord + eol;
    return s;
}

// The names in a folder, to show that nothing but the .EDT was written beside the input.
inline std::set<std::string> Listing(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
    return names;
}

// The temporaries a conversion writes are named ".NAME.EDT.*": none may be left.
inline bool NoTemporaryLeft(const TempDir& dir) {
    for (const std::string& name : Listing(dir))
        if (name.starts_with(".") && name.find(".EDT.") != std::string::npos) return false;
    return true;
}

// Descriptors the process has open (Linux; 0 elsewhere): a conversion leaves as many as it found.
inline int OpenDescriptors() {
    std::error_code ec;
    int n = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) ++n;
    return n;
}

// What a whole conversion ended with: the status of the failing step (or of the
// write), the records written, the blank lines skipped and the texts.
struct Outcome {
    long result = 0;
    int records = 0, skipped = 0;
    std::string error, warning;
};

// Reads and writes `csv` as the dialog does.
inline Outcome Convert(CZeltoQvxConverter& c, const std::string& csv) {
    Outcome r;
    r.result = c.ReadZeltoFile(csv);
    if (r.result == S_OK) r.result = c.WriteQVXFile("");
    r.records = c.get_CSVRecords();
    r.skipped = c.get_SkippedLines();
    c.GetLastError(r.error);
    c.GetLastWarning(r.warning);
    return r;
}

// In a death test's child: exits 0 when converting `csv` fails with one error message
// that starts with `text`.
[[noreturn]] inline void ExitWhenConversionFails(const std::string& csv, const std::string& text) {
    Wired<> w;
    const Outcome r = Convert(w.c, csv);
    _exit(r.result == E_FAIL && r.error.starts_with(text) && w.rec.errors.size() == 1 ? 0 : 1);
}

// In a child: becomes nobody when run as root, who could read and write anything.
inline void BecomeOtherUser() {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
}

}  // namespace kit

#endif
