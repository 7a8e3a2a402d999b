#include "Reelsmith/detail/ProcessPaths.h"
#include "Reelsmith/helpers/TaskHelperCtrl.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <mutex>
#include <unistd.h>

namespace {

// The controller's thread runs an event loop, which needs an application object, as in the
// application itself.
class ApplicationEnvironment : public testing::Environment
{
public:
    void SetUp() override { m_app = std::make_unique<QCoreApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "taskhelper_test";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};

const testing::Environment *const kApplication
    = testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

class LogCapture
{
public:
    LogCapture()
    {
        std::lock_guard guard(s_lock);
        s_messages.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) {
                std::lock_guard guard(s_lock);
                s_messages.append(message);
            });
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    bool contains(const QString &text) const
    {
        std::lock_guard guard(s_lock);
        return s_messages.contains(text);
    }

private:
    QtMessageHandler m_previous;
    static inline std::mutex s_lock;
    static inline QStringList s_messages;
};

} // namespace

TEST(TaskHelperCtrl, ServiceNamesFollowTheEnvironmentPrefix)
{
    TaskHelperCtrl controller;
    EXPECT_EQ(TaskHelperCtrl::prefixForTaskHelperNameKey(), QStringLiteral("corvane-task-name"));
    EXPECT_EQ(controller.default_helper_name(), QStringLiteral("taskhand"));

    qunsetenv("corvane-task-name");
    int next = TaskHelperCtrl::helperKey() + 1;
    EXPECT_TRUE(controller.prefixForTaskHelperName().isNull());
    EXPECT_EQ(controller.helper_default_mach_name(),
              QStringLiteral("corvane-task-helper-%1-:pid-:name").arg(next));

    qputenv("corvane-task-name", "pfx");
    next = TaskHelperCtrl::helperKey() + 1;
    EXPECT_EQ(controller.helper_default_mach_name(), QStringLiteral("pfx.mach-%1-:pid").arg(next));

    qputenv("corvane-task-name", "");
    next = TaskHelperCtrl::helperKey() + 1;
    EXPECT_EQ(controller.helper_default_mach_name(),
              QStringLiteral("corvane-task-helper-%1-:pid-:name").arg(next));
    qunsetenv("corvane-task-name");

    EXPECT_EQ(TaskHelperCtrl::publishedName(QStringLiteral("corvane-task-helper-1-:pid-:name"), 42),
              QStringLiteral("corvane-task-helper-1-42-_OpenStep"));
}

TEST(TaskHelperCtrl, PublishesAUserOnlySocketInThePrivateRoot)
{
    std::shared_ptr<TaskHelperCtrl> controller = TaskHelperCtrl::helper();
    ASSERT_FALSE(controller->serverPath().isEmpty());
    EXPECT_TRUE(controller->mach_name().contains(QStringLiteral(":pid")));
    const QFileInfo socket(controller->serverPath());
    EXPECT_TRUE(socket.exists());
    EXPECT_EQ(socket.absolutePath(), Reelsmith::detail::privateTempRoot());
    EXPECT_TRUE(socket.fileName().contains(QString::number(getpid())));
    EXPECT_TRUE(socket.fileName().endsWith(QStringLiteral("_OpenStep")));
    EXPECT_EQ(socket.permissions()
                  & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions());
}

TEST(TaskHelperCtrl, TaskhandConnectsAndAnswers)
{
    std::shared_ptr<TaskHelperCtrl> controller = TaskHelperCtrl::helper();
    controller->runHelper();
    ASSERT_TRUE(controller->isStarted());
    // How fast it connects belongs to a benchmark, not here: a loaded test machine starting a
    // sanitized helper can take longer than a person's machine ever would.
    ASSERT_TRUE(controller->waitForConnected(60000));
    EXPECT_TRUE(controller->isConnected());
    EXPECT_FALSE(controller->isDisConnected());

    const QVariant pid = controller->helperTaskName(QStringLiteral("pid"));
    ASSERT_TRUE(pid.isValid());
    EXPECT_GT(pid.toLongLong(), 0);
    EXPECT_EQ(controller->helperTaskName(QStringLiteral("ppid")).toLongLong(), qint64(getpid()));
    EXPECT_EQ(controller->helperTaskName(QStringLiteral("TaskhandInfo"), QStringLiteral("pid")),
              pid);
    {
        LogCapture log;
        EXPECT_TRUE(controller->helperTaskName(QStringLiteral("no such task")).isNull());
        EXPECT_TRUE(log.contains(QStringLiteral("helper no such task failed")));
    }
    EXPECT_TRUE(controller->loadFrameworkPath(QStringLiteral("libm.so.6")).toBool());
    EXPECT_TRUE(controller->loadFrameworkPath(QStringLiteral("/nonexistent.so")).isNull());
    EXPECT_TRUE(controller->loadFrameworkForClass(QStringLiteral("VideoJoiner")).toBool());
    EXPECT_TRUE(controller->loadFrameworkForClass(QStringLiteral("NoSuchClass")).isNull());

    // A started controller starts nothing more.
    controller->runHelper();
    EXPECT_EQ(controller->helperTaskName(QStringLiteral("pid")), pid);

    controller->terminate();
    EXPECT_FALSE(controller->isConnected());
    EXPECT_TRUE(controller->isDisConnected());
    EXPECT_TRUE(controller->helperTaskName(QStringLiteral("pid")).isNull());
}

TEST(TaskHelperCtrl, ModeFlagsReachTheHelper)
{
    std::shared_ptr<TaskHelperCtrl> controller = TaskHelperCtrl::helper();
    controller->updateHelperApp(true, true);
    controller->runHelper();
    ASSERT_TRUE(controller->waitForConnected(60000));
    const QStringList arguments
        = controller->helperTaskName(QStringLiteral("arguments")).toStringList();
    ASSERT_EQ(arguments.size(), 4);
    EXPECT_EQ(arguments[1], controller->mach_name());
    EXPECT_EQ(arguments[2], QStringLiteral("helper.app.run"));
    EXPECT_EQ(arguments[3], QStringLiteral("helper.app.background"));
}

TEST(TaskHelperCtrl, MissingHelperStartsNothing)
{
    LogCapture log;
    std::shared_ptr<TaskHelperCtrl> controller = TaskHelperCtrl::helper();
    controller->runHelperName(QStringLiteral("no-such-helper"), false, false);
    EXPECT_FALSE(controller->isStarted());
    EXPECT_FALSE(controller->isDisConnected());
    EXPECT_TRUE(log.contains(
        QStringLiteral("app not exist %1/no-such-helper").arg(Reelsmith::detail::executableDir())));
    EXPECT_TRUE(controller->helperTaskName(QStringLiteral("pid")).isNull());
}
