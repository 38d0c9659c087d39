// The conversion dialog driven headless through its controls, with the real converter. The
// converter's own cases pin its bytes and messages; these pin what the dialog adds: the run on
// its worker, Cancel and closing, the counts, the settings and what reaches the converter.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "CommaDecimalLocale.h"
#include "FileChooser.h"
#include "TempDir.h"
#include "ZeltoConverterDlg.h"

namespace {

const QString kConverted = QStringLiteral("1 file(s) converted.");
const QString kNotConverted = QStringLiteral("0 file(s) converted,  1 file(s) NOT converted.");

// Every test gets its own settings store and folder, and a dialog made after both. The
// fixture is the dialog's file chooser: it answers the next request with `next` (left as it
// is: refused) and remembers the requests.
class Dialog : public ::testing::Test, public CFileChooser {
protected:
    FileChooserResult ChooseOpenFile(QWidget*, const FileChooserRequest& request) override
    {
        requests.push_back(request);
        return std::exchange(next, FileChooserResult{});
    }
    void SetUp() override
    {
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(settingsDir.path().string()));
        Open();
    }
    // A fresh dialog (a restart).
    void Open()
    {
        dlg = std::make_unique<CZeltoConverterDlg>();
        dlg->SetFileChooser(this);
    }
    static QSettings Store() { return QSettings(kSettingsOrganization, kSettingsApplication); }
    QAbstractButton* Button(int id) const { return qobject_cast<QAbstractButton*>(dlg->Control(id)); }
    QComboBox* Ellipsoids() const { return qobject_cast<QComboBox*>(dlg->Control(1002)); }
    bool Enabled(int id) const { return dlg->Control(id)->isEnabled(); }
    QString Text(int id) const { return dlg->Control(id)->property("text").toString(); }
    void SelectEllipsoid(int row) const
    {
        Ellipsoids()->setCurrentIndex(row);
        emit Ellipsoids()->activated(row);
    }
    // Answers the next file request with `path` and presses the button that asks: File...
    // (103) for the survey, ... (1005) for the definition file.
    void Choose(const std::string& path, int id = 103)
    {
        next = {true, QString::fromStdString(path), 1};
        Button(id)->click();
    }
    // Runs the event loop, as the window would, until done() holds or a limit only a hang reaches.
    // Only events on this thread change done(), and each wakes the wait.
    static bool SpinUntil(const auto& done)
    {
        const QDeadlineTimer limit(100000);
        QTimer::singleShot(120000, [] {});
        while (!done() && !limit.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return done();
    }
    bool ConvertAndWait()
    {
        Button(106)->click();
        return SpinUntil([&] { return !dlg->IsRunning(); });
    }
    TempDir settingsDir, work;
    // The bundled harbour survey (300 records, CR LF): its title line and its records.
    const std::string sample = TempDir::read(ZELTO_EXAMPLES "harbour_survey.csv");
    const std::string title = sample.substr(0, sample.find('\n') + 1), records = sample.substr(title.size());
    FileChooserResult next;
    std::vector<FileChooserRequest> requests;
    std::unique_ptr<CZeltoConverterDlg> dlg;
};

// A first start shows the defaults with the controls idle (Convert and Cancel wait for a csv
// file and a run) and writes nothing. The same choices ended with Escape save nothing; ended
// with the close request they are shown again by the next start.
TEST_F(Dialog, SettingsDefaultsAndKeptOnlyWhenTheWindowIsClosed)
{
    EXPECT_EQ(Ellipsoids()->currentText(), "Placeholder");
    EXPECT_TRUE(Button(1000)->isChecked());
    EXPECT_EQ(Text(1004), "");
    EXPECT_EQ(dlg->FileType(), 1);
    for (auto [id, enabled] : {std::pair{103, true}, {1002, true}, {106, false}, {116, false}, {1005, false}})
        EXPECT_EQ(Enabled(id), enabled) << id;
    EXPECT_FALSE(dlg->Control(104)->isVisibleTo(dlg.get()));
    EXPECT_FALSE(dlg->windowIcon().isNull());
    EXPECT_TRUE(Store().allKeys().isEmpty());

    const std::string ini = work.file("harbour_geodesy.ini");
    for (const bool byClose : {false, true}) {
        Open();
        SelectEllipsoid(5);
        Button(1001)->click();
        Choose(ini, 1005);
        Choose(work.file("harbour.csv"));
        dlg->show();
        byClose ? (void)dlg->close() : dlg->reject();
        EXPECT_EQ(Store().allKeys().isEmpty(), !byClose) << byClose;
    }
    EXPECT_EQ(Store().childGroups(), QStringList{"Properties"});
    Open();
    EXPECT_EQ(Ellipsoids()->currentText(), "Clarke 1866");
    EXPECT_TRUE(Button(1001)->isChecked());
    EXPECT_EQ(Text(1004).toStdString(), ini);
    EXPECT_EQ(dlg->FileType(), 0);
    EXPECT_EQ(dlg->FilterIndex(), 1);
    EXPECT_FALSE(Enabled(106));  // no file is chosen yet in this session
}

// A csv file in any letter case enables Convert, any other file leaves it disabled; the
// chooser offers the last extension and filter, and matches SURVEY.CSV (its filters as Qt
// name filters); refusing it changes nothing.
TEST_F(Dialog, ChoosingTheSurveySetsItsKindAndConvert)
{
    for (const auto& [name, fileType] : {std::pair{"SURVEY.CSV", 0}, {"survey.txt", 1}, {"b.Csv", 0}}) {
        Choose(work.file(name));
        EXPECT_EQ(dlg->FileType(), fileType) << name;
        EXPECT_EQ(Enabled(106), fileType == 0) << name;
        EXPECT_EQ(Text(111), name);
        EXPECT_EQ(Text(110).toStdString(), work.path().string());
    }
    Button(103)->click();  // refused
    EXPECT_EQ(dlg->FileNames(), "b.Csv");
    EXPECT_TRUE(Enabled(106));
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].filterIndex, 2);  // the file type of a first start, plus one
    EXPECT_EQ(requests[1].filterIndex, 1);
    EXPECT_EQ(requests[1].initialName, "CSV");
    EXPECT_EQ(requests[3].initialName, "Csv");
    EXPECT_EQ(QtNameFilters(requests[0].filter), QStringList{"Zelto Files (*.csv *.CSV)"});
    EXPECT_EQ(QtNameFilters("INI Files (*.ini)|*.ini|All Files (*.*)|*.*||"),
              (QStringList{"INI Files (*.ini *.INI)", "All Files (*)"}));
    EXPECT_EQ(QtNameFilters("Surveys|*.csv;*.txt||"), QStringList{"Surveys (*.csv *.CSV *.txt *.TXT)"});
}

