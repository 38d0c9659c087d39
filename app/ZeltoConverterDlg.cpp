#include "ZeltoConverterDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QLineEdit>

#include <chrono>
#include <cstdio>

#include "AboutDlg.h"
#include "EllipsoidNames.h"
#include "ui_ZeltoConverterDlg.h"

// The icon and picture live in a resource of the static dialog library, which the linker
// does not register by itself.
static void InitDialogResources() { Q_INIT_RESOURCE(ZeltoConverter); }

namespace {

const char kAboutMenuText[] = "&About ZeltoConverter...";
const char kCsvFilter[] = "Zelto Files (*.csv)|*.csv||";
const char kIniFilter[] = "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||";

// Paths and texts cross to the converter as 8-bit strings in the file system's encoding.
std::string ToLocal(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString FromLocal(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == '\0';
}

// Restores the normal cursor when the handler that set the wait cursor returns.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CZeltoConverterDlg::CZeltoConverterDlg(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::CZeltoConverterDlg>()), m_receiver(this, &m_Converter)
{
    InitDialogResources();
    ui->setupUi(this);
    ui->buttonSetup->setVisible(false);
    connect(ui->buttonFile, &QPushButton::clicked, this, [this] { OnFile(); });
    connect(ui->buttonSetup, &QPushButton::clicked, this, [this] { OnSetup(); });
    connect(ui->buttonConvert, &QPushButton::clicked, this, [this] { OnConvert(); });
    connect(ui->buttonCancel, &QPushButton::clicked, this, [this] { OnCancelRun(); });
    connect(ui->radioStandardUtm, &QRadioButton::clicked, this, [this] { OnStandardUtm(); });
    connect(ui->radioProjectGeodesy, &QRadioButton::clicked, this, [this] { OnProjectGeodesy(); });
    connect(ui->buttonIniFile, &QPushButton::clicked, this, [this] { OnChooseIniFile(); });
    connect(ui->comboEllipsoid, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { OnSelchangeEllipsoid(index); });
    OnInitDialog();
}

CZeltoConverterDlg::~CZeltoConverterDlg()
{
    // The worker reads this dialog's fields and posts to it: it must be gone first.
    StopWorker();
}

QWidget* CZeltoConverterDlg::Control(int id) const
{
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant v = w->property("controlId");
        if (v.isValid() && v.toInt() == id) return w;
    }
    return nullptr;
}

void CZeltoConverterDlg::SetFileChooser(CFileChooser* chooser) { m_chooser = chooser != nullptr ? chooser : &m_qtChooser; }

QString CZeltoConverterDlg::IniFilePath() const { return FromLocal(m_strIniFilePath); }
QString CZeltoConverterDlg::Folder() const { return FromLocal(m_strFolder); }
QString CZeltoConverterDlg::FileNames() const { return FromLocal(m_strFileNames); }
QString CZeltoConverterDlg::FileExt() const { return FromLocal(m_strFileExt); }
QString CZeltoConverterDlg::RunSummary() const { return m_strRunSummary; }

QStringList CZeltoConverterDlg::Messages() const
{
    QStringList out;
    for (int i = 0; i < ui->listMessages->count(); ++i) out << ui->listMessages->item(i)->text();
    return out;
}

void CZeltoConverterDlg::EnableControl(int id, bool enable)
{
    if (QWidget* w = Control(id)) w->setEnabled(enable);
}

void CZeltoConverterDlg::SetControlText(int id, const QString& text)
{
    QWidget* w = Control(id);
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
}

// ---- initialisation and settings -------------------------------------------------------

void CZeltoConverterDlg::OnInitDialog()
{
    // No system menu on this desktop: the About command sits in the window's context menu.
    const QString aboutText = QString::fromLatin1(kAboutMenuText);
    if (!aboutText.isEmpty()) {
        auto* sep = new QAction(this);
        sep->setSeparator(true);
        auto* about = new QAction(aboutText, this);
        about->setProperty("commandId", IDM_ABOUTBOX);
        connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
        addAction(sep);
        addAction(about);
        setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    const QIcon icon(QStringLiteral(":/zelto/ZeltoConverter.png"));
    setWindowIcon(icon);
    ui->picture->setPixmap(icon.pixmap(96, 96));

    LoadSettings();
    for (const char* name : kEllipsoidNames) ui->comboEllipsoid->addItem(QString::fromLatin1(name));
    RefreshControls();
}

void CZeltoConverterDlg::LoadSettings()
{
    QSettings settings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication));
    settings.beginGroup(QString::fromLatin1(kSettingsGroup));
    m_nEllipsoidIndex = settings.value(QStringLiteral("Ellipsoid"), m_nEllipsoidIndex).toInt();
    m_nConversionType = settings.value(QStringLiteral("ConversionType"), 0).toInt();
    m_strIniFilePath = ToLocal(settings.value(QStringLiteral("BramixIniFilePath"), QString()).toString());
    m_nFileType = settings.value(QStringLiteral("FileType"), 1).toInt();
    m_nFilterIndex = m_nFileType + 1;
}

