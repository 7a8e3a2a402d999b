// The disc burner on real libburn, writing to pseudo-drives: files that stand in for a blank disc.

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/burn/DVDBurnStatus.h"
#include "testsupport/EventLoop.h"
#include "testsupport/WaitUntil.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using fixtures::application;

// A burn that has not ended by then hangs; a slow machine needs far less.
constexpr int kBurnLimitMs = 60000;

bool runUntilEnded(DVDBurn &burner)
{
    return fixtures::spinUntil(
        [&] {
            burner.progress();
            return burner.isFinished() || burner.isFailed();
        },
        kBurnLimitMs);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DVDBurnTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        ASSERT_TRUE(m_dir.isValid());
    }

    void TearDown() override
    {
        for (const QString &path : m_pseudoDrives)
            DVDBurnDevice::removePseudoDrive(path);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // An image of random bytes, whole 2048-byte sectors as an ISO image is.
    QString makeImage(const QString &name, int sectors)
    {
        QByteArray bytes(sectors * 2048, Qt::Uninitialized);
        QRandomGenerator generator(sectors);
        for (char &byte : bytes)
            byte = char(generator.bounded(256));
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    // A large image that costs no disk space to make, for burns that are stopped.
    QString makeSparseImage(const QString &name, qint64 bytes)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_TRUE(file.resize(bytes));
        return file.fileName();
    }

    DVDBurnDeviceRef pseudoDrive(const QString &name,
                                 const DVDBurnDevice::PseudoDriveOptions &options = {})
    {
        m_pseudoDrives.append(path(name));
        return DVDBurnDevice::addPseudoDrive(path(name), options);
    }

    QTemporaryDir m_dir;
    QStringList m_pseudoDrives;
};

bool hasRealDrives()
{
    for (const DVDBurnDeviceRef &device : DVDBurnDevice::connectedDevices()) {
        if (!device->isPseudoDrive())
            return true;
    }
    return false;
}

} // namespace

TEST_F(DVDBurnTest, BurnsAnImageByteForByte)
{
    const QString image = makeImage(QStringLiteral("disc.iso"), 1500);
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));

    DVDBurn burner;
    bool offered = false;
    for (const DVDBurnDeviceRef &device : burner.devices())
        offered = offered || device->address() == drive->address();
    EXPECT_TRUE(offered);

    burner.setDevice(drive);
    ASSERT_TRUE(burner.isValid());
    EXPECT_EQ(burner.device()->address(), drive->address());
    EXPECT_TRUE(burner.mediaIsPresent());
    EXPECT_TRUE(burner.mediaIsBlank());
    EXPECT_GE(burner.mediaWritableSpace(), DVDBurn::fileSizeForFile(image));
    EXPECT_EQ(burner.mediaWritableSpace() % 2048, 0);

    burner.prepareForBurn();
    ASSERT_TRUE(burner.isValid());
    ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
    EXPECT_EQ(burner.burnFileSize(), 1500 * 2048);
    EXPECT_FALSE(burner.isDeviceFree() && (burner.isFinished() || burner.isFailed()));

    ASSERT_TRUE(runUntilEnded(burner));
    EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
    EXPECT_FALSE(burner.isDeviceFree());
    EXPECT_EQ(burner.status().value(DVDBurnStatus::StateKey), DVDBurnStatus::StateDone);
    EXPECT_EQ(readAll(drive->address().mid(6)), readAll(image));
    const double progress = burner.progress();
    EXPECT_GT(progress, 0.0);
    EXPECT_LT(progress, 1.0);
}

TEST_F(DVDBurnTest, BurnsSeveralCopiesWithOneBurner)
{
    const QString image = makeImage(QStringLiteral("disc.iso"), 300);
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("copy.disc"));
    DVDBurn burner;
    burner.setDevice(drive);
    for (int copy = 0; copy < 2; ++copy) {
        SCOPED_TRACE(copy);
        // A new blank disc for each copy.
        QFile::remove(path(QStringLiteral("copy.disc")));
        burner.prepareForBurn();
        EXPECT_TRUE(burner.isDeviceFree());
        EXPECT_EQ(burner.burnFileSize(), 0);
        EXPECT_EQ(burner.writeProgress(), 0.0);
        ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
        ASSERT_TRUE(runUntilEnded(burner));
        EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
        EXPECT_EQ(readAll(path(QStringLiteral("copy.disc"))), readAll(image));
    }
}

