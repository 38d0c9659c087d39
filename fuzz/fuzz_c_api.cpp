// Every function of vortan.h with arbitrary numbers: NaN, infinities, huge,
// tiny and negative values in the parameter records and in the coordinates.
// No call may crash, hang (every iteration in the library is bounded, the
// fuzzer's timeout catches one that is not) or leave an output unterminated.
//
// Input layout: byte 0 picks how the records are made (raw bytes, or a usable
// geodesy of a chosen projection with chosen fields replaced), then the
// bytes of a GeodesyParams and an AdjustParams, then doubles for the calls.
#include "ScratchFolder.h"
#include "vortan.h"

#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    double Double() {
        double v = 0;
        if (pos_ + 8 <= size_) {
            std::memcpy(&v, data_ + pos_, 8);
            pos_ += 8;
        } else {
            v = static_cast<double>(Byte()) - 128.0;
        }
        return v;
    }
    void Bytes(void* out, size_t n) {
        auto* o = static_cast<uint8_t*>(out);
        for (size_t i = 0; i < n; ++i) o[i] = Byte();
    }
    bool More() const { return pos_ < size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A small one-value geoid grid from 40 N 10 W to 60 N 20 E, written once.
std::string GeoidFile() {
    static const ScratchFolder folder("fuzz_c_api");
    const std::string path = folder.Path() + "/g.geo";
    const int32_t cols = 31, rows = 21, values = 1;
    const size_t record = 4 + 4 * cols;
    std::string b(record, '\0');
    std::memcpy(b.data() + 56, "QUORVANE", 8);
    const float west = -10, step = 1, south = 40;
    std::memcpy(b.data() + 64, &cols, 4);
    std::memcpy(b.data() + 68, &rows, 4);
    std::memcpy(b.data() + 72, &values, 4);
    std::memcpy(b.data() + 76, &west, 4);
    std::memcpy(b.data() + 80, &step, 4);
    std::memcpy(b.data() + 84, &south, 4);
    std::memcpy(b.data() + 88, &step, 4);
    for (int32_t r = 0; r < rows; ++r) {
        std::string rec(record, '\0');
        for (int32_t c = 0; c < cols; ++c) {
            const float v = static_cast<float>(40 + r - c * 0.5);
            std::memcpy(rec.data() + 4 + 4 * c, &v, 4);
        }
        b += rec;
    }
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (fp == nullptr || std::fwrite(b.data(), 1, b.size(), fp) != b.size()) std::abort();
    std::fclose(fp);
    return path;
}

double Pick(Input& in) {
    // Mostly raw doubles; sometimes the values that break naive code.
    static const double special[] = {NAN, INFINITY, -INFINITY, 0.0, -0.0, 1e308, -1e308, 5e-324,
                                     M_PI / 2, -M_PI / 2, M_PI, -M_PI, 2 * M_PI, 1e-300, 1.0, -1.0};
    const uint8_t k = in.Byte();
    return k < 16 ? special[k] : in.Double();
}

void Terminated(const char* buf, size_t size) {
    if (std::memchr(buf, '\0', size) == nullptr) std::abort();
}

void Exercise(GEODESY h, Input& in, const std::string& geoid) {
    AdjustParams adj{};
    in.Bytes(&adj, sizeof adj);
    if ((adj.typeWord & 0xff) < 0x80) adj.typeWord = (adj.typeWord & 0x30000u) | (adj.typeWord & 0xffu) % 17u;
    (void)SetAdjustment(h, &adj);
    AdjustParams back{};
    (void)GetAdjustment(h, &back);
    const uint8_t g = in.Byte();
    if (g & 1) (void)SetGeoid(h, geoid.c_str(), Pick(in));
    if (g & 2) (void)SetGeoid(h, nullptr, Pick(in));
    char buf[300];
    std::memset(buf, 'x', sizeof buf);
    const int32_t sizes[] = {1, 2, 7, 300};
    if (GetGeoid(h, buf, sizes[g >> 6], nullptr) == 1) Terminated(buf, static_cast<size_t>(sizes[g >> 6]));

    for (int i = 0; i < 24 && in.More(); ++i) {
        const uint8_t op = in.Byte();
        double x = Pick(in), y = Pick(in), lat = Pick(in), lon = Pick(in);
        double az = 0, u = 0;
        switch (op % 14) {
        case 0: (void)GeoXY(h, &x, &y, lat, lon); break;
        case 1: (void)XYGeo(h, x, y, &lat, &lon); break;
        case 2: (void)Scale(h, x, y); break;
        case 3: (void)GCircLL(h, lat, lon, x, y, (op & 0x10) ? &az : nullptr); break;
        case 4: (void)RLineLL(h, lat, lon, x, y, (op & 0x10) ? &az : nullptr); break;
        case 5: (void)Undulation(h, lat, lon, &u); break;
        case 6: (void)HConvert(h, &x, static_cast<uint8_t>(op >> 4)); (void)VConvert(h, &y, static_cast<uint8_t>(op >> 5)); break;
        case 7: {
            const char* langs[] = {"fra", "esp", "ENG", "", "x", nullptr, "FrA", "espanol"};
            const int32_t which = static_cast<int32_t>(in.Byte()) - 20;
            const int32_t size = 1 + in.Byte() % 64;
            std::memset(buf, 'x', sizeof buf);
            if (GetLocalName(h, which, langs[op >> 5], buf, size) == 1) Terminated(buf, static_cast<size_t>(size));
            else if (buf[0] != '\0' && buf[0] != 'x') std::abort();
            break;
        }
        case 8: {
            // A forward and back trip: whatever comes back must not fault.
            if (GeoXY(h, &x, &y, lat, lon) == 1) (void)XYGeo(h, x, y, &lat, &lon);
            break;
        }
        case 10: {
            double X = x, Y = y, Z = lat, h2 = lon;
            (void)GeoECEF(h, &X, &Y, &Z, lat, lon, (op & 0x10) ? x : 0.0);
            (void)ECEFGeo(h, X, Y, Z, &lat, &lon, (op & 0x20) ? &h2 : nullptr);
            break;
        }
        case 11: {
            double hh = x;
            (void)WGS84Conv(h, &lat, &lon, (op & 0x10) ? &hh : nullptr);
            (void)InvWGS84Conv(h, &lat, &lon, (op & 0x20) ? &hh : nullptr);
            break;
        }
        case 12: {
            double hh = 0;
            (void)EllConv(h, &lat, &lon, &hh, x, y);
            (void)InvEllConv(h, &lat, &lon, (op & 0x10) ? &hh : nullptr, x, y);
            break;
        }
        case 13: {
            EllDiffParams d{x, y, lat, lon, Pick(in), Pick(in), Pick(in)};
            if (op & 0x10) d.scale = 1.0 + d.scale * 1e-6;
            (void)SetEllDiff(h, &d);
            EllDiffParams diff{};
            (void)GetEllDiff(h, &diff);
            // The grid file doubles as a datum grid of one value: refused.
            if (op & 0x20) (void)SetEllModel(h, (op & 0x40) ? geoid.c_str() : nullptr);
            const int32_t size = 1 + in.Byte() % 8;
            std::memset(buf, 'x', sizeof buf);
            if (GetEllModel(h, buf, size) == 1) Terminated(buf, static_cast<size_t>(size));
            break;
        }
        default: {
            GeodesyParams p{};
            char e[256], n[256];
            std::memset(e, 'x', sizeof e);
            std::memset(n, 'x', sizeof n);
            if (GetGeodesyParams(h, &p, e, n) == 1) {
                Terminated(e, sizeof e);
                Terminated(n, sizeof n);
            }
            break;
        }
        }
        (void)GetGeodesyError();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string geoid = GeoidFile();
    Input in(data, size);
    const uint8_t mode = in.Byte();
    GeodesyParams p{};
    if (mode & 1) {
        in.Bytes(&p, sizeof p);  // raw record, usually refused
    } else {
        // A usable geodesy, then some fields replaced with hostile numbers.
        p.a = 6378137.0;
        p.invFlattening = 298.257223563;
        p.projection = 1 + (mode >> 1) % 12;
        p.unit = 1.0;
        p.scaleFactor = 0.9996;
        p.centralMeridian = 0.1;
        p.refLatitude = 0.9;
        p.northParallel = 1.0;
        p.southParallel = 0.8;
        p.skewAzimuth = 0.9;
        p.falseEasting = 500000;
        p.falseNorthing = 0;
        const uint8_t which = in.Byte();
        double* fields[] = {&p.a, &p.invFlattening, &p.unit, &p.scaleFactor, &p.centralMeridian,
                            &p.refLatitude, &p.northParallel, &p.southParallel, &p.skewAzimuth,
                            &p.falseEasting, &p.falseNorthing};
        for (int f = 0; f < 11; ++f) {
            if (which & (1u << (f % 8))) {
                const double v = Pick(in);
                std::memcpy(fields[f], &v, sizeof v);  // the record is packed
            }
        }
        if (which == 0xff) p.projection = static_cast<int32_t>(static_cast<int8_t>(in.Byte()));
    }
    (void)GetGeodesyVersion();
    GEODESY h = CreateGeodesy(&p);
    if (h == nullptr) {
        if (GetGeodesyError() == 0) std::abort();  // a refusal must say why
        // The null handle through every function.
        Exercise(nullptr, in, geoid);
        return 0;
    }
    Exercise(h, in, geoid);
    if (DestroyGeodesy(h) != 1) std::abort();
    return 0;
}