void CZeltoConverterDlg::SaveSettings() const
{
    QSettings settings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication));
    settings.beginGroup(QString::fromLatin1(kSettingsGroup));
    settings.setValue(QStringLiteral("Ellipsoid"), m_nEllipsoidIndex);
    settings.setValue(QStringLiteral("ConversionType"), m_nConversionType);
    settings.setValue(QStringLiteral("BramixIniFilePath"), FromLocal(m_strIniFilePath));
    settings.setValue(QStringLiteral("FileType"), m_nFileType);
    settings.endGroup();
    settings.sync();
}

void CZeltoConverterDlg::RefreshControls()
{
    // A stored row outside the list selects nothing; the converter then keeps its ellipsoid.
    ui->comboEllipsoid->setCurrentIndex(
        m_nEllipsoidIndex >= 0 && m_nEllipsoidIndex < ui->comboEllipsoid->count() ? m_nEllipsoidIndex : -1);
    EnableControl(1003, m_nConversionType != 0);
    EnableControl(1004, m_nConversionType != 0);
    EnableControl(1005, m_nConversionType != 0);
    EnableControl(1002, m_nConversionType == 0);
    EnableControl(1000, true);
    EnableControl(1001, true);
    ui->radioStandardUtm->setChecked(m_nConversionType == 0);
    ui->radioProjectGeodesy->setChecked(m_nConversionType != 0);
    SetControlText(1004, FromLocal(m_strIniFilePath));
    EnableControl(104, m_nFileType == 0);
}

// ---- handlers ----------------------------------------------------------------------------

