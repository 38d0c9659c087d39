// Helpers for driving the real conversion dialog headless: a scripted file chooser, a
// settings store in a temporary folder, survey files, and waiting for a run to end.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTimer>
#include <QString>

#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "FileChooser.h"
#include "TempDir.h"
#include "ZeltoConverterDlg.h"

// Answers the dialog's open-file requests from a queue and remembers what was asked.
class ScriptedChooser final : public CFileChooser {
public:
    // Serves the dialog's requests from now on.
    explicit ScriptedChooser(CZeltoConverterDlg& dlg) { dlg.SetFileChooser(this); }
    void Answer(const QString& path, int filterIndex = 1) { answers.push_back({true, path, filterIndex}); }
    void Refuse() { answers.push_back({false, QString(), 1}); }
    FileChooserResult ChooseOpenFile(QWidget*, const FileChooserRequest& request) override
    {
        requests.push_back(request);
        if (answers.empty()) return {};
        FileChooserResult r = answers.front();
        answers.pop_front();
        return r;
    }
    std::deque<FileChooserResult> answers;
    std::vector<FileChooserRequest> requests;
};

// Every test gets its own settings store and folder.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setDefaultFormat(QSettings::NativeFormat);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settingsDir.path().string()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsDir.path().string()));
    }

    static QSettings Store()
    {
        return QSettings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication));
    }

    static QAbstractButton* Button(CZeltoConverterDlg& dlg, int id)
    {
        return qobject_cast<QAbstractButton*>(dlg.Control(id));
    }

    // Answers the next file request with `path` and presses the button that asks: File...
    // (103) for the survey, ... (1005) for the definition file.
    static void Choose(CZeltoConverterDlg& dlg, ScriptedChooser& chooser, const std::string& path, int id = 103)
    {
        chooser.Answer(QString::fromStdString(path));
        Button(dlg, id)->click();
    }

    // Runs the event loop, as the window would, until done() holds or a generous limit that
    // only a hang reaches. The loop sleeps between events, leaving the cores to the worker.
    static bool SpinUntil(const std::function<bool()>& done, int limitMs = 120000)
    {
        if (!done()) {
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (done()) loop.quit();
            });
            poll.start(5);
            QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        QCoreApplication::processEvents();
        return done();
    }
    static bool WaitForRunEnd(CZeltoConverterDlg& dlg, int limitMs = 120000)
    {
        return SpinUntil([&] { return !dlg.IsRunning(); }, limitMs);
    }

    // Presses Convert and waits for the run to end.
    static bool ConvertAndWait(CZeltoConverterDlg& dlg, int limitMs = 120000)
    {
        Button(dlg, 106)->click();
        return WaitForRunEnd(dlg, limitMs);
    }

    // A Zelto CSV of n records cycled from a small track in San Diego Bay.
    static std::string WriteSurvey(const std::string& path, int n)
    {
        std::ofstream out(path, std::ios::binary);
        out << "Rec,Flag,Depth1,Depth2,C4,C5,C6,C7,C8,C9,C10,C11,C12,C13,C14,Heave,C16,C17,C18,C19,C20,C21,"
               "C22,C23,C24,C25,C26,C27,C28,C29,C30,Latitude,Longitude,C33,Date,Time,Fix,C37,Tide,C39\r\n";
        for (int i = 0; i < n; ++i) {
            const int s = i % 60;
            const int cs = (i * 7) % 100;
            char line[256];
            std::snprintf(line, sizeof line,
                          ",,8.%02d,8.%02d,,,,,,,,,,,,0.00,,,,,,,,,,,,,,,,N 32\xC2\xB0"
                          "42\xE2\x80\xB2%02d.%02d\xE2\x80\xB3,W 117\xC2\xB0"
                          "10\xE2\x80\xB2%02d.%02d\xE2\x80\xB3,,06/12/2026,09:%02d:%02d.00,%d,,1.20,\r\n",
                          cs, cs, s, cs, 59 - s, cs, (i / 60) % 60, s, i + 1);
            out << line;
        }
        return path;
    }

    TempDir settingsDir;
    TempDir work;
};
