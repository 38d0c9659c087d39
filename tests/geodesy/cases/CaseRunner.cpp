// Geodesy cases as data: every tests/data/geodesy/**/*.cases file run through
// the exported C interface only. One line, one step; `#` starts a comment.
//
//   geodesy KEY=VALUE ...     a new handle from a record (fields left out are 0):
//                             a rf proj unit k0 lon0 lat0 north south skew fe fn
//   refuse CODE KEY=VALUE ... CreateGeodesy gives no handle and error CODE
//   names PROJ [ELLIPSOID]    the names GetGeodesyParams writes
//   tolerance VALUE UNIT [lat|lon]  gu (grid units), m mm um nm (metres), rad
//                             deg arcsec (latitude and longitude, or the one
//                             named; azimuths use the longitude's), ppm or 1
//                             (scale); each kind is kept apart
//   fwd LAT LON X Y           GeoXY              inv X Y LAT LON     XYGeo
//   rt LAT LON                GeoXY then XYGeo of its result gives LAT LON back
//   same LAT1 LON1 LAT2 LON2  GeoXY gives the same grid point for both
//   scale X Y K               Scale       scaleat LAT LON K  Scale at GeoXY's point
//   gcirc|rhumb LAT1 LON1 LAT2 LON2 S AZ   GCircLL / RLineLL (S grid units)
//   ecef LAT LON H X Y Z      GeoECEF            geo X Y Z LAT LON H  ECEFGeo
//   shift DX DY DZ SCALE RX RY RZ          SetEllDiff (rotations in arcsec)
//   wgs84|inv84 LAT LON H LAT' LON' H'     WGS84Conv / InvWGS84Conv in place
//   adjust TYPEWORD OX OY ROT SCALE SX SY  SetAdjustment (ROT an angle)
//   hconv|vconv V to|from W   HConvert / VConvert
//   name WHICH LANG TEXT      GetLocalName (TEXT may hold \xNN bytes; LANG - is null)
// Files, in a scratch folder that is the suite's directory (QVO_BRAMIX) for
// the whole run, so grids named in definitions come from its datum/ folder:
//   file NAME                 the lines after it that start with | (the bar and
//                             one blank taken off, \xNN a byte) are the file NAME
//   grid NAME COLS ROWS WEST DLON SOUTH DLAT V...  a grid file (degrees); each
//                             value V or V/DROW/DCOL, growing per row and column
//   cut NAME BYTES            the file cut to BYTES      remove NAME  the file deleted
//   poke NAME OFFSET i|f V    an int32 or float32 written at OFFSET (little-endian hosts)
//   load NAME [SECTION|-] [leaves CODE]  CreateFileGeodesy ([Geodesy] for -), the
//                             new handle, made with error CODE (default 0)
//   ellmodel NAME|-           SetEllModel   ellmodelname NAME|-  GetEllModel's path
//   elldiff DX DY DZ SCALE RX RY RZ        GetEllDiff (rotations in arcsec)
//   geoid NAME|- CORR         SetGeoid      geoidname NAME|- CORR  GetGeoid
//   und LAT LON N             Undulation: N is checked on failure as well
//   adjustment TYPEWORD OX OY ROT SCALE SX SY  GetAdjustment
//   ellconv|invellconv A RF LAT LON H LAT' LON' H'  EllConv / InvEllConv
//   record KEY=VALUE ...      the fields GetGeodesyParams gives
// Any step may end its inputs with `fails CODE` instead of its results: it
// must return failure with that error code and leave its outputs as they were.
// Angles are degrees (D, D:M or D:M:S; +-90 is exactly a pole) or radians
// with an `r` suffix; nan, inf and -inf are numbers too.
#include "GridWriter.h"
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kPi = std::numbers::pi, kDeg = kPi / 180.0, kSec = kDeg / 3600.0;

double Number(const std::string& s) {
    double v = 0;
    const char* b = s.data() + (s.rfind('+', 0) == 0);
    const auto r = std::from_chars(b, s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) throw std::runtime_error("not a number: " + s);
    return v;
}

