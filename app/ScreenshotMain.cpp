// Renders the conversion dialog after a run over a survey to a PNG, without a display
// (QT_QPA_PLATFORM=offscreen): ZeltoConverterScreenshot SURVEY.csv OUT.png
// The survey is copied into a temporary folder first; settings go to that folder too.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include "ZeltoConverterDlg.h"

namespace {
class FixedChooser final : public CFileChooser {
public:
    explicit FixedChooser(QString path) : m_path(std::move(path)) {}
    FileChooserResult ChooseOpenFile(QWidget*, const FileChooserRequest&) override { return {true, m_path, 1}; }

private:
    QString m_path;
};
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ZeltoConverterScreenshot SURVEY.csv OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid()) return 1;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.path());
    {
        QSettings settings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication));
        settings.setValue(QStringLiteral("Properties/Ellipsoid"), 23);  // WGS-84, as GPS positions come
    }
    const QString input = QFile::decodeName(argv[1]);
    const QString copy = QDir(tmp.path()).filePath(QFileInfo(input).fileName());
    if (!QFile::copy(input, copy)) {
        std::fprintf(stderr, "cannot copy %s\n", argv[1]);
        return 1;
    }

    CZeltoConverterDlg dlg;
    FixedChooser chooser(copy);
    dlg.SetFileChooser(&chooser);
    dlg.resize(dlg.sizeHint().expandedTo(QSize(560, 520)));
    dlg.show();
    dlg.OnFile();
    dlg.OnConvert();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!dlg.IsRunning()) loop.quit();
    });
    poll.start(10);
    loop.exec();
    QCoreApplication::processEvents();
    if (!dlg.grab().save(QFile::decodeName(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
