// The conversion dialog driven headless through its controls, with the real converter.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>

#include "AboutDlg.h"
#include "DialogTestUtil.h"
#include "EllipsoidNames.h"

namespace {

QString Text(CZeltoConverterDlg& dlg, int id)
{
    QWidget* w = dlg.Control(id);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return QStringLiteral("<no text control %1>").arg(id);
}

bool Enabled(CZeltoConverterDlg& dlg, int id) { return dlg.Control(id) != nullptr && dlg.Control(id)->isEnabled(); }

// Calls action once, when the first posted message of the given type reaches the dialog.
class OnFirstMessage : public QObject {
public:
    OnFirstMessage(CZeltoConverterDlg& dlg, unsigned int message, std::function<void()> action)
        : m_message(message), m_action(std::move(action))
    {
        dlg.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (!m_done && static_cast<unsigned int>(e->type()) == m_message) {
            m_done = true;
            m_action();
        }
        return false;
    }
    bool m_done = false;

private:
    unsigned int m_message;
    std::function<void()> m_action;
};

// Records every progress value the bar shows during a run.
class ProgressWatch : public QObject {
public:
    explicit ProgressWatch(QProgressBar* bar)
    {
        connect(bar, &QProgressBar::valueChanged, this, [this](int v) { values.push_back(v); });
    }
    std::vector<int> values;
};

std::string EdtRecordCount(const std::string& edt)
{
    const std::string all = TempDir::read(edt);
    std::size_t lines = 0;
    for (char c : all) lines += c == '\n';
    return std::to_string(lines >= 21 ? lines - 21 : 0);
}

}  // namespace

using Dialog = DialogTest;

TEST_F(Dialog, ControlsCarryTheirIdsAndTexts)
{
    CZeltoConverterDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Zelto Converter");
    EXPECT_EQ(dlg.property("templateId").toInt(), 102);
    const std::pair<int, const char*> texts[] = {
        {103, "File..."}, {104, "Setup..."}, {106, "Convert"}, {107, "Input and Setup"},
        {108, "Position Conversion"}, {110, "Path ... to EDT"}, {111, "Input File ..."},
        {112, "Output File EDT"}, {116, "Cancel"}, {1000, "Standard UTM"}, {1001, "Bramix Project Geodesy"},
        {1003, "Select Configuration File"}, {1005, "..."}};
    for (const auto& [id, text] : texts) {
        ASSERT_NE(dlg.Control(id), nullptr) << id;
        EXPECT_EQ(Text(dlg, id), QString::fromUtf8(text)) << id;
    }
    EXPECT_TRUE(qobject_cast<QProgressBar*>(dlg.Control(113)));
    EXPECT_TRUE(qobject_cast<QComboBox*>(dlg.Control(1002)));
    ASSERT_TRUE(qobject_cast<QListWidget*>(dlg.Control(115)));
    EXPECT_FALSE(qobject_cast<QListWidget*>(dlg.Control(115))->isSortingEnabled());
    auto* definitionPath = qobject_cast<QLineEdit*>(dlg.Control(1004));
    ASSERT_NE(definitionPath, nullptr);
    EXPECT_TRUE(definitionPath->isReadOnly());
    EXPECT_FALSE(dlg.Control(104)->isVisibleTo(&dlg));
    EXPECT_FALSE(Enabled(dlg, 106));
    EXPECT_FALSE(Enabled(dlg, 116));
    EXPECT_TRUE(Enabled(dlg, 103));
    // The program icon, also shown as the dialog's picture.
    EXPECT_FALSE(dlg.windowIcon().isNull());
    auto* picture = dlg.findChild<QLabel*>("picture");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->property("resourceId").toInt(), 130);
    EXPECT_FALSE(picture->pixmap().isNull());
}

TEST_F(Dialog, EllipsoidListMatchesTheConverterTableRowForRow)
{
    CZeltoConverterDlg dlg;
    auto* combo = qobject_cast<QComboBox*>(dlg.Control(1002));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), ZELTO_ELLIPSOID_ROWS);
    for (int i = 0; i < ZELTO_ELLIPSOID_ROWS; ++i) {
        EXPECT_STREQ(kEllipsoidNames[i], EllipsoidTable[i].Name) << i;
        EXPECT_EQ(combo->itemText(i), QString::fromLatin1(EllipsoidTable[i].Name)) << i;
    }
    EXPECT_EQ(combo->itemText(0), "Placeholder");
}

