// Files in and out: the reader's lines wherever its 256 KiB blocks end; progress of one
// converter object over several files.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace std::string_literals;

TEST(LineReader, LinesReadAsTheyStandWhereverTheBlocksEnd) {
    constexpr std::size_t kBlock = 1 << 18;
    const std::string a(kBlock - 10, 'a'), b(40, 'b'), l(2 * kBlock + 123, 'l'), c(kBlock - 1, 'c'), d(kBlock, 'd');
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {a + "\n" + b + "\nc\n", {a, b, "c"}},         // a line across the block's end
        {"one\r\ntwo\r", {"one", "two\r"}},            // no last line feed, a lone CR kept
        {"x\n" + l + "\r\ny", {"x", l, "y"}},          // a line longer than two blocks
        {c + "\r\nnext\r\n", {c, "next"}},             // CR LF split between blocks
        {d + "\n\n", {d, ""}},                         // LF the first byte of a block
        {"\n\r\na\0b\n"s, {"", "", "a\0b"s}}};         // blank lines and a NUL
    const TempDir dir;
    for (const auto& [bytes, lines] : cases) {
        CZeltoTextReader reader;
        ASSERT_TRUE(reader.Open(dir.write("in.csv", bytes)));
        std::vector<std::string> got, again;
        for (std::string_view line; reader.ReadLine(line);) got.emplace_back(line);
        ASSERT_TRUE(reader.Rewind());  // the second pass through the copying overload
        for (std::string line; reader.ReadLine(line);) again.push_back(line);
        EXPECT_EQ(got, lines);
        EXPECT_EQ(again, lines);
        EXPECT_FALSE(reader.Failed());
    }
}

// Output names, outputs that are their input, links, permissions and names too long:
// zelto2edt.cases.
TEST(Files, ProgressPerRecordNeverFullBeforeTheEnd) {
    TempDir dir;
    kit::Wired<> w;
    ASSERT_EQ(kit::Convert(w.c, dir.write("a.csv", kit::Survey(2))).result, S_OK);
    ASSERT_EQ(kit::Convert(w.c, dir.write("b.csv", kit::Survey(3))).records, 3);  // counts per file
    // Progress per record (line ends not counted), never 100 before the end.
    std::vector<std::intptr_t> percent;
    for (const auto& m : w.rec.messages)
        if (m.id == WM_PERCENTDONE) percent.push_back(m.l);
    EXPECT_EQ(percent.size(), 5u);
    EXPECT_GT(percent.back(), 90);
    EXPECT_LT(percent.back(), 100);
}