TEST_F(DVDBurnTest, APseudoDriveWithATestCapacityRefusesALargerImage)
{
    const DVDBurnDeviceRef drive
        = pseudoDrive(QStringLiteral("small.disc"), {100 * 2048 + 1000, false});
    EXPECT_EQ(drive->pseudoDriveOptions().capacityBytes, 100 * 2048 + 1000);
    DVDBurn burner;
    burner.setDevice(drive);
    ASSERT_TRUE(burner.isValid());
    EXPECT_TRUE(burner.mediaIsBlank());
    // Whole sectors only.
    EXPECT_EQ(burner.mediaWritableSpace(), 100 * 2048);

    burner.prepareForBurn();
    EXPECT_FALSE(burner.burnISOPath(makeImage(QStringLiteral("big.iso"), 101)));
    EXPECT_FALSE(burner.lastError().isEmpty());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("small.disc"))));

    const QString fits = makeImage(QStringLiteral("fits.iso"), 100);
    ASSERT_TRUE(burner.burnISOPath(fits)) << qPrintable(burner.lastError());
    ASSERT_TRUE(runUntilEnded(burner));
    EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
    EXPECT_EQ(readAll(path(QStringLiteral("small.disc"))), readAll(fits));
}

TEST_F(DVDBurnTest, AWriteOnceDiscIsBlankAgainOnlyOnceTheWrittenFileIsMovedAway)
{
    const QString image = makeImage(QStringLiteral("disc.iso"), 200);
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("once.disc"), {0, true});
    DVDBurn burner;
    burner.setDevice(drive);
    EXPECT_TRUE(burner.mediaIsBlank());
    burner.prepareForBurn();
    ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
    ASSERT_TRUE(runUntilEnded(burner));
    ASSERT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());

    // The written disc stays in the drive, also for a fresh hold of it.
    for (int hold = 0; hold < 2; ++hold) {
        SCOPED_TRACE(hold);
        EXPECT_TRUE(burner.mediaIsPresent());
        EXPECT_FALSE(burner.mediaIsBlank());
        EXPECT_EQ(burner.mediaWritableSpace(), 0);
        burner.prepareForBurn();
    }
    EXPECT_FALSE(burner.burnISOPath(image));
    EXPECT_EQ(readAll(path(QStringLiteral("once.disc"))), readAll(image));

    ASSERT_TRUE(QFile::rename(path(QStringLiteral("once.disc")), path(QStringLiteral("disc1"))));
    EXPECT_TRUE(burner.mediaIsBlank());
    EXPECT_GT(burner.mediaWritableSpace(), DVDBurn::fileSizeForFile(image));
    ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
    ASSERT_TRUE(runUntilEnded(burner));
    EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
    EXPECT_EQ(readAll(path(QStringLiteral("once.disc"))), readAll(image));
}

TEST_F(DVDBurnTest, WithoutAWriterNothingIsOfferedAndNothingBurns)
{
    const QString image = makeImage(QStringLiteral("disc.iso"), 16);
    DVDBurn burner;
    if (hasRealDrives())
        GTEST_SKIP() << "this machine has optical drives";
    EXPECT_TRUE(burner.devices().isEmpty());
    burner.setDevice(nullptr);
    EXPECT_EQ(burner.burn(), nullptr);
    EXPECT_EQ(burner.device(), nullptr);
    EXPECT_FALSE(burner.isValid());
    EXPECT_FALSE(burner.mediaIsPresent());
    EXPECT_FALSE(burner.mediaIsBlank());
    EXPECT_EQ(burner.mediaFreeSpace(), 0);
    EXPECT_EQ(burner.mediaUsedSpace(), 0);
    EXPECT_EQ(burner.mediaWritableSpace(), 0);
    EXPECT_EQ(burner.mediaOverWritableSpace(), 0);

    burner.prepareForBurn();
    EXPECT_FALSE(burner.burnISOPath(image));
    EXPECT_EQ(burner.burnFileSize(), 0);
    EXPECT_TRUE(burner.isDeviceFree());
    EXPECT_FALSE(burner.lastError().isEmpty());
}

