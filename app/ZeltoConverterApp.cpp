#include "ZeltoConverterApp.h"

#include <QIcon>

#include <memory>

#include "ZeltoConverterDlg.h"

CZeltoConverterApp::CZeltoConverterApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool CZeltoConverterApp::InitInstance()
{
    // The settings store: organisation and application as the earlier releases had them,
    // so a surveyor's choices carry over.
    setOrganizationName(QString::fromLatin1(kSettingsOrganization));
    setApplicationName(QString::fromLatin1(kSettingsApplication));
    setWindowIcon(QIcon(QStringLiteral(":/zelto/ZeltoConverter.png")));
    setDesktopFileName(QStringLiteral("ZeltoConverter"));

    auto dlg = std::make_unique<CZeltoConverterDlg>();
    dlg->exec();
    dlg.reset();
    return false;
}
