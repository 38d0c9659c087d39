// The conversion dialog driven headless through its controls, with the real converter. The
// converter's own cases pin its bytes and messages; these pin what the dialog adds: the run on
// its worker, Cancel and closing, the counts, and what reaches the converter.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>

#include <filesystem>
#include <optional>
#include <tuple>
#include <utility>

#include "CommaDecimalLocale.h"
#include "DialogTestUtil.h"

const QString kConverted = QStringLiteral("1 file(s) converted.");
const QString kNotConverted = QStringLiteral("0 file(s) converted,  1 file(s) NOT converted.");

using Dialog = DialogTest;

// A csv file in any letter case enables Convert, any other file leaves it disabled; the
// chooser offers the last extension and filter; refusing it changes nothing.
TEST_F(Dialog, ChoosingTheSurveySetsItsKindAndConvert)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    for (const auto& [name, fileType] : {std::pair{"SURVEY.CSV", 0}, {"survey.txt", 1}, {"b.Csv", 0}}) {
        Choose(dlg, chooser, work.file(name));
        EXPECT_EQ(dlg.FileType(), fileType) << name;
        EXPECT_EQ(Enabled(dlg, 106), fileType == 0) << name;
        EXPECT_EQ(Text(dlg, 111), name);
        EXPECT_EQ(Text(dlg, 110).toStdString(), work.path().string());
    }
    Button(dlg, 103)->click();  // refused
    EXPECT_EQ(dlg.FileNames(), "b.Csv");
    EXPECT_TRUE(Enabled(dlg, 106));
    ASSERT_EQ(chooser.requests.size(), 4u);
    EXPECT_EQ(chooser.requests[0].filterIndex, 2);  // the file type of a first start, plus one
    EXPECT_EQ(chooser.requests[1].filterIndex, 1);
    EXPECT_EQ(chooser.requests[1].initialName, "CSV");
    EXPECT_EQ(chooser.requests[3].initialName, "Csv");
}

// A run shows the output file and moves the bar, only Cancel can be pressed while it runs,
// and it ends idle with the file's line and the count; a second run starts a fresh list.
// Every record reports its percentage, yet the window is told only of a new one and never
// has two progress events waiting.
TEST_F(Dialog, RunShowsOutputProgressAndTheFileCount)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, work.write("harbour_survey.csv", Sample()));
    int top = -1;
    QObject::connect(qobject_cast<QProgressBar*>(dlg.Control(113)), &QProgressBar::valueChanged,
                     [&](int v) { top = std::max(top, v); });
    for (int run = 0; run < 2; ++run) {
        dlg.Receiver().ResetCounters();
        Button(dlg, 106)->click();
        for (int id : {106, 103, 1000, 1001, 1002}) EXPECT_FALSE(Enabled(dlg, id)) << id;
        EXPECT_TRUE(Enabled(dlg, 116));
        ASSERT_TRUE(SpinUntil([&] { return !dlg.IsRunning(); }));

        EXPECT_EQ(Text(dlg, 112).toStdString(), work.file("harbour_survey.EDT"));
        EXPECT_EQ(dlg.Messages(), QStringList{"harbour_survey.csv  CSV Records: 300"});
        EXPECT_EQ(dlg.findChild<QLabel*>("labelSummary")->text(), kConverted);
        for (int id : {106, 103, 1000, 1001, 1002}) EXPECT_TRUE(Enabled(dlg, id)) << id;
        EXPECT_FALSE(Enabled(dlg, 116));
        EXPECT_GT(top, 90);  // the first run moved the bar (a second may end before it is shown)
        const auto c = dlg.Receiver().GetCounters();
        EXPECT_EQ(c.percentCalls, 301);  // the worker's 0, then one per record
        EXPECT_LE(c.percentEvents, 102);
        EXPECT_LE(c.peakPercentWaiting, 1);
    }
}