TEST_F(DVDBurnTest, WritersThatCannotBeUsedGiveNoBurnObject)
{
    // A pseudo-drive in a folder that does not exist, and libburn's null drive (no disc, no writing).
    const DVDBurnDeviceRef missing
        = DVDBurnDevice::pseudoDriveForAddress(QStringLiteral("stdio:") + path("gone/disc"));
    const DVDBurnDeviceRef null = DVDBurnDevice::pseudoDriveForAddress(QStringLiteral("stdio:"));
    EXPECT_FALSE(missing->isValid());
    EXPECT_FALSE(null->writesDVD());
    DVDBurn burner;
    burner.setDevice(missing);
    EXPECT_EQ(burner.burn(), nullptr);
    EXPECT_FALSE(burner.isValid());
    burner.setDevice(null);
    EXPECT_FALSE(burner.isValid());
    EXPECT_FALSE(burner.burnISOPath(makeImage(QStringLiteral("disc.iso"), 16)));
}

TEST_F(DVDBurnTest, AnImageThatCannotBeBurnedStartsNothing)
{
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));
    QFile(path(QStringLiteral("empty.iso"))).open(QIODevice::WriteOnly);
    struct Row
    {
        const char *name;
        QString image;
    };
    const std::vector<Row> rows = {
        {"missing file", path(QStringLiteral("none.iso"))},
        {"empty file", path(QStringLiteral("empty.iso"))},
        {"a folder", m_dir.path()},
    };
    DVDBurn burner;
    burner.setDevice(drive);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        burner.prepareForBurn();
        EXPECT_FALSE(burner.burnISOPath(row.image));
        EXPECT_EQ(burner.burnFileSize(), 0);
        EXPECT_TRUE(burner.isDeviceFree());
        EXPECT_FALSE(burner.lastError().isEmpty());
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("blank.disc"))));
    }
}

TEST_F(DVDBurnTest, CancelStopsTheBurnAndItEndsAsFailed)
{
    const qint64 size = 256LL * 1024 * 1024;
    const QString image = makeSparseImage(QStringLiteral("big.iso"), size);
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));
    DVDBurn burner;
    burner.setDevice(drive);
    burner.prepareForBurn();
    ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
    burner.cancel();
    ASSERT_TRUE(runUntilEnded(burner));
    EXPECT_TRUE(burner.isFailed());
    EXPECT_LT(QFileInfo(path(QStringLiteral("blank.disc"))).size(), size);
    EXPECT_FALSE(burner.lastError().isEmpty());
    // The drive takes the next disc. libburn's writer outlives a cancel by a moment, during which
    // it refuses new writes yet still answers that the last one went well: the burn must neither
    // be refused nor pass as done without writing.
    QFile::remove(path(QStringLiteral("blank.disc")));
    const QString small = makeImage(QStringLiteral("small.iso"), 64);
    burner.prepareForBurn();
    ASSERT_TRUE(burner.burnISOPath(small)) << qPrintable(burner.lastError());
    ASSERT_TRUE(runUntilEnded(burner));
    EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
    EXPECT_EQ(readAll(path(QStringLiteral("blank.disc"))), readAll(small));
}

TEST_F(DVDBurnTest, DestroyingTheBurnerStopsItsBurnAndLetsTheDriveGo)
{
    const qint64 size = 256LL * 1024 * 1024;
    const QString image = makeSparseImage(QStringLiteral("big.iso"), size);
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));
    {
        DVDBurn burner;
        burner.setDevice(drive);
        ASSERT_TRUE(burner.burnISOPath(image));
    }
    EXPECT_LT(QFileInfo(path(QStringLiteral("blank.disc"))).size(), size);
    DVDBurn next;
    next.setDevice(drive);
    EXPECT_TRUE(next.isValid());
}

TEST_F(DVDBurnTest, ADriveIsHeldByOneBurnerAtATime)
{
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));
    DVDBurn first;
    DVDBurn second;
    first.setDevice(drive);
    ASSERT_TRUE(first.isValid());
    second.setDevice(drive);
    EXPECT_FALSE(second.isValid());
    // Selecting the same writer again, as prepareForBurn does, works: the old hold goes first.
    first.setDevice(drive);
    EXPECT_TRUE(first.isValid());
    first.setDevice(nullptr);
    second.setDevice(drive);
    EXPECT_TRUE(second.isValid());
}

