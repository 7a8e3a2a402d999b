// The small extensions every part of the application leans on: exception containment and guarded
// list access.

#include "app/AppExtention/Function/ArrayExtention.h"
#include "app/AppExtention/Function/ObjectExtention.h"
#include "platform/TryBlock.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {

// Collects the warnings logged while it lives.
class LogCapture
{
public:
    LogCapture() { s_lines.clear(), m_previous = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    static const QStringList &lines() { return s_lines; }

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        s_lines.append(message);
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous;
};

TEST(ObjectExtention, CaughtExceptionRunsTheCatchBlockOnceAndLogsOnce)
{
    LogCapture log;
    QObject receiver;
    int before = 0, after = 0, caught = 0;
    ObjectExtention::tryBlock(
        &receiver,
        [&] {
            ++before;
            throw platform::Exception("NSInvalidArgumentException", "broken value");
            ++after;
        },
        [&] { ++caught; });
    EXPECT_EQ(before, 1) << "what ran before the exception stays done";
    EXPECT_EQ(after, 0);
    EXPECT_EQ(caught, 1);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("tryBlock <QObject: 0x"));
    EXPECT_TRUE(log.lines().first().contains("NSInvalidArgumentException: broken value"));
}

TEST(ObjectExtention, OtherExceptionsPassThrough)
{
    int caught = 0;
    EXPECT_THROW(ObjectExtention::tryBlock(
                     nullptr, [] { throw std::runtime_error("not ours"); }, [&] { ++caught; }),
                 std::runtime_error);
    EXPECT_EQ(caught, 0);
}

TEST(ObjectExtention, InstalledForTheWholeProcess)
{
    ObjectExtention::installTryBlock();
    LogCapture log;
    bool returned = false;
    platform::tryBlock(nullptr, [] { throw platform::Exception("E", "from an engine"); });
    returned = true;
    EXPECT_TRUE(returned);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("tryBlock (null) E: from an engine"));
    platform::setTryBlockHandler({});
}

TEST(ArrayExtention, GuardedAccess)
{
    auto a = std::make_shared<int>(1), b = std::make_shared<int>(2), c = std::make_shared<int>(3);
    const QList<std::shared_ptr<int>> list{a, b, c, b};
    const QList<std::shared_ptr<int>> empty;
    using namespace ArrayExtention;
    EXPECT_EQ(firstObject(empty), nullptr);
    EXPECT_EQ(firstObject(list), a);
    EXPECT_EQ(safeObjectAtIndex(list, 3), b);
    EXPECT_EQ(safeObjectAtIndex(list, 4), nullptr) << "index = count";
    EXPECT_EQ(safeObjectAtIndex(list, std::uint64_t(-1)), nullptr);
    EXPECT_EQ(nextObject(list, b), c) << "the first occurrence counts";
    EXPECT_EQ(previousObject(list, b), a);
    EXPECT_EQ(nextObject(list, std::shared_ptr<int>(std::make_shared<int>(9))), nullptr);
    EXPECT_EQ(previousObject(list, a), nullptr);
    const QList<std::shared_ptr<int>> last{a, c};
    EXPECT_EQ(nextObject(last, c), nullptr);
    EXPECT_EQ(objectOffset(list, a, -1), nullptr);
    EXPECT_EQ(objectOffset(list, a, 2), c);
    EXPECT_EQ(objectOffset(list, c, -2), a);
    EXPECT_EQ(objectOffset(list, std::shared_ptr<int>(), 0), nullptr);
}

} // namespace
