// The rating reminder's counters in the user defaults, and that it never shows anything.

#include "app/AppExtention/TipWndCtr.h"
#include "support/AppFakes.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TipWndCtrTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app_testing::application();
        ASSERT_TRUE(folder.isValid());
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
        QCoreApplication::setOrganizationName("DiscwrightTests");
        QCoreApplication::setApplicationName("TipWndCtr");
    }

    QTemporaryDir folder;
};

TEST_F(TipWndCtrTest, CountersDefaultToZeroAndSurviveInTheUserDefaults)
{
    EXPECT_EQ(TipWndCtr::usedCount(), 0);
    EXPECT_EQ(TipWndCtr::nonotShowRate(), 0);
    EXPECT_EQ(TipWndCtr::preferenceValueForKey("absent", 7).toInt(), 7);
    TipWndCtr::setUsedCount(3);
    EXPECT_EQ(QSettings().value("UsedTheAppCount3").toLongLong(), 3);
    EXPECT_EQ(TipWndCtr::usedCount(), 3);
}

TEST_F(TipWndCtrTest, TickingAndUntickingNeverAskAgainStoresOneThenZero)
{
    TipWndCtr reminder;
    reminder.donotShowRateWindow(Qt::Checked);
    EXPECT_EQ(QSettings().value("DonotShowRateApp3").toLongLong(), 1);
    reminder.donotShowRateWindow(Qt::Unchecked);
    EXPECT_EQ(QSettings().value("DonotShowRateApp3").toLongLong(), 0);
}

TEST_F(TipWndCtrTest, BothAnswersOnlyCloseAndNothingIsEverShown)
{
    TipWndCtr reminder;
    int closes = 0;
    QObject::connect(&reminder, &TipWndCtr::closeRequested, [&] { ++closes; });
    reminder.yesRateIt();
    reminder.noThanks();
    EXPECT_EQ(closes, 2);
    TipWndCtr::showRateApplicationWindow();
    EXPECT_EQ(TipWndCtr::usedCount(), 0);
    EXPECT_FALSE(QSettings().contains("DonotShowRateApp3"));
}

} // namespace