TEST_F(Dialog, ChoosingUpperCaseCsvEnablesConvert)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    const std::string path = work.write("SURVEY.CSV", "x\n");
    Choose(dlg, chooser, path);

    ASSERT_EQ(chooser.requests.size(), 1u);
    const FileChooserRequest& rq = chooser.requests[0];
    EXPECT_EQ(rq.defaultExt, "csv");
    EXPECT_EQ(rq.initialName, "");  // the extension of the previous choice, none yet
    EXPECT_EQ(rq.flags, 0x81004u);
    EXPECT_EQ(rq.filter, "Zelto Files (*.csv)|*.csv||");
    EXPECT_EQ(rq.filterIndex, 2);  // FileType 1 + 1 on a first start
    EXPECT_EQ(rq.title, "Select the Kelpra File");

    EXPECT_EQ(dlg.FileType(), 0);
    EXPECT_TRUE(Enabled(dlg, 106));
    EXPECT_EQ(dlg.FileExt(), "CSV");
    EXPECT_EQ(dlg.FileNames(), "SURVEY.CSV");
    EXPECT_EQ(Text(dlg, 111), "SURVEY.CSV");
    EXPECT_EQ(Text(dlg, 110), QString::fromStdString(work.path().string()));
    EXPECT_EQ(Text(dlg, 112), "");
    EXPECT_EQ(dlg.FilterIndex(), 1);

    // The next chooser offers the extension as its initial name.
    chooser.Refuse();
    Button(dlg, 103)->click();
    ASSERT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(chooser.requests[1].initialName, "CSV");
    EXPECT_EQ(chooser.requests[1].filterIndex, 1);
}

TEST_F(Dialog, ChoosingTxtLeavesConvertDisabledAndCancelChangesNothing)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, work.file("survey.txt"));
    EXPECT_EQ(dlg.FileType(), 1);
    EXPECT_FALSE(Enabled(dlg, 106));
    EXPECT_EQ(dlg.FileNames(), "survey.txt");

    Choose(dlg, chooser, work.file("a.csv"));
    EXPECT_TRUE(Enabled(dlg, 106));
    chooser.Refuse();
    Button(dlg, 103)->click();
    EXPECT_EQ(dlg.FileType(), 0);
    EXPECT_EQ(dlg.FileNames(), "a.csv");
    EXPECT_TRUE(Enabled(dlg, 106));
}

TEST_F(Dialog, RunOverTheHarbourSampleShowsOutputProgressAndRecordCount)
{
    const std::string csv = work.write("harbour_survey.csv", TempDir::read(ZELTO_SAMPLE_CSV));
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, csv);
    ProgressWatch progress(qobject_cast<QProgressBar*>(dlg.Control(113)));
    dlg.Receiver().ResetCounters();

    Button(dlg, 106)->click();
    // While it runs only Cancel can be pressed.
    for (int id : {106, 103, 1000, 1001, 1002, 1005}) EXPECT_FALSE(Enabled(dlg, id)) << id;
    EXPECT_TRUE(Enabled(dlg, 116));
    ASSERT_TRUE(WaitForRunEnd(dlg));

    const std::string edt = work.file("harbour_survey.EDT");
    EXPECT_EQ(Text(dlg, 112), QString::fromStdString(edt));
    ASSERT_FALSE(dlg.Messages().isEmpty());
    EXPECT_EQ(dlg.Messages().constLast(), "harbour_survey.csv  CSV Records: 300");
    EXPECT_EQ(dlg.Messages().size(), 1);
    EXPECT_EQ(EdtRecordCount(edt), "300");
    EXPECT_EQ(dlg.RunSummary(), "1 file(s) converted.");
    EXPECT_EQ(qobject_cast<QLabel*>(dlg.findChild<QLabel*>("labelSummary"))->text(), "1 file(s) converted.");
    EXPECT_EQ(dlg.FailedFiles(), 0);
    EXPECT_EQ(dlg.NextFile(), 1);

    // The bar moved: it was put to 0 for the file and went well past it.
    ASSERT_FALSE(progress.values.empty());
    EXPECT_GT(*std::max_element(progress.values.begin(), progress.values.end()), 90);
    EXPECT_LT(*std::max_element(progress.values.begin(), progress.values.end()), 100);
    EXPECT_EQ(dlg.Receiver().GetCounters().percentCalls, 301);  // the worker's 0 and one per record
    EXPECT_LE(dlg.Receiver().GetCounters().peakPercentWaiting, 1);

    // Idle again, and the file stays chosen.
    for (int id : {106, 103, 1000, 1002}) EXPECT_TRUE(Enabled(dlg, id)) << id;
    EXPECT_FALSE(Enabled(dlg, 116));

    // The same conversion again gives the same file.
    const std::string first = TempDir::read(edt);
    ASSERT_TRUE(ConvertAndWait(dlg));
    EXPECT_EQ(TempDir::read(edt), first);
    EXPECT_EQ(dlg.Messages().size(), 1);  // the list starts afresh with every run
}

