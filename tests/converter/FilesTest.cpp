// Where the .EDT goes and what it replaces: names beside the input, never the input
// itself, an existing file replaced whole with its permissions, a link kept; and one
// converter object over several files.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(Files, OutputNamesBesideTheInput) {
    TempDir dir;
    fs::create_directory(dir.file("data.old"));
    for (const auto& [in, out] : {std::pair{"survey.csv", "survey.EDT"}, {"data.old/survey", "data.old/survey.EDT"},
                                  {"two.dots.csv", "two.dots.EDT"}, {"data.old/a.b.txt", "data.old/a.b.EDT"}}) {
        EXPECT_EQ(EdtPathForInput(dir.file(in)), dir.file(out));
    }
    EXPECT_EQ(EdtPathForInput("survey"), "survey.EDT");
    EXPECT_EQ(EdtPathForInput("./.hidden"), "./.EDT");
}

TEST(Files, InputIsNeverItsOwnOutput) {
    TempDir dir;
    const std::string survey = kit::Survey(2);
    for (const char* name : {"same.EDT", "Case.edt", "real.csv"}) dir.write(name, survey);
    fs::create_symlink(dir.file("real.csv"), dir.file("linked.EDT"));
    fs::create_symlink(dir.file("real.csv"), dir.file("linked"));
    for (const char* name : {"same.EDT", "Case.edt", "linked"}) {
        kit::Wired<> w;
        const kit::Outcome r = kit::Convert(w.c, dir.file(name));
        EXPECT_EQ(r.result, E_FAIL) << name;
        EXPECT_EQ(r.error, "Failed to open Bramix file. " + EdtPathForInput(dir.file(name)) +
                               ": the output would replace its own input");
        EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 1);
    }
    for (const char* name : {"same.EDT", "Case.edt", "real.csv"}) EXPECT_EQ(TempDir::read(dir.file(name)), survey);
    EXPECT_TRUE(kit::NoTemporaryLeft(dir));
}

TEST(Files, AnExistingEdtIsReplacedWholeAndALinkStaysALink) {
    TempDir dir;
    const auto rw = fs::perms::owner_read | fs::perms::owner_write;
    dir.write("a.EDT", std::string(100000, 'z'));
    fs::permissions(dir.file("a.EDT"), rw);
    kit::Wired<> w;
    ASSERT_EQ(kit::Convert(w.c, dir.write("a.csv", kit::Survey(2))).result, S_OK);
    EXPECT_EQ(kit::ReadEdt(TempDir::read(dir.file("a.EDT"))).records.size(), 2u);
    EXPECT_EQ(fs::status(dir.file("a.EDT")).permissions(), rw);
    EXPECT_EQ(kit::Listing(dir), (std::set<std::string>{"a.csv", "a.EDT"}));
    dir.write("elsewhere.dat", "old");
    fs::create_symlink(dir.file("elsewhere.dat"), dir.file("b.EDT"));
    ASSERT_EQ(kit::Convert(w.c, dir.write("b.csv", kit::Survey(3))).result, S_OK);
    EXPECT_TRUE(fs::is_symlink(dir.file("b.EDT")));
    EXPECT_EQ(kit::ReadEdt(TempDir::read(dir.file("elsewhere.dat"))).records.size(), 3u);
    // Progress per record (line ends not counted), counts per file.
    EXPECT_EQ(w.c.get_CSVRecords(), 3);
    EXPECT_EQ(w.rec.Count(WM_PERCENTDONE), 5);
    EXPECT_GT(w.rec.LastPercent(), 90);
    EXPECT_LT(w.rec.LastPercent(), 100);
}