// Cancel, or closing the window (which waits for the worker), ends the file in work early.
// Its part takes the .EDT's place only where there was none; an existing .EDT is never
// replaced. Either way the file is counted as cancelled, not as converted, and no temporary
// is left behind; only closing saves the settings. The stop is made when the bar first
// moves; when a busy machine delays that until the whole file is converted, the attempt
// proves nothing and is made again.
TEST_F(Dialog, CancelOrCloseDuringARunNeverReplacesAnExistingEdt)
{
    constexpr int kRecords = 300 * 700;
    const std::string csv = WriteLongSurvey("long.csv", 700);
    const std::string edt = work.file("long.EDT");
    const std::string prefix = "long.csv  CSV Records: ";
    for (const bool existing : {false, true}) {
        for (const bool byClose : {false, true}) {
            SCOPED_TRACE(std::string(existing ? "existing .EDT, " : "no .EDT, ") + (byClose ? "close" : "Cancel"));
            std::string line;
            QString summary;
            for (int attempt = 0; attempt < 5 && (attempt == 0 || line == prefix + std::to_string(kRecords)); ++attempt) {
                std::filesystem::remove(edt);
                Store().clear();
                if (existing) work.write("long.EDT", "the earlier conversion");
                CZeltoConverterDlg dlg;
                ScriptedChooser chooser(dlg);
                Choose(dlg, chooser, csv);
                dlg.show();
                bool stopped = false, runningAfterStop = false;
                QObject::connect(qobject_cast<QProgressBar*>(dlg.Control(113)), &QProgressBar::valueChanged, [&] {
                    if (!std::exchange(stopped, true)) {
                        byClose ? (void)dlg.close() : Button(dlg, 116)->click();
                        runningAfterStop = dlg.IsRunning() && byClose;
                    }
                });
                Button(dlg, 106)->click();
                ASSERT_TRUE(SpinUntil([&] { return stopped && !dlg.RunSummary().isEmpty(); }));
                EXPECT_FALSE(runningAfterStop);
                EXPECT_EQ(Store().contains("Properties/FileType"), byClose);
                ASSERT_EQ(dlg.Messages().size(), 1);
                line = dlg.Messages()[0].toStdString();
                summary = dlg.RunSummary();
            }
            ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
            const int written = std::stoi(line.substr(prefix.size()));
            EXPECT_LT(written, kRecords);
            if (existing) {
                EXPECT_TRUE(line.ends_with(", cancelled: the existing long.EDT was left as it was")) << line;
                EXPECT_EQ(TempDir::read(edt), "the earlier conversion");
            } else {
                EXPECT_TRUE(line.ends_with(", cancelled: the records so far are in long.EDT")) << line;
                EXPECT_EQ(EdtRecords(edt), written);
            }
            EXPECT_EQ(summary, "0 file(s) converted.  1 file(s) cancelled.");
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 2);  // .csv, .EDT
        }
    }
}

// The worker reads the dialog's fields and posts to it: destroying the dialog mid-run waits
// for it, and saves nothing (there was no close request).
TEST_F(Dialog, DestroyingTheDialogMidRunIsSafe)
{
    auto dlg = std::make_unique<CZeltoConverterDlg>();
    ScriptedChooser chooser(*dlg);
    Choose(*dlg, chooser, WriteLongSurvey("long.csv", 300));
    Button(*dlg, 106)->click();
    EXPECT_TRUE(dlg->IsRunning());
    dlg.reset();
    QCoreApplication::processEvents();  // posted events of the gone dialog are dropped
    EXPECT_TRUE(Store().allKeys().isEmpty());
}

// Failures as the list shows them: "**>> TITLE : TEXT <<**" (TITLE the output file's name),
// the file's summary line only when it could be read, a file counted once as not converted
// however many of its records fail, and a warning that is no failure.
TEST_F(Dialog, FailuresAreListedAndCountedOncePerFile)
{
    const std::string first = Sample().substr(Title().size(), Sample().find('\n', Title().size()) + 1 - Title().size());
    const auto at = [&](const std::string& lon) {  // the first record at another longitude
        const std::size_t from = first.find(",W 117") + 1;
        return std::string(first).replace(from, first.find(',', from) - from, lon);
    };
    const std::string bad = at("Einf\xC2\xB0");
    const struct {
        const char* name;
        std::optional<std::string> content;  // none: no such file; empty: fails while converted
        std::vector<QString> lineStarts;
        QString summary;
    } cases[] = {
        {"gone", std::nullopt, {"**>> gone : Failed to open CSV file. "}, kNotConverted},
        {"empty", "", {"**>> empty : Failed to parse CSV file. "}, kNotConverted},
        {"bad", Title() + bad + first + bad, {"**>> bad : Invalid position. ", "**>> bad : Invalid position. ",
                                              "bad.csv  CSV Records: 3"}, kNotConverted},
        {"cross", Title() + first + "\r\n" + at("W 113\xC2\xB0" "59\xE2\x80\xB2" "00.00\xE2\x80\xB3"),
         {"cross.csv  CSV Records: 2, 1 blank line(s) skipped", "Warning: the records fall in UTM zones 11, 12;"},
         kConverted},
    };
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string(c.name) + ".csv";
        if (c.content) work.write(name, *c.content);
        Choose(dlg, chooser, work.file(name));
        ASSERT_TRUE(ConvertAndWait(dlg));
        const QStringList m = dlg.Messages();
        ASSERT_EQ(m.size(), static_cast<qsizetype>(c.lineStarts.size())) << m.join('|').toStdString();
        for (qsizetype i = 0; i < m.size(); ++i) EXPECT_TRUE(m[i].startsWith(c.lineStarts[i])) << m[i].toStdString();
        EXPECT_EQ(dlg.RunSummary(), c.summary);
        EXPECT_EQ(std::filesystem::exists(work.file(std::string(c.name) + ".EDT")), m.join('|').contains("CSV Records"));
    }
}

