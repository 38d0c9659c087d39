// `vortan grid import` and `grid info` write the same bytes when a host
// program has set a German locale, C and C++ alike (a decimal comma, and a
// thousands separator in counts from 1,000 up); vortan itself never sets one,
// and vortan_grid.cases pins the bytes.
#include "CommaDecimalLocale.h"
#include "GridCommand.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <locale>
#include <string>
#include <vector>

namespace {

// Imports the test geoid densified to 13 x 93 nodes, then describes it and an NTv2 file.
std::string ImportAndInfo(const std::string& out) {
    std::string text;
    for (std::vector<std::string> args : {std::vector<std::string>{"grid", "import", "--densify", "4",
                                                                   ZELTO_TOOL_GRIDS "/geoid.gtx", out},
                                          {"grid", "info", out}, {"grid", "info", ZELTO_TOOL_GRIDS "/shift.gsb"}}) {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        testing::internal::CaptureStdout();
        EXPECT_EQ(RunGridCommand(static_cast<int>(argv.size()) - 1, argv.data() + 1), 0) << args[1];
        text += testing::internal::GetCapturedStdout();
    }
    return text;
}

TEST(GridCommand, SameBytesUnderAGermanLocale) {
    TempDir dir;
    const std::string classic = ImportAndInfo(dir.file("fine.grd"));
    ASSERT_NE(classic.find("min 1.5, max 5; 147 nodes"), std::string::npos) << classic;
    ASSERT_NE(classic.find("1160 nodes, 49 missing"), std::string::npos) << classic;
    CommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    const std::locale saved = std::locale::global(std::locale("de_DE.UTF-8"));
    const std::string german = ImportAndInfo(dir.file("fine.grd"));
    std::locale::global(saved);
    EXPECT_EQ(german, classic);
}

}  // namespace