// Cancel (the button, or closing the dialog) ends the file in work early. Its part takes
// the .EDT's place only where there was none; an existing .EDT is never replaced by it.
// Either way the file is reported as cancelled with its count, not as converted.
TEST_F(Dialog, CancelOrCloseDuringARunNeverReplacesAnExistingEdt)
{
    constexpr int kRecords = 200000;
    const std::string csv = WriteSurvey(work.file("long_survey.csv"), kRecords);
    const std::string edt = work.file("long_survey.EDT");
    const std::string prefix = "long_survey.csv  CSV Records: ";
    for (const bool existing : {false, true}) {
        for (const bool byClose : {false, true}) {
            SCOPED_TRACE(std::string(existing ? "existing .EDT, " : "no .EDT, ") + (byClose ? "close" : "Cancel"));
            std::filesystem::remove(edt);
            if (existing) work.write("long_survey.EDT", "the earlier conversion");
            auto dlg = std::make_unique<CZeltoConverterDlg>();
            ScriptedChooser chooser(*dlg);
            Choose(*dlg, chooser, csv);
            dlg->show();
            bool stoppedWhileRunning = false;
            OnFirstMessage stop(*dlg, WM_PERCENTDONE, [&] {
                stoppedWhileRunning = dlg->IsRunning();
                if (byClose) dlg->close();  // waits for the worker before it returns
                else Button(*dlg, 116)->click();
                if (byClose) {
                    EXPECT_FALSE(dlg->IsRunning());
                }
            });
            Button(*dlg, 106)->click();
            ASSERT_TRUE(SpinUntil([&] { return stop.m_done && !dlg->IsRunning(); }));
            EXPECT_TRUE(stoppedWhileRunning);
            EXPECT_NE(dlg->isVisible(), byClose);
            EXPECT_TRUE(!byClose || Store().contains("Properties/FileType"));  // closing saves the settings
            QCoreApplication::processEvents();
            if (existing) {
                EXPECT_EQ(TempDir::read(edt), "the earlier conversion");
            } else {
                EXPECT_LT(std::stoi(EdtRecordCount(edt)), kRecords);
            }
            // The .csv and the .EDT, no temporary.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 2);
            if (!byClose) {
                ASSERT_EQ(dlg->Messages().size(), 1);
                const std::string last = dlg->Messages().constLast().toStdString();
                ASSERT_EQ(last.rfind(prefix, 0), 0u) << last;
                const int written = std::stoi(last.substr(prefix.size()));
                EXPECT_LT(written, kRecords);
                if (existing) {
                    EXPECT_TRUE(last.ends_with(", cancelled: the existing long_survey.EDT was left as it was")) << last;
                } else {
                    EXPECT_TRUE(last.ends_with(", cancelled: the records so far are in long_survey.EDT")) << last;
                    EXPECT_EQ(EdtRecordCount(edt), std::to_string(written));
                }
                EXPECT_EQ(dlg->RunSummary(), "0 file(s) converted.  1 file(s) cancelled.");
                EXPECT_FALSE(Enabled(*dlg, 116));
                EXPECT_TRUE(Enabled(*dlg, 106));
            }
        }
    }
}