// A run shows the output file and moves the bar, only Cancel can be pressed while it runs,
// and it ends idle with the file's line and the count. Every record reports its percentage,
// yet the window is told only of a new one and never has two progress events waiting.
TEST_F(Dialog, RunShowsOutputProgressAndTheFileCount)
{
    Choose(work.write("harbour_survey.csv", sample));
    int top = -1;
    QObject::connect(qobject_cast<QProgressBar*>(dlg->Control(113)), &QProgressBar::valueChanged,
                     [&](int v) { top = std::max(top, v); });
    Button(106)->click();
    for (int id : {106, 103, 1000, 1001, 1002}) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(116));
    ASSERT_TRUE(SpinUntil([&] { return !dlg->IsRunning(); }));

    EXPECT_EQ(Text(112).toStdString(), work.file("harbour_survey.EDT"));
    EXPECT_EQ(dlg->Messages(), QStringList{"harbour_survey.csv  CSV Records: 300"});
    EXPECT_EQ(dlg->findChild<QLabel*>("labelSummary")->text(), kConverted);
    for (int id : {106, 103, 1000, 1001, 1002}) EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(116));
    EXPECT_GT(top, 90);
    const auto c = dlg->Receiver().GetCounters();
    EXPECT_EQ(c.percentCalls, 301);  // the worker's 0, then one per record
    EXPECT_LE(c.percentEvents, 102);
    EXPECT_LE(c.peakPercentWaiting, 1);
}

