// The .EDT file as other programs read it: output names, the fixed header and its
// sums, record layout and checksums, line ends, and what one file leaves for the
// next when the converter object is reused.
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using kit::Peer;
using kit::Survey;

// Every test converts with one converter object whose messages are recorded.
class Output : public ::testing::Test {
protected:
    Output() { c.put_AppMessageWnd(&rec); }
    // Runs a whole conversion of an existing input file.
    long ConvertFile(const std::string& path) { return kit::Convert(c, path, "ignored.EDT").result; }
    // The .EDT file `name` of the folder, read and checked.
    kit::EdtImage Edt(const std::string& name) const { return kit::ReadEdt(TempDir::read(dir.file(name))); }

    TempDir dir;
    kit::Recorder rec;
    Peer c;
};

// The .EDT lies beside its input: the file name up to its last full stop (never a
// folder's), or the whole name when it has none.
TEST_F(Output, NamesDerivedFromTheInput) {
    std::filesystem::create_directory(dir.file("data.old"));
    std::filesystem::create_directory(dir.file("x"));
    dir.write("data.EDT", "unrelated");
    const struct { const char* input; const char* output; } cases[] = {
        {"survey.csv", "survey.EDT"},
        {"data.old/survey", "data.old/survey.EDT"},
        {"x/survey", "x/survey.EDT"},
        {"two.dots.csv", "two.dots.EDT"},
        {"data.old/a.b.txt", "data.old/a.b.EDT"},
    };
    for (const auto& k : cases) {
        dir.write(k.input, Survey(1));
        EXPECT_EQ(ConvertFile(dir.file(k.input)), S_OK) << k.input;
        EXPECT_EQ(c.m_strOutFile, dir.file(k.output)) << k.input;
        EXPECT_EQ(EdtPathForInput(dir.file(k.input)), dir.file(k.output)) << k.input;
        EXPECT_EQ(Edt(k.output).records.size(), 1u) << k.input;
    }
    EXPECT_EQ(TempDir::read(dir.file("data.EDT")), "unrelated");
    // A relative name without a folder or a full stop: beside it in the current folder.
    EXPECT_EQ(EdtPathForInput("survey"), "survey.EDT");
    EXPECT_EQ(EdtPathForInput("./.hidden"), "./.EDT");
}

// An input whose .EDT would be the input itself, by name in any letter case or through a
// link, is refused before anything is written; the input stays whole.
TEST_F(Output, InputIsNeverItsOwnOutput) {
    const std::string survey = Survey(2);
    dir.write("same.EDT", survey);
    dir.write("Case.edt", survey);
    dir.write("real.csv", survey);
    std::filesystem::create_symlink(dir.file("real.csv"), dir.file("linked.EDT"));
    std::filesystem::create_symlink(dir.file("real.csv"), dir.file("linked"));  // linked -> linked.EDT -> real.csv
    for (const char* name : {"same.EDT", "Case.edt", "linked"}) {
        rec.messages.clear();
        EXPECT_EQ(ConvertFile(dir.file(name)), E_FAIL) << name;
        std::string text;
        c.GetLastError(text);
        EXPECT_EQ(text, "Failed to open Bramix file. " + EdtPathForInput(dir.file(name)) +
                            ": the output would replace its own input") << name;
        EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 1) << name;
    }
    for (const char* name : {"same.EDT", "Case.edt", "real.csv"}) EXPECT_EQ(TempDir::read(dir.file(name)), survey) << name;
    EXPECT_TRUE(kit::NoTemporaryLeft(dir));
}