// Blank lines are skipped and counted, a position that is no place on Earth is written
// without one and counts the file as failed, and a survey over two UTM zones gets a plain
// warning line that counts as nothing.
TEST_F(Dialog, BlankLinesInvalidPositionsAndZoneWarning)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    const std::string rec = ",,8.00,8.45,,,,,,,,,,,,0.00,,,,,,,,,,,,,,,,N 32\xC2\xB0" "42\xE2\x80\xB2" "36.00\xE2\x80\xB3,";
    const std::string tail = ",,06/12/2026,09:30:00.00,1,,1.20,\r\n";
    const std::string west117 = "W 117\xC2\xB0" "10\xE2\x80\xB2" "48.00\xE2\x80\xB3";
    const std::string west114 = "W 113\xC2\xB0" "59\xE2\x80\xB2" "00.00\xE2\x80\xB3";
    Choose(dlg, chooser, work.write("cross.csv", "titles\r\n" + rec + west117 + tail + "\r\n" + rec + west114 + tail));
    ASSERT_TRUE(ConvertAndWait(dlg));
    QStringList m = dlg.Messages();
    ASSERT_EQ(m.size(), 2) << m.join('|').toStdString();
    EXPECT_EQ(m[0], "cross.csv  CSV Records: 2, 1 blank line(s) skipped");
    EXPECT_EQ(m[1].toStdString(), "Warning: the records fall in UTM zones 11, 12; the zone first changes at " +
                                      work.file("cross.csv") +
                                      " line 4. Each record is in the grid of its own zone; a project geodesy "
                                      "definition gives one fixed grid.");
    EXPECT_EQ(dlg.RunSummary(), "1 file(s) converted.");

    Choose(dlg, chooser, work.write("bad.csv", "titles\r\n" + rec + "Einf\xC2\xB0" + tail));
    ASSERT_TRUE(ConvertAndWait(dlg));
    m = dlg.Messages();
    ASSERT_EQ(m.size(), 2) << m.join('|').toStdString();
    EXPECT_EQ(m[0].toStdString(), "**>> bad : Invalid position. " + work.file("bad.csv") + " line 2: N 32\xC2\xB0" "42\xE2\x80\xB2" "36.00\xE2\x80\xB3, Einf\xC2\xB0 <<**");
    EXPECT_EQ(m[1], "bad.csv  CSV Records: 1");
    EXPECT_EQ(dlg.RunSummary(), "0 file(s) converted,  1 file(s) NOT converted.");
}

TEST_F(Dialog, FileThatCannotBeOpenedGivesOneErrorLineAndNoSummaryLine)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, work.file("gone.csv"));
    ASSERT_TRUE(ConvertAndWait(dlg));
    ASSERT_EQ(dlg.Messages().size(), 1);
    EXPECT_EQ(dlg.Messages()[0].toStdString(),
              "**>> gone : Failed to open CSV file. " + work.file("gone.csv") + ": No such file or directory <<**");
    EXPECT_EQ(dlg.FailedFiles(), 1);
    EXPECT_EQ(dlg.RunSummary(), "0 file(s) converted,  1 file(s) NOT converted.");

    // A file without a single line fails while it is converted.
    const std::string empty = work.write("empty.csv", "");
    Choose(dlg, chooser, empty);
    ASSERT_TRUE(ConvertAndWait(dlg));
    ASSERT_EQ(dlg.Messages().size(), 1);
    EXPECT_EQ(dlg.Messages()[0].toStdString(),
              "**>> empty : Failed to parse CSV file. " + empty + ": the file is empty <<**");
    EXPECT_FALSE(std::filesystem::exists(work.file("empty.EDT")));
}

TEST_F(Dialog, AFileFailingOnManyRecordsCountsAsOneFailedFile)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    const std::string csv = WriteSurvey(work.file("track.csv"), 50);
    Choose(dlg, chooser, csv);
    // Three records of the file fail, as a project geodesy rejecting positions reports them;
    // delivered at once, before anything else the worker posts about this file.
    OnFirstMessage fail(dlg, WM_PERCENTDONE, [&] {
        for (int i = 0; i < 3; ++i) {
            CPostedMessageEvent error(WM_CONVERTERERROR, 0, 0, "Failed GeoXY call.");
            QCoreApplication::sendEvent(&dlg, &error);
        }
    });
    ASSERT_TRUE(ConvertAndWait(dlg));
    const QStringList m = dlg.Messages();
    ASSERT_EQ(m.size(), 4);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m[i], "**>> track : Failed GeoXY call. <<**");
    EXPECT_EQ(m[3], "track.csv  CSV Records: 50");
    EXPECT_EQ(dlg.FailedFiles(), 1);
    EXPECT_EQ(dlg.RunSummary(), "0 file(s) converted,  1 file(s) NOT converted.");
}