double Angle(std::string s) {
    if (!s.empty() && s.back() == 'r') return Number(s.substr(0, s.size() - 1));
    const double sign = s.rfind('-', 0) == 0 ? (s.erase(0, 1), -1.0) : 1.0;
    double v = 0, div = 1;
    std::stringstream parts(s);
    for (std::string part; std::getline(parts, part, ':'); div *= 60) v += Number(part) / div;
    return sign * (v == 90 ? kPi / 2 : v * kDeg);
}

std::string Text(double v) {
    char buf[40];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// \xNN written as the byte.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3])))
            out += char(std::stoi(text.substr(i + 2, 2), nullptr, 16)), i += 3;
        else out += text[i];
    return out;
}

fs::path Scratch(const std::string& name) { return fs::path(std::getenv("QVO_BRAMIX")) / name; }
void WriteFile(const std::string& name, const std::string& bytes) {
    fs::create_directories(Scratch(name).parent_path());
    std::ofstream(Scratch(name), std::ios::binary) << bytes;
}
const char* OrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

// The record's fields in the order of GeodesyParams; lon0 to skew are angles.
constexpr const char* kKeys[] = {"a", "rf", "proj", "unit", "k0", "lon0", "lat0", "north", "south", "skew", "fe", "fn"};
using Fields = std::array<double, 12>;
Fields FieldsOf(const GeodesyParams& p) {
    return {p.a, p.invFlattening, double(p.projection), p.unit, p.scaleFactor, p.centralMeridian, p.refLatitude,
            p.northParallel, p.southParallel, p.skewAzimuth, p.falseEasting, p.falseNorthing};
}

class CaseFile {
public:
    explicit CaseFile(fs::path path) : path_(std::move(path)) {}
    ~CaseFile() { Close(); }

    int Run() {
        std::ifstream in(path_);
        std::string text;
        int steps = 0;
        while (std::getline(in, text)) {
            ++line_;
            if (text.rfind("file ", 0) == 0) {  // the | lines after it
                std::string name = text.substr(5), bytes;
                for (; in.peek() == '|' && std::getline(in, text); ++line_)
                    bytes += Unescaped(text.substr(text.size() > 1 && text[1] == ' ' ? 2 : 1)) + '\n';
                WriteFile(name, bytes);
                continue;
            }
            if (const auto hash = text.find('#'); hash != std::string::npos && text.rfind("name", 0) != 0) text.erase(hash);
            std::istringstream ws(text);
            words_.clear();
            for (std::string w; ws >> w;) words_.push_back(w);
            if (words_.empty()) continue;
            try {
                Step(text);
            } catch (const std::exception& e) {
                Fail(e.what());
            }
            ++steps;
        }
        return steps;
    }

private:
    void Fail(const std::string& what) { ADD_FAILURE_AT(path_.string().c_str(), line_) << what; }
    // The number after `word`, or `otherwise`.
    int After(const char* word, int otherwise) const {
        for (size_t i = 0; i + 1 < words_.size(); ++i)
            if (words_[i] == word) return int(Number(words_[i + 1]));
        return otherwise;
    }
    double L(size_t i) const { return Number(words_.at(i)); }
    double A(size_t i) const { return Angle(words_.at(i)); }
    uint32_t TypeWord() const { return uint32_t(std::stoul(words_.at(1), nullptr, 0)); }
    double GridTol() const { return tol_.gridUnits ? tol_.length : tol_.length / unit_; }
    // A scratch path for word i, or "" for -.
    std::string PathOf(size_t i) const { return words_.at(i) == "-" ? "" : Scratch(words_[i]).string(); }