TEST_F(Output, AnExistingEdtIsReplaced) {
    dir.write("a.EDT", std::string(100000, 'z'));
    std::filesystem::permissions(dir.file("a.EDT"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_EQ(ConvertFile(dir.write("a.csv", Survey(2))), S_OK);
    const auto img = Edt("a.EDT");
    EXPECT_EQ(img.problem, "");
    EXPECT_EQ(img.records.size(), 2u);
    // The replaced file keeps its permissions; nothing but the two files is left.
    EXPECT_EQ(std::filesystem::status(dir.file("a.EDT")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(kit::Listing(dir), (std::set<std::string>{"a.csv", "a.EDT"}));
    // An .EDT name that is a link stays a link; the file it names takes the records.
    dir.write("elsewhere.dat", "old");
    std::filesystem::create_symlink(dir.file("elsewhere.dat"), dir.file("b.EDT"));
    ASSERT_EQ(ConvertFile(dir.write("b.csv", Survey(3))), S_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("b.EDT")));
    EXPECT_EQ(kit::ReadEdt(TempDir::read(dir.file("elsewhere.dat"))).records.size(), 3u);
}

// The worked harbour record: fixed header, TND, OFF 1, EOH 28158, the record ending 4162.
TEST_F(Output, WorkedExampleHeaderAndRecordBytes) {
    ASSERT_EQ(ConvertFile(dir.write("h.csv", Survey(3))), S_OK);
    const std::string bytes = TempDir::read(dir.file("h.EDT"));
    const auto img = kit::ReadEdt(bytes);
    ASSERT_EQ(img.problem, "");
    ASSERT_EQ(img.header.size(), 21u);
    const char* fixed[] = {
        "FTP ALL 2", "VER Survey 8.2.4.2", "RDF 002_1327.RAW",
        "INF \"\" \"\" \"\" \"\" 0.000000 0.000000 0.000000", "ELL \"WGS-84\" 6378137.000 298.257223563",
        "PRO \"TME\" xxxxx -123.000000 0.999600 0.000000 0.000000 0.000000 500000.0000 0.0000",
        "DTM 0.00 0.00 0.00 0.00000 0.00000 0.00000 0.00000", "GEO ??? 0.000", nullptr,
        "DEV 0 32805 \"Position\"", "OFF 0 0.00 0.00 0.00 0.00 0.00 0.00 0.00", "DEV 1 40977 \"Depth\"",
        nullptr, "LIN 2", "PTS 806102.30 3806540.91 0.00", "PTS 807329.29 3806547.04 0.00",
        "LBP 806102.30 3806540.91 0.00", "LNN 002_1327.EDT", "EOL", "REC 38"};
    std::int32_t fixedSum = 0;
    for (int i = 0; i < 20; ++i) {
        if (fixed[i] == nullptr) continue;
        EXPECT_EQ(img.header[static_cast<std::size_t>(i)], fixed[i]);
        fixedSum += kit::SignedSum(fixed[i]);
    }
    EXPECT_EQ(fixedSum, 25083);
    EXPECT_EQ(img.header[8], "TND 16:58:03 09/13/2011");
    EXPECT_EQ(img.header[12], "OFF 1 0.00 0.00 0.50 0.00 0.00 0.00 0.00");
    EXPECT_EQ(img.header[20], "EOH 28158");
    // Every header line up to REC and every record end in CR CR LF, EOH in CR LF.
    EXPECT_NE(bytes.find("REC 38\r\r\nEOH 28158\r\n,"), std::string::npos);
    EXPECT_TRUE(bytes.ends_with("\n" + std::string(kit::kRecordText) + "4162\r\r\n"));
    int lf = 0;
    for (char ch : bytes) lf += ch == '\n';
    EXPECT_EQ(lf, 21 + 3);
}

TEST_F(Output, SparseRecordAndSignedChecksum) {
    // Column 4 carries a 0xB0 byte: it reaches the header's TND line and counts -80.
    // The second record ends before column 2 and has no position: every field is empty.
    const std::string first = ",,,,\xB0" + std::string(29, ',') + ",";
    ASSERT_EQ(ConvertFile(dir.write("s.csv", "titles\n" + first + "\nx,\n")), S_OK);
    const auto img = Edt("s.EDT");
    ASSERT_EQ(img.problem, "");
    EXPECT_EQ(img.header[8], "TND  \xB0");  // column 35 not reached: no time
    ASSERT_EQ(img.records.size(), 2u);
    EXPECT_EQ(kit::Field(img.records[0], 5), "0.00");  // present but empty
    EXPECT_EQ(kit::Field(img.records[0], 27), "0.00");
    EXPECT_EQ(img.records[1], std::string(38, ','));
}

// One converter object, two files: the second file's header shows its own date and
// time, or blanks, never those of the file before.
TEST_F(Output, DateAndTimeStartAfreshForEveryFile) {
    ASSERT_EQ(ConvertFile(dir.write("a.csv", Survey(2))), S_OK);
    EXPECT_EQ(Edt("a.EDT").header[8], "TND 16:58:03 09/13/2011");
    // First record without columns 34 and 35; the second has them.
    const std::string noDate = std::string(31, ',') + "N 1\xC2\xB0" "0\xE2\x80\xB2" "0\xE2\x80\xB3,E 1,";
    ASSERT_EQ(ConvertFile(dir.write("b.csv", "t\n" + noDate + "\n" + kit::kRecord + "\n")), S_OK);
    const auto b = Edt("b.EDT");
    ASSERT_EQ(b.problem, "");
    EXPECT_EQ(b.header[8], "TND  ");
    EXPECT_EQ(b.header[12], "OFF 1 0.00 0.00 0.00 0.00 0.00 0.00 0.00");
    EXPECT_EQ(b.header[20], "EOH " + std::to_string(25083 + kit::SignedSum("TND  ") +
                                                     kit::SignedSum(b.header[12])));
}

TEST_F(Output, CrLfAndLfInputsGiveTheSameFile) {
    std::string lf = Survey(5, "\n");
    ASSERT_EQ(ConvertFile(dir.write("lf.csv", lf)), S_OK);
    ASSERT_EQ(ConvertFile(dir.write("crlf.csv", Survey(5))), S_OK);
    EXPECT_EQ(TempDir::read(dir.file("lf.EDT")), TempDir::read(dir.file("crlf.EDT")));
    // No line end after the last record: it is still a record.
    lf.pop_back();
    ASSERT_EQ(ConvertFile(dir.write("open.csv", lf)), S_OK);
    EXPECT_EQ(TempDir::read(dir.file("open.EDT")), TempDir::read(dir.file("lf.EDT")));
}