TEST_F(Dialog, FailingDefinitionFileStopsTheRunBeforeItStarts)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    const std::string csv = work.write("harbour_survey.csv", TempDir::read(ZELTO_SAMPLE_CSV));
    Choose(dlg, chooser, csv);
    Button(dlg, 1001)->click();
    EXPECT_EQ(dlg.ConversionType(), 1);
    const std::string ini = work.write("junk.ini", "this is not a geodesy definition\n[Nothing]\nx=\n");
    Choose(dlg, chooser, ini, 1005);
    EXPECT_EQ(dlg.IniFilePath(), QString::fromStdString(ini));
    EXPECT_EQ(Text(dlg, 1004), QString::fromStdString(ini));

    Button(dlg, 106)->click();
    EXPECT_FALSE(dlg.IsRunning());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Enabled(dlg, 106));
    EXPECT_FALSE(Enabled(dlg, 116));
    EXPECT_TRUE(Enabled(dlg, 103));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(work.file("harbour_survey.EDT"))));

    std::string error;
    dlg.Converter().GetLastError(error);
    ASSERT_FALSE(error.empty());
    const QStringList m = dlg.Messages();
    // No file has been worked on yet: the title is empty.
    ASSERT_EQ(error.rfind("Trying to open file:", 0), 0u) << error;
    ASSERT_EQ(m.size(), 2) << m.join('|').toStdString();
    EXPECT_EQ(m[0], QString::fromStdString("**>>  : Trying to open file:" + ini));
    EXPECT_EQ(m[1], QString::fromStdString(error.substr(error.find('\n') + 1) + " <<**"));

    // After a run the title is the previous output file's name.
    Button(dlg, 1000)->click();
    ASSERT_TRUE(ConvertAndWait(dlg));
    Button(dlg, 1001)->click();
    const std::string missing = work.file("missing.ini");
    Choose(dlg, chooser, missing, 1005);
    Button(dlg, 106)->click();
    QCoreApplication::processEvents();
    ASSERT_FALSE(dlg.Messages().isEmpty());
    EXPECT_TRUE(dlg.Messages()[0].startsWith("**>> harbour_survey : ")) << dlg.Messages()[0].toStdString();
    // A missing definition file says so with the system's reason.
    ASSERT_EQ(dlg.Messages().size(), 2);
    EXPECT_EQ(dlg.Messages()[1], "No such file or directory <<**");
}

TEST_F(Dialog, PlaceholderKeepsTheEllipsoidInForce)
{
    const std::string csv = work.write("harbour_survey.csv", TempDir::read(ZELTO_SAMPLE_CSV));
    const std::string edt = work.file("harbour_survey.EDT");
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, csv);
    auto* combo = qobject_cast<QComboBox*>(dlg.Control(1002));
    auto convertWith = [&](int row) {
        combo->setCurrentIndex(row);
        emit combo->activated(row);
        EXPECT_EQ(dlg.EllipsoidIndex(), row);
        Button(dlg, 106)->click();
        EXPECT_TRUE(WaitForRunEnd(dlg));
        EXPECT_TRUE(dlg.Messages().isEmpty() ? false : dlg.Messages().constLast().endsWith("CSV Records: 300"));
        return TempDir::read(edt);
    };
    const std::string placeholderFirst = convertWith(0);
    const std::string wgs84 = convertWith(23);
    const std::string clarke = convertWith(5);
    const std::string placeholderAfterClarke = convertWith(0);
    EXPECT_EQ(placeholderFirst, wgs84);  // a new converter starts on WGS-84
    EXPECT_NE(clarke, wgs84);
    EXPECT_EQ(placeholderAfterClarke, clarke);
}