    void Near(const char* what, double got, double want, double tol) {
        if (std::isnan(want) ? !std::isnan(got) : !(std::fabs(got - want) <= tol))
            Fail(std::string(what) + ": got " + Text(got) + ", want " + Text(want) + " within " + Text(tol));
    }
    void Same(const char* what, double got, double want) { Near(what, got, want, std::fabs(want) * 1e-15); }
    void Lat(double got, size_t i) { Near("latitude", got, A(i), tol_.lat); }
    void Lon(double got, size_t i) { Near("longitude", std::remainder(got - A(i), 2 * kPi), 0, tol_.lon); }
    void Metres(const char* what, double got, size_t i) { Near(what, got, L(i), tol_.length); }
    void Result(int ok, int code) {
        const int err = GetGeodesyError();
        if (code >= 0 ? (ok != 0 || err != code) : (ok == 0 || err != 0))
            Fail("want error " + std::to_string(std::max(code, 0)) + ", got return " + std::to_string(ok) + " error " +
                 std::to_string(err));
    }
    // Result of a call that writes `out`: whether it succeeded as it should. On an
    // expected failure the outputs must be as they were.
    template <size_t N>
    bool Wrote(int ok, int code, const std::array<double, N>& before, const std::array<double, N>& out) {
        Result(ok, code);
        if (code >= 0 && std::memcmp(before.data(), out.data(), sizeof out) != 0) Fail("outputs written on failure");
        return code < 0;
    }

    void Close() { h_ = h_ ? (DestroyGeodesy(h_), nullptr) : nullptr; }

