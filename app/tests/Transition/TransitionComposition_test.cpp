// Reading transition descriptions: what a description may say, and the clear refusal of one that
// says something else.

#include "app/Transition/TransitionComposition.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Renderer = TransitionComposition::Renderer;

TEST(TransitionComposition, ADescriptionWithoutParametersTakesTheDefaults)
{
    QString error;
    const auto composition
        = TransitionComposition::fromDescription({{"renderer", QStringLiteral("circle")}}, &error);
    ASSERT_NE(composition, nullptr) << error.toStdString();
    EXPECT_EQ(composition->renderer(), Renderer::Circle);
    EXPECT_TRUE(composition->parameters().circleOpens);
    EXPECT_FALSE(composition->parameters().smooth);
    EXPECT_DOUBLE_EQ(composition->parameters().softness, 0.02);
}

TEST(TransitionComposition, ParametersAreRead)
{
    const QVariantMap parameters = {{"easing", QStringLiteral("smooth")},
                                    {"direction", QStringLiteral("down")},
                                    {"angle", 45.0},
                                    {"softness", qint64(1)},
                                    {"outgoingZoom", 2.0},
                                    {"incomingZoom", 0.5},
                                    {"mode", QStringLiteral("close")}};
    QString error;
    const auto composition = TransitionComposition::fromDescription(
        {{"renderer", QStringLiteral("slide")}, {"parameters", parameters}}, &error);
    ASSERT_NE(composition, nullptr) << error.toStdString();
    const TransitionComposition::Parameters &p = composition->parameters();
    EXPECT_EQ(composition->renderer(), Renderer::Slide);
    EXPECT_TRUE(p.smooth);
    EXPECT_EQ(p.directionX, 0);
    EXPECT_EQ(p.directionY, 1);
    EXPECT_DOUBLE_EQ(p.angleDegrees, 45.0);
    EXPECT_DOUBLE_EQ(p.softness, 1.0);
    EXPECT_DOUBLE_EQ(p.outgoingZoom, 2.0);
    EXPECT_DOUBLE_EQ(p.incomingZoom, 0.5);
    EXPECT_FALSE(p.circleOpens);
}

struct BadDescription
{
    const char *name;
    QVariantMap description;
    const char *errorPart;
};

TEST(TransitionComposition, ADescriptionOutsideTheFormatIsRefused)
{
    const auto withParameter = [](const char *key, const QVariant &value) {
        return QVariantMap{{"renderer", QStringLiteral("swipe")},
                           {"parameters", QVariantMap{{key, value}}}};
    };
    const BadDescription rows[] = {
        {"no renderer", {}, "unknown renderer"},
        {"unknown renderer", {{"renderer", QStringLiteral("teleport")}}, "\"teleport\""},
        {"renderer not a string", {{"renderer", qint64(3)}}, "unknown renderer"},
        {"parameters not a dictionary",
         {{"renderer", QStringLiteral("dissolve")}, {"parameters", QStringLiteral("fast")}},
         "\"parameters\""},
        {"softness above 1", withParameter("softness", 2.0), "\"softness\" is 2"},
        {"zoom below its range", withParameter("incomingZoom", 0.0), "\"incomingZoom\""},
        {"angle not a number", withParameter("angle", QStringLiteral("steep")), "\"angle\""},
        {"unknown direction",
         withParameter("direction", QStringLiteral("sideways")),
         "\"direction\""},
        {"unknown mode", withParameter("mode", QStringLiteral("ajar")), "\"mode\""},
    };
    for (const BadDescription &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_EQ(TransitionComposition::fromDescription(row.description, &error), nullptr);
        EXPECT_TRUE(error.contains(QLatin1String(row.errorPart))) << error.toStdString();
    }
}

TEST(TransitionComposition, AFileThatIsNoDescriptionIsRefusedWithItsPath)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("Missing.transition");
    QString error;
    EXPECT_EQ(TransitionComposition::load(missing, &error), nullptr);
    EXPECT_TRUE(error.startsWith(missing)) << error.toStdString();

    const QString array = folder.filePath("Array.transition");
    QFile file(array);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<plist version=\"1.0\"><array/></plist>");
    file.close();
    EXPECT_EQ(TransitionComposition::load(array, &error), nullptr);
    EXPECT_TRUE(error.contains("not a dictionary")) << error.toStdString();
}

} // namespace
