// Helpers for driving the real conversion dialog headless: a scripted file chooser, a
// settings store in a temporary folder, survey files, and waiting for a run to end.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "FileChooser.h"
#include "TempDir.h"
#include "ZeltoConverterDlg.h"

// Answers the dialog's next open-file request with `next` (left as it is: refused) and
// remembers the requests.
struct ScriptedChooser final : CFileChooser {
    explicit ScriptedChooser(CZeltoConverterDlg& dlg) { dlg.SetFileChooser(this); }
    FileChooserResult ChooseOpenFile(QWidget*, const FileChooserRequest& request) override
    {
        requests.push_back(request);
        return std::exchange(next, FileChooserResult{});
    }
    FileChooserResult next;
    std::vector<FileChooserRequest> requests;
};

// Every test gets its own settings store and folder.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(settingsDir.path().string()));
    }
    static QSettings Store() { return QSettings(kSettingsOrganization, kSettingsApplication); }
    static QAbstractButton* Button(CZeltoConverterDlg& dlg, int id)
    {
        return qobject_cast<QAbstractButton*>(dlg.Control(id));
    }
    static bool Enabled(CZeltoConverterDlg& dlg, int id) { return dlg.Control(id)->isEnabled(); }
    static QString Text(CZeltoConverterDlg& dlg, int id) { return dlg.Control(id)->property("text").toString(); }

    // Answers the next file request with `path` and presses the button that asks: File...
    // (103) for the survey, ... (1005) for the definition file.
    static void Choose(CZeltoConverterDlg& dlg, ScriptedChooser& chooser, const std::string& path, int id = 103)
    {
        chooser.next = {true, QString::fromStdString(path), 1};
        Button(dlg, id)->click();
    }

    // Runs the event loop, as the window would, until done() holds or a limit only a hang reaches.
    static bool SpinUntil(const std::function<bool()>& done)
    {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] { if (done()) loop.quit(); });
        poll.start(5);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        if (!done()) loop.exec();
        QCoreApplication::processEvents();
        return done();
    }
    // Presses Convert and waits for the run to end.
    static bool ConvertAndWait(CZeltoConverterDlg& dlg)
    {
        Button(dlg, 106)->click();
        return SpinUntil([&] { return !dlg.IsRunning(); });
    }

    // The bundled harbour survey (300 records, CR LF), and its title line.
    static std::string Sample() { return TempDir::read(ZELTO_EXAMPLES "harbour_survey.csv"); }
    static std::string Title() { return Sample().substr(0, Sample().find('\n') + 1); }
    // The harbour survey's records `times` over, as `name` in the test's folder.
    std::string WriteLongSurvey(const std::string& name, int times) const
    {
        const std::string sample = Sample(), records = sample.substr(Title().size());
        std::ofstream out(work.file(name), std::ios::binary);
        out << Title();
        for (int i = 0; i < times; ++i) out << records;
        return work.file(name);
    }
    // Records of an .EDT: its lines after the 21 of the header.
    static int EdtRecords(const std::string& edt)
    {
        const std::string all = TempDir::read(edt);
        return std::max(0, static_cast<int>(std::count(all.begin(), all.end(), '\n')) - 21);
    }

    TempDir settingsDir;
    TempDir work;
};
