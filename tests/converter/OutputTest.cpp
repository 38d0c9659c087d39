// The .EDT file as other programs read it: output names, the fixed header and its
// sums, record layout and checksums, line ends, and what one file leaves for the
// next when the converter object is reused.
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST_F(Output, NamesDerivedFromTheInput) {
    dir.write("survey.csv", Survey(1));
    EXPECT_EQ(ConvertFile(dir.file("survey.csv")), S_OK);
    EXPECT_EQ(c.m_strOutFile, dir.file("survey.EDT"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("survey.EDT")));
    // The last full stop counts, even in a folder name.
    std::filesystem::create_directory(dir.file("data.old"));
    dir.write("data.old/survey", Survey(1));
    EXPECT_EQ(ConvertFile(dir.file("data.old/survey")), S_OK);
    EXPECT_EQ(c.m_strOutFile, dir.file("data.EDT"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("data.EDT")));
    dir.write("two.dots.csv", Survey(1));
    EXPECT_EQ(ConvertFile(dir.file("two.dots.csv")), S_OK);
    EXPECT_EQ(c.m_strOutFile, dir.file("two.dots.EDT"));
    // No full stop anywhere: the output is ".EDT" in the current folder.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    dir.write("survey", Survey(1));
    const long r = ConvertFile("survey");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(r, S_OK);
    EXPECT_EQ(c.m_strOutFile, ".EDT");
    EXPECT_TRUE(std::filesystem::exists(dir.file(".EDT")));
}

TEST_F(Output, AnExistingEdtIsReplaced) {
    dir.write("a.EDT", std::string(100000, 'z'));
    ASSERT_EQ(ConvertFile(dir.write("a.csv", Survey(2))), S_OK);
    const auto img = Edt("a.EDT");
    EXPECT_EQ(img.problem, "");
    EXPECT_EQ(img.records.size(), 2u);
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
    // The second record ends before column 2: only easting and northing are filled.
    const std::string first = ",,,,\xB0" + std::string(29, ',') + ",";
    ASSERT_EQ(ConvertFile(dir.write("s.csv", "titles\n" + first + "\n,\n")), S_OK);
    const auto img = Edt("s.EDT");
    ASSERT_EQ(img.problem, "");
    EXPECT_EQ(img.header[8], "TND  \xB0");  // column 35 not reached: no time
    ASSERT_EQ(img.records.size(), 2u);
    EXPECT_EQ(kit::Field(img.records[0], 5), "0.00");  // present but empty
    EXPECT_EQ(kit::Field(img.records[0], 27), "0.00");
    EXPECT_EQ(img.records[1], ",166021.44,0.00" + std::string(36, ','));
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
