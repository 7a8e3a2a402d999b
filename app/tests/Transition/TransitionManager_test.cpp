// The transition catalogue: finding descriptions at any depth, naming them by file name, the order
// the dialog shows them in, and what is left of a catalogue whose files are missing or broken.

#include "app/Transition/TransitionComposition.h"
#include "app/Transition/TransitionManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The transition catalogue read from a folder of the test's choosing.
class FolderTransitionManager : public TransitionManager
{
public:
    explicit FolderTransitionManager(QString resources)
        : m_resources(std::move(resources))
    {
        init();
    }
    QString quartzRenderBundleForResource() const override { return m_resources; }

private:
    QString m_resources;
};

const QByteArray kDissolveDescription = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                        "<plist version=\"1.0\"><dict>"
                                        "<key>renderer</key><string>dissolve</string>"
                                        "</dict></plist>\n";

class TransitionCatalogueTest : public ::testing::Test
{
protected:
    // Writes contents to TransQuartzs/relativePath under the test's resources folder.
    void write(const QString &relativePath, const QByteArray &contents = kDissolveDescription)
    {
        const QString path = bundle() + "/" + relativePath;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contents), contents.size());
    }
    QString bundle() const { return m_resources.path() + "/TransQuartzs"; }

    QTemporaryDir m_resources;
};

TEST_F(TransitionCatalogueTest, PresentationOrderPutsTheKnownTransitionsFirst)
{
    // Listing order: each folder by name, so "Zigzag" (in "Aa") comes before "Blinds" (in "Bb").
    write("Shapes/Round/Circle Open.transition");
    write("Dissolve.transition");
    write("Aa/Zigzag.transition");
    write("Bb/Blinds.transition");
    const FolderTransitionManager catalogue(m_resources.path());

    EXPECT_EQ(catalogue.allCompositionNames(),
              QStringList({"Zigzag", "Blinds", "Dissolve", "Circle Open"}));
    EXPECT_EQ(catalogue.allCompositionNamesResort(),
              QStringList({"Dissolve", "Circle Open", "Zigzag", "Blinds"}));
    EXPECT_EQ(catalogue.defaultCompositionName(), "Zigzag");

    // A description deep in the folder is named by its file name alone and keeps its full path.
    const QuartzRenderEntry *circle = catalogue.renderDictForName("Circle Open");
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->path,
              QFileInfo(bundle() + "/Shapes/Round/Circle Open.transition").absoluteFilePath());
    EXPECT_NE(catalogue.compositionForName("Circle Open"), nullptr);
    EXPECT_EQ(catalogue.renderDictForName("Round/Circle Open"), nullptr);
    EXPECT_EQ(catalogue.allComposition().size(), 4);
}

TEST_F(TransitionCatalogueTest, AMissingFolderGivesAnEmptyCatalogue)
{
    const FolderTransitionManager catalogue(m_resources.path() + "/nowhere");
    EXPECT_TRUE(catalogue.quartzRenderResourceBundlePath().isEmpty());
    EXPECT_TRUE(catalogue.allCompositionNames().isEmpty());
    EXPECT_TRUE(catalogue.allCompositionNamesResort().isEmpty());
    EXPECT_TRUE(catalogue.defaultCompositionName().isEmpty());
    EXPECT_EQ(catalogue.defaultComposition(), nullptr);
    EXPECT_EQ(catalogue.compositionForName("Dissolve"), nullptr);

    // The base catalogue names no folder at all.
    EXPECT_TRUE(QuartzRenderManager::manager().allCompositionNames().isEmpty());
    EXPECT_TRUE(QuartzRenderManager::manager().bundleResourceName().isEmpty());
}

TEST_F(TransitionCatalogueTest, ABrokenDescriptionKeepsItsNameWithoutAComposition)
{
    write("Dissolve.transition");
    write("Slide.transition", "not a property list");
    write(
        "Swipe.transition",
        "<plist version=\"1.0\"><dict><key>renderer</key><string>teleport</string></dict></plist>");
    const FolderTransitionManager catalogue(m_resources.path());

    EXPECT_EQ(catalogue.allCompositionNames(), QStringList({"Dissolve", "Slide", "Swipe"}));
    EXPECT_EQ(catalogue.allCompositionNamesResort(), QStringList({"Dissolve", "Slide", "Swipe"}));
    for (const char *broken : {"Slide", "Swipe"}) {
        SCOPED_TRACE(broken);
        const QuartzRenderEntry *entry = catalogue.renderDictForName(broken);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->obj, nullptr);
        EXPECT_FALSE(entry->path.isEmpty());
        EXPECT_EQ(catalogue.compositionForName(broken), nullptr);
    }
    EXPECT_EQ(catalogue.allComposition().size(), 1);
}

TEST_F(TransitionCatalogueTest, ALaterFileOfTheSameNameReplacesTheEntry)
{
    write("A/Dissolve.transition", "broken");
    write("B/Dissolve.transition");
    const FolderTransitionManager catalogue(m_resources.path());

    EXPECT_EQ(catalogue.allCompositionNames(), QStringList({"Dissolve", "Dissolve"}));
    EXPECT_EQ(catalogue.allCompositionNamesResort(), QStringList({"Dissolve"}));
    ASSERT_NE(catalogue.renderDictForName("Dissolve"), nullptr);
    EXPECT_TRUE(catalogue.renderDictForName("Dissolve")->path.endsWith("/B/Dissolve.transition"));
    EXPECT_NE(catalogue.compositionForName("Dissolve"), nullptr);
    EXPECT_EQ(catalogue.allComposition().size(), 1);
}

TEST_F(TransitionCatalogueTest, OnlyVisibleDescriptionFilesAreTransitions)
{
    write("Dissolve.transition");
    write("._Dissolve.transition", "resource fork");
    write(".hidden/Slide.transition");
    write("Notes.txt", "not a transition");
    write("Swipe.transition.bak", "an old copy");
    const FolderTransitionManager catalogue(m_resources.path());
    EXPECT_EQ(catalogue.allCompositionNames(), QStringList({"Dissolve"}));
}

TEST(QuartzRenderManager, NamesAreLastPathComponentsWithoutTheExtension)
{
    EXPECT_EQ(QuartzRenderManager::quartzRenderNameForPath("/a/b/Zoom Dissolve.transition"),
              "Zoom Dissolve");
    EXPECT_EQ(QuartzRenderManager::quartzRenderNameForPath("/a/Circle.Open.transition"),
              "Circle.Open");
    EXPECT_EQ(QuartzRenderManager::quartzRenderNameForPath("Swipe2"), "Swipe2");
}

// The descriptions the application ships, as the build copied them.
TEST(ShippedTransitions, EveryKnownTransitionLoadsInItsFixedOrder)
{
    const FolderTransitionManager catalogue(QStringLiteral(DW_BINARY_DIR "/resources"));
    const QStringList known
        = {"Dissolve", "Slide", "Swipe", "Swipe2", "Zoom Dissolve", "Circle Close", "Circle Open"};
    EXPECT_EQ(catalogue.allCompositionNamesResort(), known);
    EXPECT_EQ(catalogue.allCompositionNames().size(), known.size());
    for (const QString &name : known) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_NE(catalogue.compositionForName(name), nullptr);
    }
    // A new slideshow takes the first of the presentation order.
    EXPECT_EQ(catalogue.allCompositionNamesResort().first(), "Dissolve");
}

} // namespace
