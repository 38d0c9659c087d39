#include "FileChooser.h"

#include <QDir>
#include <QFileDialog>

QStringList QtNameFilters(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i].trimmed();
        const QString raw = parts[i + 1].trimmed();
        if (text.isEmpty() && raw.isEmpty()) break;  // the closing "||"
        QStringList patterns;
        for (const QString& p : raw.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << pattern;
            if (pattern.toUpper() != pattern) patterns << pattern.toUpper();
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        // The text before its own parenthesis, then the patterns Qt is to match.
        QString label = text;
        const qsizetype open = label.lastIndexOf(QLatin1Char('('));
        if (open > 0 && label.endsWith(QLatin1Char(')'))) label = label.left(open).trimmed();
        out << QStringLiteral("%1 (%2)").arg(label, patterns.join(QLatin1Char(' ')));
    }
    return out;
}

FileChooserResult CQtFileChooser::ChooseOpenFile(QWidget* parent, const FileChooserRequest& request)
{
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode((request.flags & OFN_FILEMUSTEXIST) != 0 ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.title.isEmpty()) dlg.setWindowTitle(request.title);
    if (!request.defaultExt.isEmpty()) dlg.setDefaultSuffix(request.defaultExt);
    if (!request.initialFolder.isEmpty() && QDir(request.initialFolder).exists())
        dlg.setDirectory(request.initialFolder);
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
        dlg.selectNameFilter(filters[index - 1]);
    }
    if (!request.initialName.isEmpty()) dlg.selectFile(request.initialName);

    FileChooserResult result;
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return result;
    result.accepted = true;
    result.path = dlg.selectedFiles().constFirst();
    const qsizetype chosen = filters.indexOf(dlg.selectedNameFilter());
    result.filterIndex = chosen >= 0 ? static_cast<int>(chosen) + 1 : request.filterIndex;
    return result;
}