TEST_F(Dialog, EmptyDefinitionPathSwitchesBackToStandardUtm)
{
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Button(dlg, 1001)->click();
    EXPECT_EQ(dlg.ConversionType(), 1);
    EXPECT_TRUE(Enabled(dlg, 1003));
    EXPECT_TRUE(Enabled(dlg, 1004));
    EXPECT_TRUE(Enabled(dlg, 1005));
    EXPECT_FALSE(Enabled(dlg, 1002));
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dlg.Control(1001))->isChecked());

    chooser.Answer(QString());
    Button(dlg, 1005)->click();
    ASSERT_EQ(chooser.requests.size(), 1u);
    const FileChooserRequest& rq = chooser.requests[0];
    EXPECT_EQ(rq.defaultExt, "ini");
    EXPECT_EQ(rq.initialName, ".ini");
    EXPECT_EQ(rq.flags, 0x80006u);
    EXPECT_EQ(rq.filter, "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||");
    EXPECT_EQ(rq.filterIndex, 1);
    EXPECT_EQ(rq.title, "");

    EXPECT_EQ(dlg.ConversionType(), 0);
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dlg.Control(1000))->isChecked());
    EXPECT_TRUE(Enabled(dlg, 1002));
    EXPECT_FALSE(Enabled(dlg, 1005));
    EXPECT_EQ(Text(dlg, 1004), "");

    // Refusing the chooser keeps project geodesy and the path.
    Button(dlg, 1001)->click();
    chooser.Refuse();
    Button(dlg, 1005)->click();
    EXPECT_EQ(dlg.ConversionType(), 1);
}

TEST_F(Dialog, DestroyingTheDialogMidRunIsSafe)
{
    const std::string csv = WriteSurvey(work.file("long_survey.csv"), 100000);
    auto dlg = std::make_unique<CZeltoConverterDlg>();
    ScriptedChooser chooser(*dlg);
    Choose(*dlg, chooser, csv);
    Button(*dlg, 106)->click();
    EXPECT_TRUE(dlg->IsRunning());
    dlg.reset();
    QCoreApplication::processEvents();  // posted events of the gone dialog are dropped
    EXPECT_FALSE(Store().contains("Properties/FileType"));  // no close request, nothing saved
}

TEST_F(Dialog, SystemMenuCommandsShowTheAboutBox)
{
    CZeltoConverterDlg dlg;
    const auto actions = dlg.actions();
    const auto about = std::find_if(actions.begin(), actions.end(),
                                    [](QAction* a) { return a->text() == "&About ZeltoConverter..."; });
    ASSERT_NE(about, actions.end());
    EXPECT_EQ((*about)->property("commandId").toUInt(), 16u);

    for (unsigned int id : {16u, 31u}) {
        QString title, version;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            version = box->findChild<QLabel*>("labelVersion")->text();
            EXPECT_EQ(box->property("templateId").toInt(), 100);
            box->findChild<QPushButton*>("buttonOk")->click();
        });
        dlg.OnSysCommand(id);
        EXPECT_EQ(title, "About ZeltoConverter");
        EXPECT_EQ(version, "ZeltoConverter Version 1.0");
    }
    // Other commands do not.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* w = QApplication::activeModalWidget()) {
            shown = true;
            w->close();
        }
    });
    dlg.OnSysCommand(32);
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
}

TEST(FileChooserFilters, BarSeparatedFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtNameFilters("Zelto Files (*.csv)|*.csv||"), QStringList{"Zelto Files (*.csv *.CSV)"});
    EXPECT_EQ(QtNameFilters("INI Files (*.ini)|*.ini|All Files (*.*)|*.*||"),
              (QStringList{"INI Files (*.ini *.INI)", "All Files (*)"}));
    EXPECT_EQ(QtNameFilters("Surveys|*.csv;*.txt||"), QStringList{"Surveys (*.csv *.CSV *.txt *.TXT)"});
    EXPECT_EQ(QtNameFilters(""), QStringList{});
}

TEST_F(Dialog, ProjectGeodesyRunUsesTheDefinitionFile)
{
    const std::string csv = work.write("harbour_survey.csv", TempDir::read(ZELTO_SAMPLE_CSV));
    const std::string ini = work.write("harbour_geodesy.ini", TempDir::read(ZELTO_SAMPLE_INI));
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, csv);
    ASSERT_TRUE(ConvertAndWait(dlg));
    const std::string utm = TempDir::read(work.file("harbour_survey.EDT"));

    Button(dlg, 1001)->click();
    Choose(dlg, chooser, ini, 1005);
    ASSERT_TRUE(ConvertAndWait(dlg));
    ASSERT_EQ(dlg.Messages().size(), 1) << dlg.Messages().join('|').toStdString();
    EXPECT_EQ(dlg.Messages()[0], "harbour_survey.csv  CSV Records: 300");
    EXPECT_EQ(dlg.RunSummary(), "1 file(s) converted.");
    // NAD 27 grid positions differ from the WGS-84 UTM ones by tens of metres.
    EXPECT_NE(TempDir::read(work.file("harbour_survey.EDT")), utm);
}
