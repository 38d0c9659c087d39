// Oblique Mercator family (Hotine type 6, RSO type 7) on the published
// Timbalai 1948 / RSO Borneo example, and PROJ's omerc (natural-origin form,
// no_uoff) with the matching rectification angle.
#include "Hotine.h"
#include "ProjectionSweep.h"
#include "RSO.h"

#include <gtest/gtest.h>

using namespace projection_sweep;

namespace {

const double kAlphaC = Dms(53, 18, 56.9537);
const double kLat = Dms(5, 23, 14.1129);
const double kLon = Dms(115, 48, 19.8196);

GeodesyParams Borneo(int32_t type, double unit = 1.0) {
    return Params(6377298.556, 300.8017, type, 0.99984, 115.0 * kDeg, 4.0 * kDeg, 590476.87, 442857.65,
                  unit, kAlphaC);
}

}  // namespace

TEST(ObliqueMercator, NamesAndTypes) {
    ExpectRegistered<Hotine>(Borneo(6), 6, "HOM");
    ExpectRegistered<RSO>(Borneo(7), 7, "RSO");
}

TEST(ObliqueMercator, PublishedConstants) {
    RSO p(Borneo(7));
    EXPECT_NEAR(p.B, 1.003303209, 5e-10);
    EXPECT_NEAR(p.gamma0 / kDeg, 53.130102347, 5e-10);
    EXPECT_NEAR(p.lambdaOrigin / kDeg, 109.685520203, 5e-10);
}

TEST(ObliqueMercator, PublishedSkewCoordinates) {
    RSO p(Borneo(7));
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, kLat, kLon)), 0u);
    double su = 0, sv = 0;
    p.XYUV(&su, &sv, x, y);
    EXPECT_NEAR(su, 901334.257, 0.0005);
    EXPECT_NEAR(sv, -69702.787, 0.0005);
}

TEST(ObliqueMercator, PublishedGridResults) {
    ASSERT_NO_FATAL_FAILURE(
        ExpectPublishedPoint(RSO(Borneo(7)), {kLat, kLon, 1269722.603, 1039420.434, 0.0005, 1e-10, 1e-10, kDeg}));
    ExpectPublishedPoint(Hotine(Borneo(6)), {kLat, kLon, 1271652.726, 1037215.602, 0.0005, 1e-10, 1e-10, kDeg});
}

// The centre-origin form of the same projection, reached by moving u to the
// projection centre and rectifying by the published angle.
TEST(ObliqueMercator, PublishedGridResultsThroughTheHandle) {
    // The handle's scale is the class's own at the same grid point.
    const auto scaleAt = [](const Projection& p, double x, double y) {
        double k = 0.0;
        EXPECT_TRUE(p.PointScale(x, y, k).ok());
        return k;
    };
    ExpectThroughHandle(Borneo(7), "RSO", {kLat, kLon, 1269722.603, 1039420.434, 0.0005, 1e-10, 1e-10, kDeg},
                        scaleAt(RSO(Borneo(7)), 1269722.603, 1039420.434), 1e-9);
    ExpectThroughHandle(Borneo(6), "HOM", {kLat, kLon, 1271652.726, 1037215.602, 0.0005, 1e-10, 1e-10, kDeg},
                        scaleAt(Hotine(Borneo(6)), 1271652.726, 1037215.602), 1e-9);
}

TEST(ObliqueMercator, CentreOffsetGivesPublishedVariantB) {
    RSO p(Borneo(7));
    double x = 0, y = 0, su = 0, sv = 0;
    ASSERT_EQ(Code(p.Forward(x, y, kLat, kLon)), 0u);
    p.XYUV(&su, &sv, x, y);
    const double sc = std::sin(p.phi0), cc = std::cos(p.phi0);
    const double D = p.B * std::sqrt(1.0 - p.e2) / (cc * std::sqrt(1.0 - p.e2 * sc * sc));
    const double uc = (p.A / p.B) * std::atan(std::sqrt(D * D - 1.0) / std::cos(kAlphaC));
    EXPECT_NEAR(uc, 738096.094, 0.0005);
    const double g = Dms(53, 7, 48.3685);
    const double xb = sv * std::cos(g) + (su - uc) * std::sin(g) + 590476.87;
    const double yb = (su - uc) * std::cos(g) - sv * std::sin(g) + 442857.65;
    EXPECT_NEAR(xb, 679245.73, 0.005);
    EXPECT_NEAR(yb, 596562.78, 0.005);
}

