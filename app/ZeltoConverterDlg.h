// ZeltoConverterDlg.h - the conversion dialog: pick a Zelto CSV survey, choose how positions
// are projected (standard UTM on one of the built-in ellipsoids, or a Bramix project's
// geodesy definition file) and convert it into the .EDT file beside it on a worker thread,
// with the output file, a progress bar, a message list and Cancel.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DialogMessageWnd.h"
#include "FileChooser.h"
#include "ZeltoQvxConverter.h"

namespace Ui {
class CZeltoConverterDlg;
}

// Where the four settings live: QSettings(kSettingsOrganization, kSettingsApplication),
// group kSettingsGroup.
inline constexpr const char* kSettingsOrganization = "Local AppWizard-Generated Applications";
inline constexpr const char* kSettingsApplication = "ZeltoConverter";
inline constexpr const char* kSettingsGroup = "Properties";

// System-menu command of the About box (commands 16 to 31 all show it).
inline constexpr unsigned int IDM_ABOUTBOX = 0x0010;

class CZeltoConverterDlg : public QDialog {
    Q_OBJECT

public:
    explicit CZeltoConverterDlg(QWidget* parent = nullptr);
    ~CZeltoConverterDlg() override;

    // The control with the given id (103 File..., 106 Convert, 115 message list, ...), or null.
    QWidget* Control(int id) const;
    // Replaces the open-file chooser (tests); null restores the QFileDialog one. Not owned.
    void SetFileChooser(CFileChooser* chooser);

    // Handlers, by event. Buttons call them through their clicked signals.
    void OnSysCommand(unsigned int id);
    void OnFile();               // 103
    void OnSetup();              // 104
    void OnConvert();            // 106
    void OnCancelRun();          // 116
    void OnStandardUtm();        // 1000
    void OnProjectGeodesy();     // 1001
    void OnChooseIniFile();      // 1005
    void OnSelchangeEllipsoid(int index);  // 1002

    // State, for the window thread.
    bool IsRunning() const { return m_worker.joinable(); }
    int FileType() const { return m_nFileType; }
    int ConversionType() const { return m_nConversionType; }
    int EllipsoidIndex() const { return m_nEllipsoidIndex; }
    int FilterIndex() const { return m_nFilterIndex; }
    int FailedFiles() const { return m_nFailedFiles; }
    int CancelledFiles() const { return m_nCancelledFiles.load(); }
    int NextFile() const { return m_nNextFile.load(); }
    QString IniFilePath() const;
    QString Folder() const;
    QString FileNames() const;
    QString FileExt() const;
    QStringList Messages() const;  // entries of the message list
    QString RunSummary() const;    // the end-of-run summary shown under the list
    CDialogMessageWnd& Receiver() { return m_receiver; }
    // The converter the dialog owns (read-only, e.g. for GetLastError).
    const CZeltoQvxConverter& Converter() const { return m_Converter; }

    void LoadSettings();
    void SaveSettings() const;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

public slots:
    void done(int result) override;

private:
    void OnInitDialog();
    void RefreshControls();
    void AddMessage(std::string message);
    void OnPercentDone(int percent);
    void OnShowOutputFile(const std::string& path);
    void OnConversionDone();
    void OnConverterError(const std::string& error);
    void EnableControl(int id, bool enable);
    void SetControlText(int id, const QString& text);

    // Worker thread.
    void WorkerMain();
    bool ConvertNextFile();
    // Cancels a run in progress and waits for its worker to end.
    void StopWorker();

    std::unique_ptr<Ui::CZeltoConverterDlg> ui;
    CQtFileChooser m_qtChooser;
    CFileChooser* m_chooser = &m_qtChooser;
    CZeltoQvxConverter m_Converter;
    CDialogMessageWnd m_receiver;

    std::string m_strFileExt;
    std::string m_strFileNames;
    std::string m_strFolder;
    int m_nFilterIndex = 3;
    int m_nEllipsoidIndex = 0;
    std::string m_strIniFilePath;
    std::atomic<bool> m_bCancelRequested{false};
    std::atomic<int> m_nNextFile{0};
    int m_nFailedFiles = 0;
    std::atomic<int> m_nCancelledFiles{0};  // files of the run stopped by Cancel (the worker counts)
    std::vector<std::string> m_FileList;
    int m_nFileType = 1;
    int m_nConversionType = 0;

    // Window thread: the output file in work as its WM_SHOWOUTPUTFILE brought it, and which
    // file of the run that is, so that a file failing on many records counts once.
    std::string m_strCurrentOutputPath;
    int m_nFileSerial = 0;
    int m_nLastFailedSerial = 0;
    QString m_strRunSummary;

    std::atomic<bool> m_workerEnded{true};
    std::thread m_worker;
};