// A definition file that cannot be used stops the run before it starts: no worker, no .EDT,
// the controls idle again, and the reason in two lines (the converter's text holds a LF).
TEST_F(Dialog, FailingDefinitionFileStopsTheRunBeforeItStarts)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, work.write("harbour_survey.csv", Sample()));
    Button(dlg, 1001)->click();
    Choose(dlg, chooser, work.file("missing.ini"), 1005);
    Button(dlg, 106)->click();
    EXPECT_FALSE(dlg.IsRunning());
    QCoreApplication::processEvents();
    for (auto [id, enabled] : {std::pair{106, true}, {103, true}, {1001, true}, {116, false}})
        EXPECT_EQ(Enabled(dlg, id), enabled) << id;
    EXPECT_FALSE(std::filesystem::exists(work.file("harbour_survey.EDT")));
    EXPECT_EQ(dlg.Messages(), (QStringList{QString::fromStdString("**>>  : Trying to open file:" + work.file("missing.ini")),
                                           "No such file or directory <<**"}));
}

// The list's rows are the converter's ellipsoid rows; "Placeholder" keeps the ellipsoid in
// force (WGS-84 on a new converter); the harbour project's definition gives the bundled
// example .EDT byte for byte, all under a decimal-comma locale.
TEST_F(Dialog, ConversionChoicesReachTheConverter)
{
    const CommaDecimalLocale german;
    ASSERT_TRUE(german.Active());
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, work.write("harbour_survey.csv", Sample()));
    auto* combo = qobject_cast<QComboBox*>(dlg.Control(1002));
    ASSERT_EQ(combo->count(), ZELTO_ELLIPSOID_ROWS);
    for (int i = 0; i < ZELTO_ELLIPSOID_ROWS; ++i)
        EXPECT_EQ(combo->itemText(i), QString::fromLatin1(EllipsoidTable[i].Name)) << i;
    const auto convertWith = [&](int row) {
        combo->setCurrentIndex(row);
        emit combo->activated(row);
        EXPECT_TRUE(ConvertAndWait(dlg));
        EXPECT_EQ(dlg.RunSummary(), kConverted);
        return TempDir::read(work.file("harbour_survey.EDT"));
    };
    const std::string placeholder = convertWith(0), wgs84 = convertWith(23), clarke = convertWith(5);
    EXPECT_EQ(placeholder, wgs84);
    EXPECT_NE(clarke, wgs84);
    EXPECT_EQ(convertWith(0), clarke);

    Button(dlg, 1001)->click();
    Choose(dlg, chooser, ZELTO_EXAMPLES "harbour_geodesy.ini", 1005);
    ASSERT_TRUE(ConvertAndWait(dlg));
    EXPECT_EQ(dlg.RunSummary(), kConverted);
    EXPECT_EQ(TempDir::read(work.file("harbour_survey.EDT")), TempDir::read(ZELTO_EXAMPLES "harbour_survey.EDT"));
}

// Project geodesy enables the definition file's controls; confirming an empty path switches
// back to standard UTM, refusing the chooser keeps project geodesy.
TEST_F(Dialog, EmptyDefinitionPathSwitchesBackToStandardUtm)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    const auto mode = [&] {
        return std::tuple{dlg.ConversionType(), qobject_cast<QRadioButton*>(dlg.Control(1001))->isChecked(),
                          Enabled(dlg, 1005), Enabled(dlg, 1002)};
    };
    Button(dlg, 1001)->click();
    EXPECT_EQ(mode(), std::tuple(1, true, true, false));
    Choose(dlg, chooser, "", 1005);
    EXPECT_EQ(mode(), std::tuple(0, false, false, true));
    Button(dlg, 1001)->click();
    Button(dlg, 1005)->click();  // refused
    EXPECT_EQ(mode(), std::tuple(1, true, true, false));
}

// The context menu's About item and system commands 16 to 31 show the About box; 32 does not.
TEST_F(Dialog, AboutBoxOnItsCommands)
{
    CZeltoConverterDlg dlg;
    QAction* about = dlg.actions().constLast();
    EXPECT_EQ(about->text(), "&About ZeltoConverter...");
    for (unsigned int id : {0u, 31u, 32u}) {
        QString title;
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) title = box->windowTitle(), box->close();
        });
        id == 0 ? about->trigger() : dlg.OnSysCommand(id);
        QCoreApplication::processEvents();
        EXPECT_EQ(title, id == 32 ? "" : "About ZeltoConverter") << id;
    }
}

TEST(FileChooserFilters, BarSeparatedFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtNameFilters("Zelto Files (*.csv)|*.csv||"), QStringList{"Zelto Files (*.csv *.CSV)"});
    EXPECT_EQ(QtNameFilters("INI Files (*.ini)|*.ini|All Files (*.*)|*.*||"),
              (QStringList{"INI Files (*.ini *.INI)", "All Files (*)"}));
    EXPECT_EQ(QtNameFilters("Surveys|*.csv;*.txt||"), QStringList{"Surveys (*.csv *.CSV *.txt *.TXT)"});
    EXPECT_EQ(QtNameFilters(""), QStringList{});
}
