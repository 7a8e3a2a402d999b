// The writer notifier: what it tells its delegate when writers come and go or are taken.

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/burn/DVDBurnNotification.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class CountingDelegate : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void deviceStatusDidChanged() { ++statusChanges; }
    Q_INVOKABLE void devicesDidChanged() { ++deviceChanges; }
    int statusChanges = 0;
    int deviceChanges = 0;
};

class DVDBurnNotificationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "DVDBurnNotification_test";
        static char *argv[] = {name, nullptr};
        static QCoreApplication *app = new QCoreApplication(argc, argv);
        Q_UNUSED(app);
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { DVDBurnDevice::removePseudoDrive(drivePath()); }
    QString drivePath() const { return m_dir.filePath(QStringLiteral("blank.disc")); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(DVDBurnNotificationTest, WritersComingAndGoingAreAnnounced)
{
    CountingDelegate delegate;
    DVDBurnNotification notifier;
    notifier.setDelegate(&delegate);

    notifier.checkDevices();
    EXPECT_EQ(delegate.deviceChanges, 0);

    DVDBurnDevice::addPseudoDrive(drivePath());
    notifier.checkDevices();
    notifier.checkDevices();
    EXPECT_EQ(delegate.deviceChanges, 1);

    DVDBurnDevice::removePseudoDrive(drivePath());
    notifier.checkDevices();
    EXPECT_EQ(delegate.deviceChanges, 2);
    EXPECT_EQ(delegate.statusChanges, 0);
}

TEST_F(DVDBurnNotificationTest, AWriterTakenOrLetGoChangesItsStatus)
{
    const DVDBurnDeviceRef drive = DVDBurnDevice::addPseudoDrive(drivePath());
    CountingDelegate delegate;
    DVDBurnNotification notifier;
    notifier.setDelegate(&delegate);

    auto burner = std::make_unique<DVDBurn>();
    burner->setDevice(drive);
    ASSERT_TRUE(burner->isValid());
    notifier.checkDevices();
    EXPECT_EQ(delegate.statusChanges, 1);
    notifier.checkDevices();
    EXPECT_EQ(delegate.statusChanges, 1);

    burner.reset();
    notifier.checkDevices();
    EXPECT_EQ(delegate.statusChanges, 2);
    EXPECT_EQ(delegate.deviceChanges, 0);
}

TEST_F(DVDBurnNotificationTest, ADelegateIsToldOnlyWhatItAnswersAndOnlyWhileItLives)
{
    DVDBurnNotification notifier;
    // A delegate without the two methods is simply not told.
    QObject silent;
    notifier.setDelegate(&silent);
    notifier.deviceStatusChangedNotification();
    notifier.devicesChangedNotification();

    auto delegate = std::make_unique<CountingDelegate>();
    notifier.setDelegate(delegate.get());
    notifier.deviceStatusChangedNotification();
    notifier.devicesChangedNotification();
    EXPECT_EQ(delegate->statusChanges, 1);
    EXPECT_EQ(delegate->deviceChanges, 1);

    delegate.reset();
    EXPECT_EQ(notifier.delegate(), nullptr);
    DVDBurnDevice::addPseudoDrive(drivePath());
    notifier.checkDevices();
    notifier.deviceStatusChangedNotification();
}

#include "DVDBurnNotification_test.moc"