// Cancel, or closing the window (which waits for the worker), at the bar's first move ends
// the file in work early: the survey is long enough (600,000 records) that the stop always
// lands within it. The part takes the .EDT's place only where there was none; an existing
// .EDT is never replaced. Either way the file is counted as cancelled, not as converted, and
// no temporary is left behind; only closing saves the settings. The worker reads the dialog's
// fields and posts to it: destroying the dialog mid-run waits for it, and saves nothing.
TEST_F(Dialog, CancelCloseOrDestroyDuringARunNeverReplacesAnExistingEdt)
{
    constexpr int kTimes = 2000;
    std::string survey = title;
    for (int i = 0; i < kTimes; ++i) survey += records;
    const std::string csv = work.write("long.csv", survey), edt = work.file("long.EDT");
    const std::string prefix = "long.csv  CSV Records: ";
    for (int way = 0; way < 4; ++way) {
        const bool existing = way >= 2, byClose = way % 2 == 1;
        SCOPED_TRACE(std::string(existing ? "existing .EDT, " : "no .EDT, ") + (byClose ? "close" : "Cancel"));
        std::filesystem::remove(edt);
        Store().clear();
        if (existing) work.write("long.EDT", "the earlier conversion");
        Open();
        Choose(csv);
        dlg->show();
        bool stopped = false, runningAfterStop = false;
        QObject::connect(qobject_cast<QProgressBar*>(dlg->Control(113)), &QProgressBar::valueChanged, [&] {
            if (std::exchange(stopped, true)) return;
            byClose ? (void)dlg->close() : Button(116)->click();
            runningAfterStop = byClose && dlg->IsRunning();
        });
        Button(106)->click();
        ASSERT_TRUE(SpinUntil([&] { return stopped && !dlg->RunSummary().isEmpty(); }));
        EXPECT_FALSE(runningAfterStop);
        EXPECT_EQ(Store().contains("Properties/FileType"), byClose);
        ASSERT_EQ(dlg->Messages().size(), 1);
        const std::string line = dlg->Messages()[0].toStdString();
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        const int written = std::stoi(line.substr(prefix.size()));
        EXPECT_LT(written, 300 * kTimes);
        if (existing) {
            EXPECT_TRUE(line.ends_with(", cancelled: the existing long.EDT was left as it was")) << line;
            EXPECT_EQ(TempDir::read(edt), "the earlier conversion");
        } else {
            EXPECT_TRUE(line.ends_with(", cancelled: the records so far are in long.EDT")) << line;
            const std::string part = TempDir::read(edt);
            EXPECT_EQ(std::count(part.begin(), part.end(), '\n'), 21 + written);  // header and records
        }
        EXPECT_EQ(dlg->RunSummary(), "0 file(s) converted.  1 file(s) cancelled.");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 2);  // .csv, .EDT
    }
    Store().clear();
    Open();
    Choose(csv);
    Button(106)->click();
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
    const std::string first = records.substr(0, records.find('\n') + 1);
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
        {"bad", title + bad + first + bad, {"**>> bad : Invalid position. ", "**>> bad : Invalid position. ",
                                            "bad.csv  CSV Records: 3"}, kNotConverted},
        {"cross", title + first + "\r\n" + at("W 113\xC2\xB0" "59\xE2\x80\xB2" "00.00\xE2\x80\xB3"),
         {"cross.csv  CSV Records: 2, 1 blank line(s) skipped", "Warning: the records fall in UTM zones 11, 12;"},
         kConverted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string(c.name) + ".csv";
        if (c.content) work.write(name, *c.content);
        Choose(work.file(name));
        ASSERT_TRUE(ConvertAndWait());
        const QStringList m = dlg->Messages();
        ASSERT_EQ(m.size(), static_cast<qsizetype>(c.lineStarts.size())) << m.join('|').toStdString();
        for (qsizetype i = 0; i < m.size(); ++i) EXPECT_TRUE(m[i].startsWith(c.lineStarts[i])) << m[i].toStdString();
        EXPECT_EQ(dlg->RunSummary(), c.summary);
        EXPECT_EQ(std::filesystem::exists(work.file(std::string(c.name) + ".EDT")), m.join('|').contains("CSV Records"));
    }
}

