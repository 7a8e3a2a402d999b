// The one builder of new projects: the page it prepares from the blank template page, and that
// the package's new project is the builder's.

#include "Platterkit/model/DVDLibraryButtonResource.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/NewProjectBuilder.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;

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

TEST(NewProjectBuilder, ThePageIsTheBlankTemplateWithEachButtonStyledFittedAndMoved)
{
    const ProjectContents project = NewProjectBuilder::build(6000);
    ASSERT_TRUE(project.dvd && project.tempDvdData);
    EXPECT_EQ(project.dvd->dvdBitrate(), 6000);
    EXPECT_EQ(project.dvd->aspectType(), 1);
    EXPECT_EQ(project.dvd->format(), 1);
    EXPECT_FALSE(project.dvd->autoMenus());
    EXPECT_FALSE(project.dvd->playFirstTitle());
    EXPECT_TRUE(project.dvd->playTitleSequence());
    EXPECT_TRUE(project.dvd->menuLoop());
    EXPECT_TRUE(project.dvd->titles().isEmpty());
    ASSERT_EQ(project.dvd->menus().size(), 1);
    const auto page = project.dvd->menus().first();
    const auto blank = TitlePageEdits::blankTemplatePage(1);
    ASSERT_TRUE(blank);
    EXPECT_NE(page, blank);
    EXPECT_TRUE(DVDMenuExtention::titleItems(*page).isEmpty());

    const auto templateButtons = DVDMenuExtention::buttonItems(*blank);
    const auto buttons = DVDMenuExtention::buttonItems(*page);
    ASSERT_FALSE(buttons.isEmpty());
    ASSERT_EQ(buttons.size(), templateButtons.size());
    ASSERT_EQ(project.tempDataArray.size(), buttons.size());
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        SCOPED_TRACE(i);
        const auto &button = buttons[i];
        // Its own style record, with the shadow that buttons get.
        const auto record = TitlePageEdits::recordForItem(*button, project.tempDataArray);
        ASSERT_TRUE(record);
        EXPECT_TRUE(record->buttonHasShadow());
        // Fitted to its picture inside the template's place, which moved 80 left and 30 up.
        const QRectF place = templateButtons[i]->frame().translated(-80, 30);
        const QRectF frame = button->frame();
        EXPECT_TRUE(place.adjusted(-0.5, -0.5, 0.5, 0.5).contains(frame))
            << frame.x() << "," << frame.y() << " in " << place.x() << "," << place.y();
        const QSizeF picture = button->useStaticImage() && !button->menuStaticImage().isNull()
                                   ? QSizeF(button->menuStaticImage().size())
                               : button->buttonResource()
                                   ? QSizeF(button->buttonResource()->image().size())
                                   : QSizeF();
        if (!picture.isEmpty()) {
            EXPECT_NEAR(frame.width() / frame.height(), picture.width() / picture.height(), 0.02);
        }
        EXPECT_NE(frame.topLeft(), templateButtons[i]->frame().topLeft());
    }
}

TEST(NewProjectBuilder, ThePackagesNewProjectIsTheBuildersAt4000)
{
    const ProjectContents built = NewProjectBuilder::build();
    const ProjectContents package = ProjectPackage::newProject();
    EXPECT_EQ(package.dvd->dvdBitrate(), 4000);
    ASSERT_EQ(package.dvd->menus().size(), built.dvd->menus().size());
    const auto a = built.dvd->menus().first()->items();
    const auto b = package.dvd->menus().first()->items();
    ASSERT_EQ(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i]->frame(), b[i]->frame()) << i;
    EXPECT_EQ(built.tempDataArray.size(), package.tempDataArray.size());
}

} // namespace