TEST_F(DVDBurnTest, VerificationReadsTheDiscBack)
{
    const QString image = makeImage(QStringLiteral("disc.iso"), 1200);
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));
    DVDBurn burner;
    burner.setAllowVerify(true);
    burner.setDevice(drive);
    burner.prepareForBurn();
    ASSERT_TRUE(burner.burnISOPath(image));
    bool sawVerifying = false;
    ASSERT_TRUE(fixtures::spinUntil(
        [&] {
            sawVerifying = sawVerifying
                           || burner.status().value(DVDBurnStatus::StateKey)
                                  == DVDBurnStatus::StateVerifying;
            return burner.isFinished() || burner.isFailed();
        },
        kBurnLimitMs));
    EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
    EXPECT_TRUE(sawVerifying);
    EXPECT_EQ(burner.burn()->properties().value(DVDBurnRecorder::VerifyDiscKey), true);
    EXPECT_EQ(readAll(path(QStringLiteral("blank.disc"))), readAll(image));
}

TEST_F(DVDBurnTest, ADiscThatCannotBeReadBackFailsVerification)
{
    // A write-only pseudo-drive: the write succeeds, the reading back cannot.
    const DVDBurnDeviceRef drive
        = DVDBurnDevice::pseudoDriveForAddress(QStringLiteral("stdio:/dev/null"));
    const QString image = makeImage(QStringLiteral("disc.iso"), 64);
    DVDBurn burner;
    burner.setAllowVerify(true);
    burner.setDevice(drive);
    ASSERT_TRUE(burner.isValid());
    ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
    ASSERT_TRUE(runUntilEnded(burner));
    EXPECT_TRUE(burner.isFailed());
    EXPECT_TRUE(burner.lastError().contains(QStringLiteral("read back")))
        << qPrintable(burner.lastError());

    // Without verification the same write passes.
    burner.setAllowVerify(false);
    burner.prepareForBurn();
    ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
    ASSERT_TRUE(runUntilEnded(burner));
    EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
}

TEST_F(DVDBurnTest, CallsFromAProductionThreadRunOnTheMainThread)
{
    const QString image = makeImage(QStringLiteral("disc.iso"), 200);
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));
    DVDBurn burner;
    burner.setDevice(drive);
    std::atomic<int> started = -1;
    std::thread production([&] {
        burner.prepareForBurn();
        started = burner.burnISOPath(image) ? 1 : 0;
        // Polled from this thread, as the pipeline does; a burn that never ends fails below
        // rather than holding the join.
        fixtures::waitUntil([&] { return burner.isFinished() || burner.isFailed(); }, kBurnLimitMs);
    });
    const bool ended = fixtures::spinUntil(
        [&] { return started != -1 && (burner.isFinished() || burner.isFailed()); }, kBurnLimitMs);
    production.join();
    ASSERT_TRUE(ended);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
    EXPECT_EQ(readAll(path(QStringLiteral("blank.disc"))), readAll(image));
}

TEST_F(DVDBurnTest, OnlyTheCurrentBurnObjectsStatusCounts)
{
    const DVDBurnDeviceRef drive = pseudoDrive(QStringLiteral("blank.disc"));
    DVDBurn burner;
    burner.setDevice(drive);
    const DVDBurnRecorderRef earlier = burner.burn();
    burner.prepareForBurn();
    const DVDBurnRecorderRef current = burner.burn();
    ASSERT_NE(current, nullptr);
    ASSERT_NE(current, earlier);

    const QVariantMap done{{DVDBurnStatus::StateKey, DVDBurnStatus::StateDone}};
    const QVariantMap failed{{DVDBurnStatus::StateKey, DVDBurnStatus::StateFailed}};
    burner.burnStatusChangedNotification(earlier.get(), done);
    EXPECT_TRUE(burner.isDeviceFree());
    EXPECT_TRUE(burner.status().isEmpty());

    burner.burnStatusChangedNotification(current.get(), failed);
    EXPECT_TRUE(burner.isFailed());
    burner.burnStatusChangedNotification(current.get(), done);
    EXPECT_TRUE(burner.isFailed());
    // The status is still kept after the run ended.
    EXPECT_EQ(burner.status(), done);

    burner.prepareForBurn();
    EXPECT_TRUE(burner.isDeviceFree());
}

TEST(DVDBurnFile, FileSizeOfAFileOnly)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("five")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("12345");
    file.close();
    EXPECT_EQ(DVDBurn::fileSizeForFile(file.fileName()), 5);
    EXPECT_EQ(DVDBurn::fileSizeForFile(dir.filePath(QStringLiteral("none"))), 0);
    EXPECT_EQ(DVDBurn::fileSizeForFile(dir.path()), 0);
}
