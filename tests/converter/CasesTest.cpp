// Whole conversions as data: every NAME.case of the case folder names its input
// (NAME.in, converted as NAME.csv), its expected .EDT bytes (NAME.EDT, or another case's, or none) and
// its outcome. Keys, one per line ("#" starts a comment):
//   ellipsoid = ROW        (default 23, WGS-84)      definition = FILE.geodesy
//   result = ok | fail     records = N               skipped = N (blank lines)
//   edt = FILE.EDT | none  warning = TEXT
//   error = TEXT           (each, in order: the first errors posted)
//   errors = N             (errors posted; default: the number of error lines)
//   last_error = TEXT      ({csv} stands for the input's path)
// Each case is converted by an object that has just converted another survey (so
// nothing may carry over), and again under a comma-decimal locale, replacing the first
// .EDT: same bytes, no descriptor left open.
// ZELTO_UPDATE_GOLDEN=1 writes the .EDT files from this build instead.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>

namespace {

namespace fs = std::filesystem;
const fs::path kCases = ZELTO_CONVERTER_CASES;

struct Case {
    std::string name;
    std::multimap<std::string, std::string> keys;
    std::string Get(const std::string& key, const std::string& fallback = "") const {
        auto it = keys.find(key);
        return it == keys.end() ? fallback : it->second;
    }
};

std::vector<Case> ReadCases() {
    std::set<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kCases))
        if (entry.path().extension() == ".case") files.insert(entry.path());
    std::vector<Case> cases;
    for (const fs::path& file : files) {
        Case& c = cases.emplace_back(Case{file.stem().string(), {}});
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            if (const auto eq = line.find(" = "); !line.starts_with("#") && eq != std::string::npos)
                c.keys.emplace(line.substr(0, eq), line.substr(eq + 3));
    }
    return cases;
}

class ConverterCases : public testing::TestWithParam<Case> {};

TEST_P(ConverterCases, ConvertsAsRecorded) {
    const Case& k = GetParam();
    TempDir dir;
    const std::string csv = dir.file(k.name + ".csv"), edt = EdtPathForInput(csv);
    auto expand = [&](std::string text) {
        for (auto at = text.find("{csv}"); at != std::string::npos; at = text.find("{csv}", at)) text.replace(at, 5, csv);
        return text;
    };
    fs::copy_file(kCases / (k.name + ".in"), csv);
    const std::string ini = k.keys.count("definition") ? (kCases / k.Get("definition")).string() : "";
    auto convert = [&](kit::Wired<>& w) {
        EXPECT_EQ(w.c.put_EllipsoidToUse(std::stol(k.Get("ellipsoid", "23"))), S_OK);
        EXPECT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), S_OK);
        w.rec.errors.clear();
        return kit::Convert(w.c, csv);
    };
    kit::Wired<> w;
    const int descriptors = kit::OpenDescriptors();
    ASSERT_EQ(kit::Convert(w.c, dir.write("before.csv", kit::Survey(2))).result, S_OK);
    const kit::Outcome r = convert(w);
    EXPECT_EQ(r.result, k.Get("result", "ok") == "ok" ? S_OK : E_FAIL) << r.error;
    EXPECT_EQ(r.records, std::stoi(k.Get("records", "0")));
    EXPECT_EQ(r.skipped, std::stoi(k.Get("skipped", "0")));
    EXPECT_EQ(r.warning, expand(k.Get("warning")));
    std::vector<std::string> want;
    for (auto [it, to] = k.keys.equal_range("error"); it != to; ++it) want.push_back(expand(it->second));
    const auto& got = w.rec.errors;
    EXPECT_EQ(got.size(), std::stoul(k.Get("errors", std::to_string(want.size()))));
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + std::min(got.size(), want.size())), want);
    if (k.keys.count("last_error") && !got.empty()) {
        EXPECT_EQ(got.back(), expand(k.Get("last_error")));
    }
    const std::string golden = k.Get("edt", k.name + ".EDT"), bytes = TempDir::read(edt);
    if (golden == "none") {
        EXPECT_FALSE(fs::exists(edt));
    } else if (std::getenv("ZELTO_UPDATE_GOLDEN")) {
        fs::copy_file(edt, kCases / golden, fs::copy_options::overwrite_existing);
        for (const auto& e : got) std::cout << "error = " << e << "\n";
    } else {
        EXPECT_EQ(kit::ReadEdt(bytes).problem, "");
        EXPECT_TRUE(bytes == TempDir::read((kCases / golden).string())) << "differs from " << golden;
        if (std::setlocale(LC_ALL, "de_DE.UTF-8")) {
            kit::Wired<> again;
            convert(again);
            std::setlocale(LC_ALL, "C");
            EXPECT_TRUE(TempDir::read(edt) == bytes) << "another locale, other bytes";
        }
    }
    EXPECT_TRUE(kit::NoTemporaryLeft(dir));
    EXPECT_EQ(kit::OpenDescriptors(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(Files, ConverterCases, testing::ValuesIn(ReadCases()),
                         [](const testing::TestParamInfo<Case>& p) { return p.param.name; });

}  // namespace