void CZeltoConverterDlg::OnSysCommand(unsigned int id)
{
    if ((id & 0xFFF0u) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

void CZeltoConverterDlg::OnSetup() {}

void CZeltoConverterDlg::OnFile()
{
    FileChooserRequest request;
    request.defaultExt = QStringLiteral("csv");
    request.initialName = FromLocal(m_strFileExt);
    request.initialFolder = FromLocal(m_strFolder);
    request.flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    request.filter = QString::fromLatin1(kCsvFilter);
    request.filterIndex = m_nFilterIndex;
    request.title = QStringLiteral("Select the Kelpra File");
    const FileChooserResult chosen = m_chooser->ChooseOpenFile(this, request);
    if (!chosen.accepted) return;

    const std::string path = ToLocal(chosen.path);
    {
        const auto slash = path.rfind('/');
        const auto dot = path.rfind('.');
        m_strFileExt = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(dot + 1) : std::string();
    }
    m_strFolder = path;
    m_strFileNames.clear();
    m_FileList.clear();

    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    m_FileList.push_back(name);
    m_strFileNames += name;

    const auto dot = m_strFileNames.rfind('.');
    if (dot != std::string::npos && dot > 0) m_strFileExt = Trim(m_strFileNames.substr(dot + 1));
    // A survey straight under the root keeps "/" as its folder's separator.
    if (slash != std::string::npos) m_strFolder = m_strFolder.substr(0, slash);

    SetControlText(111, FromLocal(m_strFileNames));
    SetControlText(110, FromLocal(m_strFolder));
    SetControlText(112, QString());
    EnableControl(106, true);
    m_nFilterIndex = chosen.filterIndex;
    m_nFileType = EqualsNoCase(m_strFileExt, "csv") ? 0 : 1;
    EnableControl(106, m_nFileType != 1);
}

void CZeltoConverterDlg::OnChooseIniFile()
{
    FileChooserRequest request;
    request.defaultExt = QStringLiteral("ini");
    request.initialName = QStringLiteral(".ini");
    request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.filter = QString::fromLatin1(kIniFilter);
    request.filterIndex = 1;
    const FileChooserResult chosen = m_chooser->ChooseOpenFile(this, request);
    if (!chosen.accepted) return;
    m_strIniFilePath = ToLocal(chosen.path);
    SetControlText(1004, chosen.path);
    if (m_strIniFilePath.empty()) {
        m_nConversionType = 0;
        RefreshControls();
    }
}

void CZeltoConverterDlg::OnStandardUtm()
{
    m_nConversionType = 0;
    RefreshControls();
}

void CZeltoConverterDlg::OnProjectGeodesy()
{
    m_nConversionType = 1;
    RefreshControls();
}

void CZeltoConverterDlg::OnSelchangeEllipsoid(int index) { m_nEllipsoidIndex = index; }

void CZeltoConverterDlg::OnConvert()
{
    if (IsRunning()) return;
    WaitCursor wait;
    for (int id : {106, 104, 103, 1000, 1001, 1005, 1002}) EnableControl(id, false);
    EnableControl(116, true);
    ui->listMessages->clear();
    ui->listMessages->repaint();
    m_strRunSummary.clear();
    ui->labelSummary->clear();
    ui->progress->setRange(0, 100);
    m_bCancelRequested = false;

    const std::string path = m_nConversionType == 1 ? m_strIniFilePath : std::string();
    if (m_nFileType == 0) {
        m_Converter.put_EllipsoidToUse(m_nEllipsoidIndex);  // row 0 is refused: the ellipsoid in force stays
        m_Converter.put_AppMessageWnd(&m_receiver);
        m_Converter.put_AppName("ZeltoQvxConverter");
        if (m_Converter.put_BraMixStatePlaneIniFile(path) != S_OK) {
            RefreshControls();
            EnableControl(106, true);
            EnableControl(116, false);
            EnableControl(103, true);
            return;
        }
    }
    m_nFailedFiles = 0;
    m_nCancelledFiles = 0;
    m_nLastFailedSerial = m_nFileSerial;
    m_nNextFile = 0;
    m_workerEnded = false;
    try {
        m_worker = std::thread([this] { WorkerMain(); });
    } catch (...) {
        m_workerEnded = true;
        AddMessage("**>> Could not start the conversion thread. <<**");
        RefreshControls();
        EnableControl(106, true);
        EnableControl(116, false);
        EnableControl(103, true);
    }
}

void CZeltoConverterDlg::OnCancelRun()
{
    m_bCancelRequested = true;
    if (m_nFileType == 0) m_Converter.put_Cancel();
}

// ---- the run, on the worker thread -------------------------------------------------------

void CZeltoConverterDlg::WorkerMain()
{
    while (ConvertNextFile()) {
    }
    m_workerEnded = true;
    m_receiver.Post(WM_CONVERSIONDONE, 0, 0);
}

bool CZeltoConverterDlg::ConvertNextFile()
{
    if (m_bCancelRequested) return false;
    const int next = m_nNextFile.load();
    if (next >= static_cast<int>(m_FileList.size())) return false;
    const std::string name = m_FileList[static_cast<std::size_t>(next)];
    m_nNextFile = next + 1;

    const std::string input = m_strFolder + "/" + name;
    const std::string output = EdtPathForInput(input);

    m_receiver.PostText(WM_SHOWOUTPUTFILE, output);
    m_receiver.Post(WM_PERCENTDONE, 0, 0);

    long result = S_OK;
    std::string summary;
    std::string warning;
    if (m_nFileType == 0) {
        result = m_Converter.ReadZeltoFile(input);
        if (result == S_OK) result = m_Converter.WriteQVXFile(output);
        const int count = m_Converter.get_CSVRecords();
        char buf[64];
        std::snprintf(buf, sizeof buf, "  CSV Records: %d", count);
        summary = name + buf;
        if (result == S_OK) {
            if (const int skipped = m_Converter.get_SkippedLines(); skipped > 0)
                summary += ", " + std::to_string(skipped) + " blank line(s) skipped";
            // A cancelled file is no converted file: the summary says so, and whether its
            // part took the place of the .EDT or an existing .EDT was left as it was.
            if (m_Converter.get_Cancelled()) {
                m_nCancelledFiles.fetch_add(1);
                const auto slash = output.rfind('/');
                const std::string edt = slash == std::string::npos ? output : output.substr(slash + 1);
                summary += m_Converter.get_OutputKept() ? ", cancelled: the records so far are in " + edt
                                                         : ", cancelled: the existing " + edt + " was left as it was";
            }
            m_Converter.GetLastWarning(warning);
        }
    }
    if (result == S_OK) m_receiver.PostText(WM_ADDMESSAGE, summary);
    // A warning is no error: a plain line of the list, not counted as a failed file.
    if (!warning.empty()) m_receiver.PostText(WM_ADDMESSAGE, warning);
    return true;
}

void CZeltoConverterDlg::StopWorker()
{
    if (!m_worker.joinable()) return;
    m_bCancelRequested = true;
    // A cancel that reaches the converter between two files is forgotten when the next
    // file starts, so it is repeated until the worker has ended.
    while (!m_workerEnded.load()) {
        m_Converter.put_Cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_worker.join();
}

// ---- posted messages, on the window thread --------------------------------------------------

bool CZeltoConverterDlg::event(QEvent* e)
{
    if (!IsDialogMessage(e->type())) return QDialog::event(e);
    auto* msg = dynamic_cast<CPostedMessageEvent*>(e);
    if (msg == nullptr) return QDialog::event(e);
    if (msg->Queued()) m_receiver.Delivered();
    switch (msg->Message()) {
    case WM_PERCENTDONE: OnPercentDone(msg->Queued() ? m_receiver.TakePercent() : static_cast<int>(msg->LParam())); break;
    case WM_ADDMESSAGE: AddMessage(msg->Text()); break;
    case WM_SHOWOUTPUTFILE: OnShowOutputFile(msg->Text()); break;
    case WM_CONVERSIONDONE: OnConversionDone(); break;
    case WM_CONVERTERERROR: OnConverterError(msg->Text()); break;
    default: break;
    }
    return true;
}

void CZeltoConverterDlg::OnPercentDone(int percent)
{
    ui->progress->setValue(percent);
    // Keeps a Cancel pressed between two files in force for the file that follows.
    if (m_bCancelRequested && IsRunning() && !m_workerEnded && m_nFileType == 0) m_Converter.put_Cancel();
}

void CZeltoConverterDlg::OnShowOutputFile(const std::string& path)
{
    m_strCurrentOutputPath = path;
    ++m_nFileSerial;
    SetControlText(112, FromLocal(path));
}

void CZeltoConverterDlg::AddMessage(std::string message)
{
    for (;;) {
        const auto p = message.find('\n');
        if (p == std::string::npos || p == 0) {
            ui->listMessages->addItem(FromLocal(message));
            break;
        }
        ui->listMessages->addItem(FromLocal(message.substr(0, p)));
        message = message.substr(p + 1);
    }
    ui->listMessages->setCurrentRow(ui->listMessages->count() - 1);
}

void CZeltoConverterDlg::OnConverterError(const std::string& error)
{
    std::string title = m_strCurrentOutputPath;
    const auto slash = title.rfind('/');
    if (slash != std::string::npos && slash > 0) title = title.substr(slash + 1);
    const auto dot = title.rfind('.');
    if (dot != std::string::npos && dot > 0) title = title.substr(0, dot);
    if (error.empty()) return;
    // One failed file however many of its records fail.
    if (m_nLastFailedSerial != m_nFileSerial) {
        ++m_nFailedFiles;
        m_nLastFailedSerial = m_nFileSerial;
    }
    AddMessage("**>> " + title + " : " + error + " <<**");
}

void CZeltoConverterDlg::OnConversionDone()
{
    if (m_worker.joinable()) m_worker.join();  // it posted this as its last act
    RefreshControls();
    EnableControl(106, true);
    EnableControl(116, false);
    EnableControl(103, true);
    const int taken = m_nNextFile.load();
    // Only the last file of a run can be cancelled; when it also reported an error it
    // already counts as not converted.
    const int cancelled = m_nCancelledFiles.load() > 0 && m_nLastFailedSerial != m_nFileSerial ? 1 : 0;
    if (m_nFailedFiles == 0)
        m_strRunSummary = QStringLiteral("%1 file(s) converted.").arg(taken - cancelled);
    else
        m_strRunSummary = QStringLiteral("%1 file(s) converted,  %2 file(s) NOT converted.")
                              .arg(taken - m_nFailedFiles - cancelled)
                              .arg(m_nFailedFiles);
    if (cancelled > 0) m_strRunSummary += QStringLiteral("  %1 file(s) cancelled.").arg(cancelled);
    ui->labelSummary->setText(m_strRunSummary);
}

// ---- closing ---------------------------------------------------------------------------------

void CZeltoConverterDlg::closeEvent(QCloseEvent* e)
{
    SaveSettings();
    QDialog::closeEvent(e);
}

void CZeltoConverterDlg::done(int result)
{
    StopWorker();
    QDialog::done(result);
}