// A definition file that cannot be used stops the run before it starts: no worker, no .EDT,
// the controls idle again, and the reason in two lines (the converter's text holds a LF).
TEST_F(Dialog, FailingDefinitionFileStopsTheRunBeforeItStarts)
{
    Choose(work.write("harbour_survey.csv", sample));
    Button(1001)->click();
    Choose(work.file("missing.ini"), 1005);
    Button(106)->click();
    EXPECT_FALSE(dlg->IsRunning());
    QCoreApplication::processEvents();
    for (auto [id, enabled] : {std::pair{106, true}, {103, true}, {1001, true}, {116, false}})
        EXPECT_EQ(Enabled(id), enabled) << id;
    EXPECT_FALSE(std::filesystem::exists(work.file("harbour_survey.EDT")));
    EXPECT_EQ(dlg->Messages(), (QStringList{QString::fromStdString("**>>  : Trying to open file:" + work.file("missing.ini")),
                                            "No such file or directory <<**"}));
}

// The list's rows are the converter's ellipsoid rows; "Placeholder" keeps the ellipsoid in
// force (WGS-84 on a new converter); the harbour project's definition gives the bundled
// example .EDT byte for byte, all under a decimal-comma locale. Project geodesy enables the
// definition file's controls; confirming an empty path switches back to standard UTM,
// refusing the chooser keeps project geodesy.
TEST_F(Dialog, ConversionChoicesReachTheConverter)
{
    const CommaDecimalLocale german;
    ASSERT_TRUE(german.Active());
    Choose(work.write("harbour_survey.csv", sample));
    ASSERT_EQ(Ellipsoids()->count(), ZELTO_ELLIPSOID_ROWS);
    for (int i = 0; i < ZELTO_ELLIPSOID_ROWS; ++i)
        EXPECT_EQ(Ellipsoids()->itemText(i), QString::fromLatin1(EllipsoidTable[i].Name)) << i;
    const auto convertWith = [&](int row) {
        SelectEllipsoid(row);
        EXPECT_TRUE(ConvertAndWait());
        EXPECT_EQ(dlg->RunSummary(), kConverted);
        return TempDir::read(work.file("harbour_survey.EDT"));
    };
    const std::string placeholder = convertWith(0), wgs84 = convertWith(23), clarke = convertWith(5);
    EXPECT_EQ(placeholder, wgs84);
    EXPECT_NE(clarke, wgs84);
    EXPECT_EQ(convertWith(0), clarke);

    const auto mode = [&] {
        return std::tuple{dlg->ConversionType(), Button(1001)->isChecked(), Enabled(1005), Enabled(1002)};
    };
    Button(1001)->click();
    EXPECT_EQ(mode(), std::tuple(1, true, true, false));
    Choose(ZELTO_EXAMPLES "harbour_geodesy.ini", 1005);
    ASSERT_TRUE(ConvertAndWait());
    EXPECT_EQ(dlg->RunSummary(), kConverted);
    EXPECT_EQ(TempDir::read(work.file("harbour_survey.EDT")), TempDir::read(ZELTO_EXAMPLES "harbour_survey.EDT"));
    Button(1005)->click();  // refused
    EXPECT_EQ(mode(), std::tuple(1, true, true, false));
    Choose("", 1005);
    EXPECT_EQ(mode(), std::tuple(0, false, false, true));
}

// The context menu's About item and system commands 16 to 31 show the About box; 32 does not.
TEST_F(Dialog, AboutBoxOnItsCommands)
{
    QAction* about = dlg->actions().constLast();
    EXPECT_EQ(about->text(), "&About ZeltoConverter...");
    for (unsigned int id : {0u, 31u, 32u}) {
        QString boxTitle;
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) boxTitle = box->windowTitle(), box->close();
        });
        id == 0 ? about->trigger() : dlg->OnSysCommand(id);
        QCoreApplication::processEvents();
        EXPECT_EQ(boxTitle, id == 32 ? "" : "About ZeltoConverter") << id;
    }
}

}  // namespace
