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
//   name WHICH LANG TEXT      GetLocalName (TEXT may hold \xNN bytes)
// Any step may end its inputs with `fails CODE` instead of its results: it
// must return failure with that error code and leave its outputs as they were.
// Angles are degrees (D, D:M or D:M:S; +-90 is exactly a pole) or radians
// with an `r` suffix; nan, inf and -inf are numbers too.
#include "vortan.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

double Number(const std::string& s) {
    double v = 0;
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    const auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e) throw std::runtime_error("not a number: " + s);
    return v;
}

double Angle(std::string s) {
    if (!s.empty() && s.back() == 'r') return Number(s.substr(0, s.size() - 1));
    double sign = 1, v = 0, div = 1;
    if (!s.empty() && s[0] == '-') sign = -1, s.erase(0, 1);
    std::stringstream parts(s);
    for (std::string part; std::getline(parts, part, ':'); div *= 60) v += Number(part) / div;
    if (v == 90) return sign * std::numbers::pi / 2;
    return sign * v * kDeg;
}

struct Tolerances {
    double length = 0, lat = 0, lon = 0, scale = 0;  // lat, lon: angles
    bool gridUnits = false;  // length given in grid units, not metres
};

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
            if (const auto hash = text.find('#'); hash != std::string::npos && text.rfind("name", 0) != 0)
                text.erase(hash);
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
    void Fail(const std::string& what) {
        ADD_FAILURE_AT(path_.string().c_str(), line_) << what << "\n  in: " << Joined();
    }
    std::string Joined() const {
        std::string s;
        for (const auto& w : words_) s += w + ' ';
        return s;
    }
    // The index of "fails" and the code after it, or -1.
    int ExpectedCode() const {
        for (size_t i = 0; i + 1 < words_.size(); ++i)
            if (words_[i] == "fails") return int(Number(words_[i + 1]));
        return -1;
    }
    void Need(size_t n) const {
        if (words_.size() < n) throw std::runtime_error("too few values");
    }
    double L(size_t i) const { return Number(words_.at(i)); }
    double A(size_t i) const { return Angle(words_.at(i)); }
    double GridTol() const { return tol_.gridUnits ? tol_.length : tol_.length / unit_; }

    void Near(const char* what, double got, double want, double tol) {
        if (std::isnan(want) ? !std::isnan(got) : !(std::fabs(got - want) <= tol))
            Fail(std::string(what) + ": got " + Text(got) + ", want " + Text(want) + " within " + Text(tol));
    }
    static std::string Text(double v) {
        char buf[40];
        return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    }
    void Result(int ok, int code) {
        const int err = GetGeodesyError();
        if (code >= 0) {
            if (ok != 0 || err != code) Fail("want failure " + std::to_string(code) + ", got return " +
                                             std::to_string(ok) + " error " + std::to_string(err));
        } else if (ok == 0 || err != 0) {
            Fail("failed with error " + std::to_string(err));
        }
    }
    void Untouched(const std::vector<double>& before, const std::vector<double>& after) {
        for (size_t i = 0; i < before.size(); ++i)
            if (std::memcmp(&before[i], &after[i], sizeof(double)) != 0) Fail("output " + std::to_string(i) + " written on failure");
    }
    void Close() {
        if (h_) DestroyGeodesy(h_);
        h_ = nullptr;
    }

    GeodesyParams Record(size_t from) {
        GeodesyParams p{};
        for (size_t i = from; i < words_.size(); ++i) {
            const auto eq = words_[i].find('=');
            if (eq == std::string::npos) throw std::runtime_error("not KEY=VALUE: " + words_[i]);
            const std::string k = words_[i].substr(0, eq), v = words_[i].substr(eq + 1);
            if (k == "a") p.a = Number(v);
            else if (k == "rf") p.invFlattening = Number(v);
            else if (k == "proj") p.projection = int32_t(Number(v));
            else if (k == "unit") p.unit = Number(v);
            else if (k == "k0") p.scaleFactor = Number(v);
            else if (k == "lon0") p.centralMeridian = Angle(v);
            else if (k == "lat0") p.refLatitude = Angle(v);
            else if (k == "north") p.northParallel = Angle(v);
            else if (k == "south") p.southParallel = Angle(v);
            else if (k == "skew") p.skewAzimuth = Angle(v);
            else if (k == "fe") p.falseEasting = Number(v);
            else if (k == "fn") p.falseNorthing = Number(v);
            else throw std::runtime_error("unknown field " + k);
        }
        return p;
    }

    void Step(const std::string& text) {
        const std::string& op = words_[0];
        const int code = ExpectedCode();
        if (op == "geodesy") {
            Close();
            const GeodesyParams p = Record(1);
            unit_ = p.unit;
            h_ = CreateGeodesy(&p);
            if (!h_) Fail("no handle, error " + std::to_string(GetGeodesyError()));
            return;
        }
        if (op == "refuse") {
            const GeodesyParams p = Record(2);
            GEODESY h = CreateGeodesy(&p);
            const int err = GetGeodesyError();
            if (h) DestroyGeodesy(h), Fail("a handle was made");
            if (err != int(L(1))) Fail("error " + std::to_string(err));
            return;
        }
        if (op == "tolerance") {
            Need(3);
            const double v = L(1);
            const std::string& u = words_[2];
            if (u == "gu") tol_.length = v, tol_.gridUnits = true;
            else if (u == "m" || u == "mm" || u == "um" || u == "nm")
                tol_.length = v / (u == "m" ? 1 : u == "mm" ? 1e3 : u == "um" ? 1e6 : 1e9), tol_.gridUnits = false;
            else if (u == "rad" || u == "deg" || u == "arcsec") {
                const double a = v * (u == "rad" ? 1 : u == "deg" ? kDeg : kDeg / 3600);
                const std::string which = words_.size() > 3 ? words_[3] : "";
                if (which != "lon") tol_.lat = a;
                if (which != "lat") tol_.lon = a;
            }
            else if (u == "ppm") tol_.scale = v * 1e-6;
            else if (u == "1") tol_.scale = v;
            else throw std::runtime_error("unknown unit " + u);
            return;
        }
        if (!h_) throw std::runtime_error("no handle for this step");
        if (op == "names") {
            GeodesyParams back{};
            char ell[64] = {}, proj[8] = {};
            Result(GetGeodesyParams(h_, &back, ell, proj), -1);
            if (words_.at(1) != proj) Fail(std::string("projection name ") + proj);
            if (words_.size() > 2 && text.substr(text.find(words_[2])) != ell) Fail(std::string("ellipsoid name ") + ell);
        } else if (op == "fwd" || op == "rt") {
            double x = 1.5, y = 2.5;
            const int ok = GeoXY(h_, &x, &y, A(1), A(2));
            Result(ok, code);
            if (code >= 0) return Untouched({1.5, 2.5}, {x, y});
            if (op == "fwd") {
                Near("x", x, L(3), GridTol());
                Near("y", y, L(4), GridTol());
                return;
            }
            double lat = 0, lon = 0;
            Result(XYGeo(h_, x, y, &lat, &lon), -1);
            Near("latitude", lat, A(1), tol_.lat);
            Near("longitude", std::remainder(lon - A(2), 2 * std::numbers::pi), 0, tol_.lon);
        } else if (op == "same") {
            double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            Result(GeoXY(h_, &x1, &y1, A(1), A(2)), -1);
            Result(GeoXY(h_, &x2, &y2, A(3), A(4)), -1);
            Near("x", x2, x1, GridTol());
            Near("y", y2, y1, GridTol());
        } else if (op == "inv") {
            double lat = 1.5, lon = 2.5;
            Result(XYGeo(h_, L(1), L(2), &lat, &lon), code);
            if (code >= 0) return Untouched({1.5, 2.5}, {lat, lon});
            Near("latitude", lat, A(3), tol_.lat);
            Near("longitude", lon, A(4), tol_.lon);
        } else if (op == "scale" || op == "scaleat") {
            double x = L(1), y = L(2);
            if (op == "scaleat" && GeoXY(h_, &x, &y, A(1), A(2)) == 0) return Fail("the station is refused");
            const double k = Scale(h_, x, y);
            const int err = GetGeodesyError();
            if (code >= 0) {
                if (err != code) Fail("error " + std::to_string(err));
            } else {
                if (err != 0) Fail("error " + std::to_string(err));
                Near("scale", k, L(3), tol_.scale);
            }
        } else if (op == "gcirc" || op == "rhumb") {
            double az = 0;
            const double s = (op == "gcirc" ? GCircLL : RLineLL)(h_, A(1), A(2), A(3), A(4), &az);
            Result(1, -1);
            Near("length", s, L(5), GridTol());
            Near("azimuth", std::remainder(az - A(6), 2 * std::numbers::pi), 0, tol_.lon);
        } else if (op == "ecef") {
            double X = 1.5, Y = 2.5, Z = 3.5;
            Result(GeoECEF(h_, &X, &Y, &Z, A(1), A(2), L(3)), code);
            if (code >= 0) return Untouched({1.5, 2.5, 3.5}, {X, Y, Z});
            Near("X", X, L(4), tol_.length);
            Near("Y", Y, L(5), tol_.length);
            Near("Z", Z, L(6), tol_.length);
        } else if (op == "geo") {
            double lat = 1.5, lon = 2.5, hgt = 3.5;
            Result(ECEFGeo(h_, L(1), L(2), L(3), &lat, &lon, &hgt), code);
            if (code >= 0) return Untouched({1.5, 2.5, 3.5}, {lat, lon, hgt});
            Near("latitude", lat, A(4), tol_.lat);
            Near("longitude", lon, A(5), tol_.lon);
            Near("height", hgt, L(6), tol_.length);
        } else if (op == "shift") {
            const double sec = kDeg / 3600;
            const EllDiffParams d{L(1), L(2), L(3), L(4), L(5) * sec, L(6) * sec, L(7) * sec};
            Result(SetEllDiff(h_, &d), code);
        } else if (op == "wgs84" || op == "inv84") {
            double lat = A(1), lon = A(2), hgt = L(3);
            const std::vector<double> before{lat, lon, hgt};
            Result((op == "wgs84" ? WGS84Conv : InvWGS84Conv)(h_, &lat, &lon, &hgt), code);
            if (code >= 0) return Untouched(before, {lat, lon, hgt});
            Near("latitude", lat, A(4), tol_.lat);
            Near("longitude", lon, A(5), tol_.lon);
            Near("height", hgt, L(6), tol_.length);
        } else if (op == "adjust") {
            const AdjustParams a{uint32_t(std::stoul(words_.at(1), nullptr, 0)), L(2), L(3), A(4), L(5), L(6), L(7)};
            Result(SetAdjustment(h_, &a), code);
        } else if (op == "hconv" || op == "vconv") {
            double v = L(1);
            Result((op == "hconv" ? HConvert : VConvert)(h_, &v, words_.at(2) == "to"), code);
            if (code < 0) Near("value", v, L(3), std::fabs(L(3)) * 1e-15);
        } else if (op == "name") {
            char buf[64] = "junk";
            Result(GetLocalName(h_, int32_t(L(1)), words_.at(2).c_str(), buf, sizeof buf), code);
            if (code >= 0) {
                if (buf[0] != 0) Fail("buffer not emptied");
                return;
            }
            std::string want;  // the rest of the line after LANG, \xNN decoded
            const size_t at = text.find(words_[2], text.find(words_[1]) + words_[1].size()) + words_[2].size() + 1;
            for (size_t i = at; i < text.size(); ++i) {
                if (text.compare(i, 2, "\\x") == 0) want += char(std::stoi(text.substr(i + 2, 2), nullptr, 16)), i += 3;
                else want += text[i];
            }
            if (want != buf) Fail(std::string("name \"") + buf + "\"");
        } else {
            throw std::runtime_error("unknown step " + op);
        }
    }

    fs::path path_;
    int line_ = 0;
    std::vector<std::string> words_;
    GEODESY h_ = nullptr;
    double unit_ = 1;
    Tolerances tol_;
};

std::vector<std::string> CaseFiles() {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(GEODESY_CASES_DIR))
        if (e.path().extension() == ".cases") files.push_back(fs::relative(e.path(), GEODESY_CASES_DIR).string());
    std::sort(files.begin(), files.end());
    return files;
}

class GeodesyCases : public ::testing::TestWithParam<std::string> {};

TEST_P(GeodesyCases, EveryLineHolds) {
    const int steps = CaseFile(fs::path(GEODESY_CASES_DIR) / GetParam()).Run();
    EXPECT_GT(steps, 0) << "an empty case file";
}

INSTANTIATE_TEST_SUITE_P(Files, GeodesyCases, ::testing::ValuesIn(CaseFiles()), [](const auto& file) {
    std::string n = file.param.substr(0, file.param.size() - 6);
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
});

}  // namespace
