// The reader hands out lines from 256 KiB blocks: lines that cross a block's end, lines
// longer than a block and line ends split between two blocks must read as they stand.
#include "TempDir.h"
#include "ZeltoQvxConverter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace std::string_literals;

namespace {

constexpr std::size_t kBlock = 1 << 18;

// A line of n bytes of one letter.
std::string Letters(std::size_t n, char c) { return std::string(n, c); }

}  // namespace

TEST(LineReader, LinesReadAsTheyStandWhereverTheBlocksEnd) {
    const struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"empty file", "", {}},
        {"line across the block's end", Letters(kBlock - 10, 'a') + "\n" + Letters(40, 'b') + "\n" + "c\n",
         {Letters(kBlock - 10, 'a'), Letters(40, 'b'), "c"}},
        {"last line without a line feed, a lone CR kept", "one\r\ntwo\r", {"one", "two\r"}},
        {"line longer than two blocks", "x\n" + Letters(2 * kBlock + 123, 'l') + "\r\ny", {"x", Letters(2 * kBlock + 123, 'l'), "y"}},
        {"CR LF split between blocks", Letters(kBlock - 1, 'c') + "\r\n" + "next\r\n", {Letters(kBlock - 1, 'c'), "next"}},
        {"LF the first byte of a block", Letters(kBlock, 'd') + "\n\n", {Letters(kBlock, 'd'), ""}},
        {"blank lines and a NUL", "\n\r\na\0b\n"s, {"", "", "a\0b"s}},
    };
    const TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("in.csv", c.bytes);
        CZeltoTextReader reader;
        ASSERT_TRUE(reader.Open(path)) << c.name;
        // Twice: the second pass after Rewind, through the copying overload.
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<std::string> got;
            if (pass == 0) {
                std::string_view line;
                while (reader.ReadLine(line)) got.emplace_back(line);
            } else {
                ASSERT_TRUE(reader.Rewind()) << c.name;
                std::string line;
                while (reader.ReadLine(line)) got.push_back(line);
            }
            EXPECT_EQ(got, c.lines) << c.name << ", pass " << pass;
            EXPECT_FALSE(reader.Failed()) << c.name;
        }
    }
}
