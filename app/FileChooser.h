// FileChooser.h - the open-file chooser behind a small seam.
//
// The dialog describes what it wants the way survey software has always described it: a
// default extension, an initial name, chooser flags and a filter string of the form
// "Zelto Files (*.csv)|*.csv||". CQtFileChooser shows a QFileDialog built from that; tests
// put their own CFileChooser in its place.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Chooser flags the dialog uses.
inline constexpr unsigned int OFN_OVERWRITEPROMPT = 0x00002;
inline constexpr unsigned int OFN_HIDEREADONLY = 0x00004;
inline constexpr unsigned int OFN_FILEMUSTEXIST = 0x01000;
inline constexpr unsigned int OFN_EXPLORER = 0x80000;

struct FileChooserRequest {
    QString defaultExt;    // without the full stop
    QString initialName;   // offered in the name box
    QString initialFolder; // empty: the chooser's own choice
    unsigned int flags = 0;
    QString filter;        // "Text|pattern[;pattern]|...||"
    int filterIndex = 1;   // 1-based; out of range selects the first filter
    QString title;         // empty: the chooser's default title
};

struct FileChooserResult {
    bool accepted = false;
    QString path;          // full path of the chosen file
    int filterIndex = 1;   // 1-based index of the filter in force when the chooser closed
};

class CFileChooser {
public:
    virtual ~CFileChooser() = default;
    virtual FileChooserResult ChooseOpenFile(QWidget* parent, const FileChooserRequest& request) = 0;
};

// "A|a|B|b||" as Qt name filters, one per pair: "A" when A already names its patterns in
// parentheses, otherwise "A (a)". Patterns split at ';' become blank-separated; "*.*" means
// every file; a lower-case pattern also matches its upper-case spelling, since survey files
// copied from other systems often come as SURVEY.CSV.
QStringList QtNameFilters(const QString& filter);

class CQtFileChooser final : public CFileChooser {
public:
    FileChooserResult ChooseOpenFile(QWidget* parent, const FileChooserRequest& request) override;
};
