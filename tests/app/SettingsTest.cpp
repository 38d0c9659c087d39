// The dialog's four settings: defaults on a first start, kept across a restart when the
// window is closed, untouched when the dialog ends any other way.
#include <QComboBox>
#include <QRadioButton>

#include "DialogTestUtil.h"

using Settings = DialogTest;

// A first start: the defaults, the controls idle (Convert and Cancel wait for a csv file and
// a run), and reading wrote nothing.
TEST_F(Settings, FirstStartShowsTheDefaults)
{
    CZeltoConverterDlg dlg;
    EXPECT_EQ(qobject_cast<QComboBox*>(dlg.Control(1002))->currentText(), "Placeholder");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dlg.Control(1000))->isChecked());
    EXPECT_EQ(Text(dlg, 1004), "");
    EXPECT_EQ(dlg.FileType(), 1);
    for (auto [id, enabled] : {std::pair{103, true}, {1002, true}, {106, false}, {116, false}, {1005, false}})
        EXPECT_EQ(Enabled(dlg, id), enabled) << id;
    EXPECT_FALSE(dlg.Control(104)->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.windowIcon().isNull());
    EXPECT_TRUE(Store().allKeys().isEmpty());
}

// The same choices ended with Escape save nothing; ended with the close request they are
// shown again by the next start.
TEST_F(Settings, ClosingTheWindowKeepsTheFourValuesEscapeDoesNot)
{
    const std::string ini = work.file("harbour_geodesy.ini");
    for (const bool byClose : {false, true}) {
        CZeltoConverterDlg dlg;
        ScriptedChooser chooser(dlg);
        auto* combo = qobject_cast<QComboBox*>(dlg.Control(1002));
        combo->setCurrentIndex(5);
        emit combo->activated(5);
        Button(dlg, 1001)->click();
        Choose(dlg, chooser, ini, 1005);
        Choose(dlg, chooser, work.file("harbour.csv"));
        dlg.show();
        if (byClose) dlg.close();
        else dlg.reject();
        EXPECT_EQ(Store().allKeys().isEmpty(), !byClose) << byClose;
    }
    EXPECT_EQ(Store().childGroups(), QStringList{"Properties"});
    CZeltoConverterDlg again;
    EXPECT_EQ(qobject_cast<QComboBox*>(again.Control(1002))->currentText(), "Clarke 1866");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(again.Control(1001))->isChecked());
    EXPECT_EQ(Text(again, 1004).toStdString(), ini);
    EXPECT_EQ(again.FileType(), 0);
    EXPECT_EQ(again.FilterIndex(), 1);
    EXPECT_FALSE(Enabled(again, 106));  // no file is chosen yet in this session
}
