// Finished drags of title and clip rows carried out on the project: the dragged objects move with
// their edits, a title's menu items go with it, and a drag that changes nothing leaves the
// document unedited.

#include "app/AppExtention/Convert/MarkerItem.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "app/Controller/SourceListMoves.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"

#include <gtest/gtest.h>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;
using namespace SourceListGeometry;
using Kind = DropAction::Kind;

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

MediaDataRef clip(const QString &name)
{
    auto media = MediaData::mediaDataWithPath(ClipFixtures::shared().colour("red", 2));
    EXPECT_TRUE(media && media->movie());
    // The clips share one file; the resource name tells them apart here.
    media->setResourceName(name);
    return media;
}

DVDTitleDataRef title(const QString &name, const QStringList &clips)
{
    auto made = std::make_shared<DVDTitleData>();
    made->setName(name);
    MediaDataList medias;
    for (const QString &c : clips) {
        medias << clip(c);
        medias.last()->setSuperData(made);
    }
    made->setMediaArray(medias);
    return made;
}

QStringList names(const EditingProject &project)
{
    QStringList out;
    for (const auto &t : project.titles())
        out << t->name();
    return out;
}

QStringList clipNames(const DVDTitleDataRef &t)
{
    QStringList out;
    for (const auto &m : t->mediaArray())
        out << m->resourceName();
    return out;
}

// T1, T2, T3 with one clip each, and T4 with two, every title on the first page; the mark cleared.
struct ThreeTitles
{
    ThreeTitles()
    {
        const DVDMenuRef page = project.dvd()->menus().value(0);
        EXPECT_TRUE(page);
        project.insertTitles(0,
                             {title("T1", {"c1"}),
                              title("T2", {"c2"}),
                              title("T3", {"c3"}),
                              title("T4", {"a", "b"})},
                             page);
        project.setEdited(false);
    }
    bool hasItem(const DVDTitleDataRef &t) const
    {
        return TitlePageEdits::itemLeadingTo(*project.dvd(), t).first != nullptr;
    }
    EditingProject project;
};

TEST(SourceListMoves, ATitleMovesBelowTheLastAndKeepsItsItem)
{
    ThreeTitles fixture;
    const DVDTitleDataRef t1 = fixture.project.titles()[0];
    const MediaDataRef c1 = t1->mediaArray()[0];
    const auto action = titleDrop(0, DragEnd::InList, {1, 4, 0, {}});
    EXPECT_TRUE(SourceListMoves::applyDrop(fixture.project, action));
    EXPECT_EQ(names(fixture.project), QStringList({"T2", "T3", "T4", "T1"}));
    EXPECT_EQ(fixture.project.titles()[3], t1);
    EXPECT_EQ(t1->mediaArray()[0], c1);
    EXPECT_TRUE(fixture.hasItem(t1));
    EXPECT_TRUE(fixture.project.isEdited());
}

TEST(SourceListMoves, DropsThatChangeNothingLeaveTheDocumentUnedited)
{
    struct Row
    {
        const char *name;
        DropAction action;
    };
    const Row rows[] = {
        {"on its own line", titleDrop(1, DragEnd::InList, {1, 2, 0, {}})},
        {"ended by Escape", titleDrop(1, DragEnd::Abandoned, {1, 4, 0, {}})},
        {"a title over the menu page", titleDrop(1, DragEnd::OverMenuPage, {})},
        {"a clip onto its own place", clipDrop(3, 0, DragEnd::InList, {2, 3, 1, {}})},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ThreeTitles fixture;
        EXPECT_FALSE(SourceListMoves::applyDrop(fixture.project, row.action));
        EXPECT_EQ(names(fixture.project), QStringList({"T1", "T2", "T3", "T4"}));
        EXPECT_FALSE(fixture.project.isEdited());
    }
}

// The clip itself travels, so its trims, effects and markers stay, even when its file is gone.
TEST(SourceListMoves, ATitleDroppedOnAnotherGivesItItsClipAndLeavesWithItsItems)
{
    ThreeTitles fixture;
    const auto titles = fixture.project.titles();
    const MediaDataRef c2 = titles[1]->mediaArray()[0];
    c2->setMarkerArray({std::make_shared<MarkerItem>()});
    const auto action = titleDrop(1, DragEnd::InList, {3, 2, 0, {}});
    EXPECT_TRUE(SourceListMoves::applyDrop(fixture.project, action));
    EXPECT_EQ(names(fixture.project), QStringList({"T1", "T3", "T4"}));
    EXPECT_EQ(clipNames(titles[2]), QStringList({"c3", "c2"}));
    EXPECT_EQ(titles[2]->mediaArray()[1], c2);
    EXPECT_EQ(c2->markerArray().size(), 1);
    EXPECT_EQ(c2->superData(), titles[2]);
    EXPECT_FALSE(fixture.hasItem(titles[1]));
    EXPECT_TRUE(fixture.hasItem(titles[2]));
}

TEST(SourceListMoves, ClipMoves)
{
    struct Row
    {
        const char *name;
        DropAction action;
        QStringList titles;
        QStringList t4Clips;
    };
    const Row rows[] = {
        {"a clip into a gap becomes its own title",
         clipDrop(3, 0, DragEnd::InList, {1, 1, 0, {}}),
         {"T1", "red-2s", "T2", "T3", "T4"},
         {"b"}},
        {"a clip down inside its title",
         clipDrop(3, 0, DragEnd::InList, {2, 3, 2, {}}),
         {"T1", "T2", "T3", "T4"},
         {"b", "a"}},
        {"a clip onto another title's row",
         clipDrop(3, 1, DragEnd::InList, {3, 0, 0, {}}),
         {"T1", "T2", "T3", "T4"},
         {"a"}},
        {"a clip let go on the window",
         clipDrop(3, 1, DragEnd::RemovalArea, {}),
         {"T1", "T2", "T3", "T4"},
         {"a"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ThreeTitles fixture;
        const DVDTitleDataRef t4 = fixture.project.titles()[3];
        const MediaDataRef dragged = t4->mediaArray()[row.action.clip];
        EXPECT_TRUE(SourceListMoves::applyDrop(fixture.project, row.action));
        EXPECT_EQ(names(fixture.project), row.titles);
        EXPECT_EQ(clipNames(t4), row.t4Clips);
        EXPECT_TRUE(fixture.project.isEdited());
        if (row.action.kind != Kind::RemoveClip) {
            const DVDTitleDataRef owner = dragged->superData();
            ASSERT_TRUE(owner);
            EXPECT_TRUE(owner->mediaArray().contains(dragged));
        }
    }
}

TEST(SourceListMoves, ATitleLetGoOnTheWindowLeavesWithItsItems)
{
    ThreeTitles fixture;
    const DVDTitleDataRef t2 = fixture.project.titles()[1];
    EXPECT_TRUE(fixture.hasItem(t2));
    EXPECT_TRUE(
        SourceListMoves::applyDrop(fixture.project, titleDrop(1, DragEnd::RemovalArea, {})));
    EXPECT_EQ(names(fixture.project), QStringList({"T1", "T3", "T4"}));
    EXPECT_FALSE(fixture.hasItem(t2));
}

} // namespace