    // The KEY=VALUE words from `from` on as a record, and which keys were given.
    GeodesyParams Record(size_t from, std::array<bool, 12>* given = nullptr) {
        Fields f{};
        for (size_t i = from; i < words_.size(); ++i) {
            const auto eq = words_[i].find('=');
            const std::string k = words_[i].substr(0, eq), v = eq == std::string::npos ? "" : words_[i].substr(eq + 1);
            const auto at = size_t(std::find(std::begin(kKeys), std::end(kKeys), k) - std::begin(kKeys));
            if (at == 12 || eq == std::string::npos) throw std::runtime_error("not a field: " + words_[i]);
            f[at] = at >= 5 && at <= 9 ? Angle(v) : Number(v);
            if (given) (*given)[at] = true;
        }
        return {f[0], f[1], int32_t(f[2]), f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11]};
    }

    void Tolerance() {
        // unit: what it bounds (m metres, g grid units, a angles, s scale) and its size
        static const std::map<std::string, std::pair<char, double>> units = {
            {"m", {'m', 1}}, {"mm", {'m', 1e-3}}, {"um", {'m', 1e-6}}, {"nm", {'m', 1e-9}}, {"gu", {'g', 1}}, {"rad", {'a', 1}},
            {"deg", {'a', kDeg}}, {"arcsec", {'a', kSec}}, {"ppm", {'s', 1e-6}}, {"1", {'s', 1}}};
        const auto unit = units.find(words_.at(2));
        if (unit == units.end()) throw std::runtime_error("unknown unit " + words_[2]);
        const auto [kind, size] = unit->second;
        const double v = L(1) * size;
        const std::string which = words_.size() > 3 ? words_[3] : "";
        if (kind == 'm' || kind == 'g') tol_.length = v, tol_.gridUnits = kind == 'g';
        if (kind == 's') tol_.scale = v;
        if (kind == 'a' && which != "lon") tol_.lat = v;
        if (kind == 'a' && which != "lat") tol_.lon = v;
    }

    void Grid() {
        GridSpec g;
        g.cols = int32_t(L(2)), g.rows = int32_t(L(3)), g.values = int32_t(words_.size() - 8);
        g.west = float(L(4)), g.lonSpacing = float(L(5)), g.south = float(L(6)), g.latSpacing = float(L(7));
        std::vector<std::array<double, 3>> v;  // value, per row, per column
        for (size_t i = 8; i < words_.size(); ++i) {
            std::array<double, 3> t{};
            std::stringstream parts(words_[i]);
            int k = 0;
            for (std::string part; k < 3 && std::getline(parts, part, '/'); ++k) t[size_t(k)] = Number(part);
            v.push_back(t);
        }
        g.value = [v](int32_t r, int32_t c, int32_t k) { return float(v[size_t(k)][0] + v[size_t(k)][1] * r + v[size_t(k)][2] * c); };
        WriteFile(words_[1], GridBytes(g));
    }

    void Load(int code) {
        Close();
        const bool section = words_.size() > 2 && words_[2] != "fails" && words_[2] != "leaves" && words_[2] != "-";
        h_ = CreateFileGeodesy(OrNull(PathOf(1)), section ? words_[2].c_str() : nullptr);
        const int err = GetGeodesyError(), leaves = After("leaves", 0);  // the error a usable handle is made with
        if (code >= 0 ? (h_ || err != code) : (!h_ || err != leaves))
            Fail(std::string("handle ") + (h_ ? "made" : "not made") + ", error " + std::to_string(err));
        if (code >= 0) Close();
        GeodesyParams back{};
        if (h_) GetGeodesyParams(h_, &back, nullptr, nullptr), unit_ = back.unit;
    }

    // Lat, lon and height at words from `at` through a conversion in place; "-"
    // for the height passes none (a height of 0); the results follow.
    template <typename F>
    void InPlace(size_t at, int code, F convert) {
        const bool noHeight = words_.at(at + 2) == "-";
        std::array<double, 3> v{A(at), A(at + 1), noHeight ? 0.0 : L(at + 2)};
        const auto before = v;
        if (!Wrote(convert(&v[0], &v[1], noHeight ? nullptr : &v[2]), code, before, v)) return;
        Lat(v[0], at + 3), Lon(v[1], at + 4);
        if (!noHeight) Metres("height", v[2], at + 5);
    }

    void Step(const std::string& text) {
        const std::string& op = words_[0];
        const int code = After("fails", -1);
        if (op == "geodesy") {
            Close();
            const GeodesyParams p = Record(1);
            unit_ = p.unit;
            if (!(h_ = CreateGeodesy(&p))) Fail("no handle, error " + std::to_string(GetGeodesyError()));
        } else if (op == "refuse") {
            const GeodesyParams p = Record(2);
            GEODESY h = CreateGeodesy(&p);
            const int err = GetGeodesyError();
            if (h) DestroyGeodesy(h), Fail("a handle was made");
            if (err != int(L(1))) Fail("error " + std::to_string(err));
        } else if (op == "tolerance") {
            Tolerance();
        } else if (op == "grid") {
            Grid();
        } else if (op == "poke") {  // a header field changed in place: int32 (i) or float32 (f)
            std::fstream f(Scratch(words_.at(1)), std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(std::streamoff(L(2)));
            const int32_t i = int32_t(L(4));
            const float v = float(L(4));
            f.write(words_.at(3) == "i" ? reinterpret_cast<const char*>(&i) : reinterpret_cast<const char*>(&v), 4);
        } else if (op == "cut") {
            fs::resize_file(Scratch(words_.at(1)), std::uintmax_t(L(2)));
        } else if (op == "remove") {
            fs::remove(Scratch(words_.at(1)));
        } else if (op == "load") {
            Load(code);
        } else if (!h_) {
            throw std::runtime_error("no handle for this step");
        } else if (op == "names") {
            GeodesyParams back{};
            char ell[64] = {}, proj[8] = {};
            Result(GetGeodesyParams(h_, &back, ell, proj), -1);
            if (words_.at(1) != proj) Fail(std::string("projection name ") + proj);
            if (words_.size() > 2 && text.substr(text.find(words_[2])) != ell) Fail(std::string("ellipsoid name ") + ell);
        } else if (op == "fwd" || op == "rt") {
            std::array<double, 2> xy{1.5, 2.5};
            if (!Wrote(GeoXY(h_, &xy[0], &xy[1], A(1), A(2)), code, {1.5, 2.5}, xy)) return;
            if (op == "fwd") return Near("x", xy[0], L(3), GridTol()), Near("y", xy[1], L(4), GridTol());
            double lat = 0, lon = 0;
            Result(XYGeo(h_, xy[0], xy[1], &lat, &lon), -1);
            Lat(lat, 1), Lon(lon, 2);
        } else if (op == "same") {
            double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            Result(GeoXY(h_, &x1, &y1, A(1), A(2)), -1);
            Result(GeoXY(h_, &x2, &y2, A(3), A(4)), -1);
            Near("x", x2, x1, GridTol()), Near("y", y2, y1, GridTol());
        } else if (op == "inv") {
            std::array<double, 2> ll{1.5, 2.5};
            if (Wrote(XYGeo(h_, L(1), L(2), &ll[0], &ll[1]), code, {1.5, 2.5}, ll))
                Near("latitude", ll[0], A(3), tol_.lat), Near("longitude", ll[1], A(4), tol_.lon);
        } else if (op == "scale" || op == "scaleat") {
            double x = L(1), y = L(2);
            if (op == "scaleat" && GeoXY(h_, &x, &y, A(1), A(2)) == 0) return Fail("the station is refused");
            const double k = Scale(h_, x, y);
            if (const int err = GetGeodesyError(); err != std::max(code, 0)) Fail("error " + std::to_string(err));
            else if (code < 0) Near("scale", k, L(3), tol_.scale);
        } else if (op == "gcirc" || op == "rhumb") {
            double az = 0;
            const double s = (op == "gcirc" ? GCircLL : RLineLL)(h_, A(1), A(2), A(3), A(4), &az);
            Result(1, -1);
            Near("length", s, L(5), GridTol());
            Near("azimuth", std::remainder(az - A(6), 2 * kPi), 0, tol_.lon);
        } else if (op == "ecef") {
            std::array<double, 3> v{1.5, 2.5, 3.5};
            if (Wrote(GeoECEF(h_, &v[0], &v[1], &v[2], A(1), A(2), L(3)), code, {1.5, 2.5, 3.5}, v))
                Metres("X", v[0], 4), Metres("Y", v[1], 5), Metres("Z", v[2], 6);
        } else if (op == "geo") {
            std::array<double, 3> v{1.5, 2.5, 3.5};
            if (Wrote(ECEFGeo(h_, L(1), L(2), L(3), &v[0], &v[1], &v[2]), code, {1.5, 2.5, 3.5}, v))
                Near("latitude", v[0], A(4), tol_.lat), Near("longitude", v[1], A(5), tol_.lon), Metres("height", v[2], 6);
        } else if (op == "wgs84" || op == "inv84") {
            InPlace(1, code, [&](double* la, double* lo, double* hg) { return (op == "wgs84" ? WGS84Conv : InvWGS84Conv)(h_, la, lo, hg); });
        } else if (op == "ellconv" || op == "invellconv") {
            InPlace(3, code, [&](double* la, double* lo, double* hg) {
                return (op == "ellconv" ? EllConv : InvEllConv)(h_, la, lo, hg, L(1), 1 / L(2));
            });
        } else if (op == "shift") {
            const EllDiffParams d{L(1), L(2), L(3), L(4), L(5) * kSec, L(6) * kSec, L(7) * kSec};
            Result(SetEllDiff(h_, &d), code);
        } else if (op == "elldiff") {
            EllDiffParams d{};
            Result(GetEllDiff(h_, &d), -1);
            const double got[7] = {d.dx, d.dy, d.dz, d.scale, d.rx, d.ry, d.rz};
            for (size_t i = 0; i < 7; ++i) Same("datum shift", got[i], L(i + 1) * (i >= 4 ? kSec : 1));
        } else if (op == "adjust") {
            const AdjustParams a{TypeWord(), L(2), L(3), A(4), L(5), L(6), L(7)};
            Result(SetAdjustment(h_, &a), code);
        } else if (op == "adjustment") {
            AdjustParams a{};
            Result(GetAdjustment(h_, &a), -1);
            if (a.typeWord != TypeWord()) Fail("type word " + std::to_string(a.typeWord));
            const double got[6] = {a.originX, a.originY, a.rotation, a.scale, a.shiftX, a.shiftY};
            for (size_t i = 0; i < 6; ++i) Same("adjustment", got[i], i == 2 ? A(4) : L(i + 2));
        } else if (op == "ellmodel" || op == "geoid") {
            Result(op == "geoid" ? SetGeoid(h_, OrNull(PathOf(1)), L(2)) : SetEllModel(h_, OrNull(PathOf(1))), code);
        } else if (op == "ellmodelname" || op == "geoidname") {
            char buf[512] = "junk";
            double corr = -99;
            Result(op == "geoidname" ? GetGeoid(h_, buf, sizeof buf, &corr) : GetEllModel(h_, buf, sizeof buf), -1);
            if (PathOf(1) != buf) Fail(std::string("path ") + buf);
            if (op == "geoidname") Same("correction", corr, L(2));
        } else if (op == "und") {
            double n = -99;
            Result(Undulation(h_, A(1), A(2), &n), code);
            Metres("undulation", n, 3);
        } else if (op == "record") {
            GeodesyParams p{};
            Result(GetGeodesyParams(h_, &p, nullptr, nullptr), -1);
            std::array<bool, 12> given{};
            const Fields got = FieldsOf(p), want = FieldsOf(Record(1, &given));
            for (size_t k = 0; k < 12; ++k)
                if (given[k]) Same(kKeys[k], got[k], want[k]);
        } else if (op == "hconv" || op == "vconv") {
            double v = L(1);
            Result((op == "hconv" ? HConvert : VConvert)(h_, &v, words_.at(2) == "to"), code);
            if (code < 0) Same("value", v, L(3));
        } else if (op == "name") {
            char buf[64] = "junk";
            const std::string& lang = words_.at(2);  // - for a null language, "" for an empty one
            Result(GetLocalName(h_, int32_t(L(1)), lang == "-" ? nullptr : lang == "\"\"" ? "" : lang.c_str(), buf, sizeof buf),
                   code);
            if (code >= 0) return buf[0] == 0 ? void() : Fail("buffer not emptied");
            // the rest of the line after LANG
            const size_t at = text.find(lang, text.find(words_[1]) + words_[1].size()) + lang.size() + 1;
            if (Unescaped(text.substr(std::min(at, text.size()))) != buf) Fail(std::string("name \"") + buf + "\"");
        } else {
            throw std::runtime_error("unknown step " + op);
        }
    }

    fs::path path_;
    int line_ = 0;
    std::vector<std::string> words_;
    GEODESY h_ = nullptr;
    double unit_ = 1;
    struct {
        double length = 0, lat = 0, lon = 0, scale = 0;  // lat, lon: angles
        bool gridUnits = false;  // length given in grid units, not metres
    } tol_;
};

std::vector<std::string> CaseFiles() {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(GEODESY_CASES_DIR))
        if (e.path().extension() == ".cases") files.push_back(fs::relative(e.path(), GEODESY_CASES_DIR).string());
    std::sort(files.begin(), files.end());
    return files;
}

// One scratch folder for the run, set up on first use: the install folder is
// read once per process.
void UseScratchFolder() {
    static const TempDir dir;
    static const int set = (fs::create_directories(dir.path() / "datum"), ::setenv("QVO_BRAMIX", dir.path().c_str(), 1));
    (void)set;
}

class GeodesyCases : public ::testing::TestWithParam<std::string> {};

TEST_P(GeodesyCases, EveryLineHolds) {
    UseScratchFolder();
    // Every case under a decimal-comma locale where there is one: numbers in
    // files and results must not depend on it.
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_GT(CaseFile(fs::path(GEODESY_CASES_DIR) / GetParam()).Run(), 0) << "an empty case file";
}

INSTANTIATE_TEST_SUITE_P(Files, GeodesyCases, ::testing::ValuesIn(CaseFiles()), [](const auto& file) {
    std::string n = file.param.substr(0, file.param.size() - 6);
    std::replace_if(n.begin(), n.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return n;
});

}  // namespace
