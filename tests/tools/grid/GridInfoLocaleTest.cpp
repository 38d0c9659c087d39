// `vortan grid info` writes the same bytes when a host program has set a
// decimal-comma locale, C and C++ alike (vortan itself never sets one; the
// bytes are pinned by tests/data/tools/vortan_grid.cases).
#include "CommaDecimalLocale.h"
#include "GridCommand.h"

#include <gtest/gtest.h>

#include <locale>
#include <string>

namespace {

std::string Info(std::string file) {
    std::string grid = "grid", info = "info";
    char* argv[] = {grid.data(), info.data(), file.data()};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunGridCommand(3, argv), 0);
    return testing::internal::GetCapturedStdout();
}

TEST(GridInfo, SameBytesUnderADecimalCommaLocale) {
    const std::string file = ZELTO_TOOL_GRIDS "/shift.gsb", classic = Info(file);
    ASSERT_NE(classic.find("min 1.5, max 5"), std::string::npos) << classic;
    CommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    const std::locale saved = std::locale::global(std::locale("de_DE.UTF-8"));
    const std::string german = Info(file);
    std::locale::global(saved);
    EXPECT_EQ(german, classic);
}

}  // namespace