TEST(ObliqueMercator, ScaleAtCentreIsInitialLineScale) {
    const Hotine h(Borneo(6));
    const RSO r(Borneo(7));
    for (const ObliqueMercator* p : {static_cast<const ObliqueMercator*>(&h), static_cast<const ObliqueMercator*>(&r)}) {
        double x = 0, y = 0, k = 0;
        ASSERT_EQ(Code(p->Forward(x, y, 4.0 * kDeg, 115.0 * kDeg)), 0u);
        ASSERT_EQ(Code(p->PointScale(x, y, k)), 0u);
        EXPECT_NEAR(k, 0.99984, 1e-12) << p->ShortName();
    }
}

TEST(ObliqueMercator, FeetDivideGridOffsetsOnly) {
    RSO m(Borneo(7, 1.0)), f(Borneo(7, 0.3048));
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(Code(m.Forward(x1, y1, kLat, kLon)), 0u);
    ASSERT_EQ(Code(f.Forward(x2, y2, kLat, kLon)), 0u);
    EXPECT_NEAR(x2 - 590476.87, (x1 - 590476.87) / 0.3048, 1e-6);
    EXPECT_NEAR(y2 - 442857.65, (y1 - 442857.65) / 0.3048, 1e-6);
    double su = 0, sv = 0;
    f.XYUV(&su, &sv, x2, y2);
    EXPECT_NEAR(su, 901334.257, 0.0005);
    EXPECT_NEAR(sv, -69702.787, 0.0005);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(f.Inverse(x2, y2, lat, lon)), 0u);
    EXPECT_NEAR(lat, kLat, 1e-11);
    EXPECT_NEAR(lon, kLon, 1e-11);
}

TEST(ObliqueMercator, EquatorialCentreTakesPositiveRoot) {
    GeodesyParams p0 = Borneo(7);
    p0.refLatitude = 0.0;
    RSO p(p0);
    EXPECT_TRUE(std::isfinite(p.H));
    EXPECT_TRUE(std::isfinite(p.lambdaOrigin));
    ExpectRoundTrip(p, 1.0 * kDeg, 116.0 * kDeg, 1e-11, 1e-11);
}

TEST(ObliqueMercator, CentreAtPoleIsRefused) {
    GeodesyParams p0 = Borneo(6);
    p0.refLatitude = 90.0 * kDeg;
    EXPECT_EQ(ConstructionCode<Hotine>(p0), 7u);
}

#ifdef ZELTO_HAVE_PROJ
namespace {
void CompareWithOmerc(const ObliqueMercator& p, double gammaRad, const char* label) {
    char def[512];
    std::snprintf(def, sizeof def,
                  "+proj=omerc +no_uoff +lat_0=4 +lonc=115 +alpha=%.15g +gamma=%.15g +k=0.99984 "
                  "+x_0=590476.87 +y_0=442857.65 +a=6377298.556 +rf=300.8017",
                  kAlphaC / kDeg, gammaRad / kDeg);
    ProjOracle proj(def);
    // 20 x 20 stations over 1 S..9 N, 108..120 E.
    Differences d;
    ASSERT_NO_FATAL_FAILURE(d = Sweep(p, proj, {-1.0, 9.0, 20, 108.0, 120.0, 20}));
    Report((std::string(label) + " vs omerc no_uoff, forward, 400 points 1S..9N 108..120E").c_str(),
           d.forwardAxis, "m");
    Report((std::string(label) + " round trip").c_str(), d.roundTrip, "rad");
    Report((std::string(label) + " vs omerc, inverse").c_str(), d.inverseAngle, "rad");
    EXPECT_LT(d.forwardAxis, 1e-6);
    EXPECT_LT(d.roundTrip, 1e-10);
    EXPECT_LT(d.inverseAngle, 1e-10);
}
}  // namespace

TEST(ObliqueMercatorOracle, HotineAgreesWithProj) {
    Hotine h(Borneo(6));
    CompareWithOmerc(h, kAlphaC, "HOM");
}

TEST(ObliqueMercatorOracle, RsoAgreesWithProj) {
    RSO r(Borneo(7));
    CompareWithOmerc(r, r.gamma0, "RSO");
}
#endif
