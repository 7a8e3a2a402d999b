#include "platform/TryBlock.h"

#include <QObject>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

QStringList captured;

void capture(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (QByteArray(context.category) == "discwright.platform")
        captured.append(message);
}

class TryBlockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        captured.clear();
        m_previous = qInstallMessageHandler(capture);
    }
    void TearDown() override
    {
        qInstallMessageHandler(m_previous);
        platform::setTryBlockHandler({});
    }
    QtMessageHandler m_previous = nullptr;
};

TEST_F(TryBlockTest, CatchesAPlatformExceptionAndLogsTheDocumentedLine)
{
    QObject receiver;
    bool after = false;
    platform::tryBlock(&receiver, [&] {
        throw platform::Exception("InvalidArgument", "key \"volume\" has no property");
        after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(captured.size(), 1);
    const QString expectedStart
        = QStringLiteral("tryBlock %1 InvalidArgument: key \"volume\" has no property ")
              .arg(platform::describeObject(&receiver));
    EXPECT_TRUE(captured.first().startsWith(expectedStart)) << captured.first().toStdString();
    const QString stack = captured.first().mid(expectedStart.size());
    EXPECT_TRUE(stack == "<no stack>" || (stack.startsWith('(') && stack.endsWith(')')))
        << stack.toStdString();
}

TEST_F(TryBlockTest, LogLineForAKnownStackIsExact)
{
    QObject receiver;
    receiver.setObjectName("disc");
    const platform::Exception exception("Name", "reason 100%");
    EXPECT_EQ(platform::describeObject(&receiver),
              QStringLiteral("<QObject: 0x%1 \"disc\">").arg(quintptr(&receiver), 0, 16));
    EXPECT_EQ(platform::describeObject(nullptr), "(null)");
    EXPECT_EQ(platform::describeCallStack({}), "<no stack>");
    EXPECT_EQ(platform::describeCallStack({"a", "b"}), "(a, b)");
    platform::tryBlock(nullptr, [&] { throw exception; });
    ASSERT_EQ(captured.size(), 1);
    EXPECT_EQ(captured.first(),
              QStringLiteral("tryBlock (null) Name: reason 100% ")
                  + platform::describeCallStack(exception.callStackSymbols()));
}

TEST_F(TryBlockTest, RunsTheBlockAndReturnsNormallyWithoutAnException)
{
    int runs = 0;
    platform::tryBlock(nullptr, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(captured.isEmpty());
    platform::tryBlock(nullptr, {}); // an empty block is nothing to run
}

TEST_F(TryBlockTest, OtherExceptionsPassThrough)
{
    EXPECT_THROW(platform::tryBlock(nullptr, [] { throw std::runtime_error("not ours"); }),
                 std::runtime_error);
    EXPECT_THROW(platform::tryBlock(nullptr, [] { throw 42; }), int);
    EXPECT_TRUE(captured.isEmpty());
}

TEST_F(TryBlockTest, AnInstalledHandlerReplacesTheDefault)
{
    QObject receiver;
    const QObject *seenReceiver = nullptr;
    int handled = 0;
    platform::setTryBlockHandler([&](const QObject *r, const std::function<void()> &block) {
        seenReceiver = r;
        ++handled;
        try {
            block();
        } catch (const platform::Exception &) {
        }
    });
    platform::tryBlock(&receiver, [] { throw platform::Exception("E", "r"); });
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(seenReceiver, &receiver);
    EXPECT_TRUE(captured.isEmpty());

    EXPECT_TRUE(platform::setTryBlockHandler({}));
    platform::tryBlock(&receiver, [] { throw platform::Exception("E", "r"); });
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(captured.size(), 1);
}

TEST(Exception, DescribesItself)
{
    const platform::Exception exception("Name", "why");
    EXPECT_EQ(exception.description(), "Name: why");
    EXPECT_STREQ(exception.what(), "Name: why");
    EXPECT_EQ(platform::Exception("", "only a reason").description(), "only a reason");
}

} // namespace
