// The dialog's four settings: defaults on a first start, kept across a restart when the
// window is closed, untouched when the dialog ends any other way.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "DialogTestUtil.h"

using Settings = DialogTest;

TEST_F(Settings, FirstStartShowsTheDefaults)
{
    CZeltoConverterDlg dlg;
    auto* combo = qobject_cast<QComboBox*>(dlg.Control(1002));
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->currentText(), "Placeholder");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dlg.Control(1000))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(dlg.Control(1001))->isChecked());
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1004))->text(), "");
    EXPECT_EQ(dlg.EllipsoidIndex(), 0);
    EXPECT_EQ(dlg.ConversionType(), 0);
    EXPECT_EQ(dlg.FileType(), 1);
    EXPECT_EQ(dlg.FilterIndex(), 2);
    EXPECT_TRUE(dlg.Control(1002)->isEnabled());
    EXPECT_FALSE(dlg.Control(1005)->isEnabled());
    EXPECT_FALSE(dlg.Control(1004)->isEnabled());
    EXPECT_FALSE(dlg.Control(1003)->isEnabled());
    EXPECT_TRUE(Store().allKeys().isEmpty());  // reading wrote nothing
}

TEST_F(Settings, FourValuesSurviveARestart)
{
    const std::string csv = work.write("harbour.csv", "x\n");
    const QString ini = QString::fromStdString(work.file("harbour_geodesy.ini"));
    {
        CZeltoConverterDlg dlg;
        ScriptedChooser chooser(dlg);
        auto* combo = qobject_cast<QComboBox*>(dlg.Control(1002));
        combo->setCurrentIndex(5);
        emit combo->activated(5);
        Button(dlg, 1001)->click();
        chooser.Answer(ini);
        Button(dlg, 1005)->click();
        Choose(dlg, chooser, csv);
        dlg.show();
        dlg.close();
    }
    QSettings store = Store();
    EXPECT_EQ(store.value("Properties/Ellipsoid").toInt(), 5);
    EXPECT_EQ(store.value("Properties/ConversionType").toInt(), 1);
    EXPECT_EQ(store.value("Properties/BramixIniFilePath").toString(), ini);
    EXPECT_EQ(store.value("Properties/FileType").toInt(), 0);
    EXPECT_EQ(store.childGroups(), QStringList{"Properties"});

    CZeltoConverterDlg again;
    auto* combo = qobject_cast<QComboBox*>(again.Control(1002));
    EXPECT_EQ(combo->currentIndex(), 5);
    EXPECT_EQ(combo->currentText(), "Clarke 1866");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(again.Control(1001))->isChecked());
    EXPECT_EQ(qobject_cast<QLineEdit*>(again.Control(1004))->text(), ini);
    EXPECT_TRUE(again.Control(1005)->isEnabled());
    EXPECT_FALSE(again.Control(1002)->isEnabled());
    EXPECT_EQ(again.FileType(), 0);
    EXPECT_EQ(again.FilterIndex(), 1);
    EXPECT_FALSE(again.Control(106)->isEnabled());  // no file is chosen yet in this session
}

TEST_F(Settings, EndingWithoutTheCloseRequestLeavesTheStoreUnchanged)
{
    {
        QSettings store = Store();
        store.setValue("Properties/Ellipsoid", 7);
        store.sync();
    }
    {
        CZeltoConverterDlg dlg;
        EXPECT_EQ(dlg.EllipsoidIndex(), 7);
        auto* combo = qobject_cast<QComboBox*>(dlg.Control(1002));
        combo->setCurrentIndex(3);
        emit combo->activated(3);
        Button(dlg, 1001)->click();
        dlg.show();
        dlg.reject();  // Escape
    }
    QSettings store = Store();
    EXPECT_EQ(store.value("Properties/Ellipsoid").toInt(), 7);
    EXPECT_FALSE(store.contains("Properties/ConversionType"));
}

TEST_F(Settings, StoredValuesAreTakenAsTheyStand)
{
    {
        QSettings store = Store();
        store.setValue("Properties/Ellipsoid", 99);
        store.setValue("Properties/ConversionType", 2);
        store.sync();
    }
    CZeltoConverterDlg dlg;
    // A row outside the list selects nothing; an unknown conversion type shows the project
    // geodesy controls while a run would use the standard UTM.
    EXPECT_EQ(qobject_cast<QComboBox*>(dlg.Control(1002))->currentIndex(), -1);
    EXPECT_EQ(dlg.ConversionType(), 2);
    EXPECT_TRUE(dlg.Control(1005)->isEnabled());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dlg.Control(1001))->isChecked());
}
