// The dvdauthor control file: golden documents of whole discs and the navigation commands.

#include "Platterkit/authoring/DVDAuthorXML.h"
#include "Platterkit/authoring/MenuButtons.h"
#include "Platterkit/model/DVDLibrary.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using Platterkit::MenuButtons;
using namespace testing_support;

namespace {

QString golden(const QString &name)
{
    return QStringLiteral(DW_SOURCE_DIR "/Platterkit/tests/data/") + name;
}

// Compares with a golden file byte for byte. DW_UPDATE_GOLDEN=1 rewrites the file instead, for a
// person to review in the diff.
void expectGolden(const QString &actual, const QString &name)
{
    const QString path = golden(name);
    if (qEnvironmentVariableIntValue("DW_UPDATE_GOLDEN") == 1) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(actual.toUtf8());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    const QByteArray expected = file.readAll();
    EXPECT_EQ(actual.toUtf8().toStdString(), expected.toStdString())
        << "golden file " << qPrintable(name);
}

// dvdauthor's own schema accepts the document.
void expectValidForDvdauthor(const QString &document)
{
    const QString schema = QStringLiteral("/usr/share/dvdauthor/dvdauthor.xsd");
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty() || !QFile::exists(schema)) {
        GTEST_SKIP() << "xmllint or the dvdauthor schema is missing";
    }
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("author.xml"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(document.toUtf8());
    file.close();
    QProcess lint;
    lint.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"), schema, path});
    ASSERT_TRUE(lint.waitForFinished(30000));
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().toStdString();
}

// The disc of the worked example: 4:3 NTSC, two normal titles (chapters of 300, 300 and 120 s, and
// one chapter), one page whose first two elements lead to the titles and whose other elements are
// buttons without jumps; menuLoop on.
struct WorkedExample
{
    std::shared_ptr<DVDLibrary> library = std::make_shared<DVDLibrary>();
    std::shared_ptr<TestTitleVideo> first
        = TestTitleVideo::make(QStringLiteral("A"), {300, 300, 120});
    std::shared_ptr<TestTitleVideo> second = TestTitleVideo::make(QStringLiteral("B"), {45});
    DVDMenuRef page = makeTemplatePage(2);

    WorkedExample()
    {
        library->setFormat(0);
        library->setAspectType(0);
        library->setMenuLoop(true);
        library->setTitles({first, second});
        library->setMenus({page});
        library->setCurrentMenu(makeTemplatePage(2));
        leadTo(page->items()[0], first);
        leadTo(page->items()[1], second);
    }

    void addWarningTitle()
    {
        auto warning = TestTitleVideo::make(QStringLiteral("W"), {5}, true);
        library->setTitles({first, second, warning});
    }
};

} // namespace

TEST(DVDAuthorXML, WorkedExample)
{
    WorkedExample disc;
    const QString document = DVDAuthorXML(*disc.library).authorContent();
    expectGolden(document, QStringLiteral("author_worked_example.xml"));
    expectValidForDvdauthor(document);
}

TEST(DVDAuthorXML, WithoutMenus)
{
    WorkedExample disc;
    disc.library->setNoMenu(true);
    const QString document = DVDAuthorXML(*disc.library).authorContent();
    expectGolden(document, QStringLiteral("author_no_menu.xml"));
    expectValidForDvdauthor(document);
}

TEST(DVDAuthorXML, WithAWarningTitle)
{
    WorkedExample disc;
    disc.addWarningTitle();
    const QString document = DVDAuthorXML(*disc.library).authorContent();
    expectGolden(document, QStringLiteral("author_warning_title.xml"));
    expectValidForDvdauthor(document);

    // Starting with the first title: the disc starts the auto-play register and the warning
    // title's end goes to title 1.
    disc.library->setPlayFirstTitle(true);
    const QString playFirst = DVDAuthorXML(*disc.library).authorContent();
    EXPECT_TRUE(playFirst.contains(
        QLatin1String("<fpc>g1=0;g2=0;g3=0;g4=0;g5=0; g4=1;jump title 1;</fpc>")));
    EXPECT_TRUE(playFirst.contains(QLatin1String(
        "<pgc><vob file=\"title2.dvd\"  /><post>g5=93; jump title 1;</post></pgc>\n")));
}

TEST(DVDAuthorXML, HeadersFollowTheStandardAndAspect)
{
    struct Row
    {
        const char *name;
        qint64 format;
        qint64 aspect;
        const char *titleHeader;
    };
    const Row rows[] = {
        {"PAL 16:9", 1, 1, "<video aspect=\"16:9\" resolution=\"720x576\" />"},
        {"PAL 4:3", 1, 0, "<video aspect=\"4:3\" resolution=\"720x576\" />"},
        {"format 2 is NTSC", 2, 0, "<video aspect=\"4:3\" resolution=\"720x480\" />"},
        {"aspect 2 is 4:3", 0, 2, "<video aspect=\"4:3\" resolution=\"720x480\" />"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        WorkedExample disc;
        disc.library->setFormat(row.format);
        disc.library->setAspectType(row.aspect);
        const QString document = DVDAuthorXML(*disc.library).authorContent();
        QString menuHeader = QString::fromLatin1(row.titleHeader);
        menuHeader.replace(QLatin1String(" />"), QLatin1String("  />"));
        EXPECT_TRUE(
            document.contains(QLatin1String("<titles>\n") + QLatin1String(row.titleHeader)));
        EXPECT_TRUE(document.contains(QLatin1String("<menus>\n") + menuHeader));
    }
}

TEST(DVDAuthorXML, MenuVideoOptionsHook)
{
    struct Widescreen : DVDAuthorXML
    {
        using DVDAuthorXML::DVDAuthorXML;
        QString customDVDMenuVideoOptions() const override
        {
            return QStringLiteral("widescreen=\"nopanscan\"");
        }
    };
    WorkedExample disc;
    EXPECT_TRUE(
        Widescreen(*disc.library)
            .authorContent()
            .contains(QLatin1String(
                "<video aspect=\"4:3\" resolution=\"720x480\" widescreen=\"nopanscan\" />")));
}

TEST(DVDAuthorXML, CellTimes)
{
    const std::pair<double, const char *> rows[] = {
        {3725.456, "01:02:05.45"},
        {0.009, "00:00:00.00"},
        {360000, "100:00:00.00"},
        {600, "00:10:00.00"},
        {59.999, "00:00:59.99"},
    };
    for (const auto &[seconds, text] : rows)
        EXPECT_EQ(DVDAuthorXML::dvdCellTimeString(seconds), QString::fromLatin1(text)) << seconds;
}

TEST(DVDAuthorXML, ChapterList)
{
    struct Row
    {
        const char *name;
        QList<double> chapters;
        const char *vob;
    };
    const Row rows[] = {
        {"one chapter", {45}, "<vob file=\"title0.dvd\"  />"},
        {"a zero chapter first hides the next start",
         {0, 10, 20},
         "<vob file=\"title0.dvd\" chapters=\"00:00:10.00\" />"},
        {"fractional starts", {1.5, 2.25}, "<vob file=\"title0.dvd\" chapters=\"00:00:01.50\" />"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DVDLibrary library;
        library.setTitles({TestTitleVideo::make(QStringLiteral("A"), row.chapters)});
        EXPECT_TRUE(DVDAuthorXML(library).authorContent().contains(QLatin1String(row.vob)));
    }

    // A title that is not a production title gets no chapter list.
    DVDLibrary plain;
    plain.setTitles({std::make_shared<TestTitleResource>()});
    EXPECT_TRUE(DVDAuthorXML(plain).authorContent().contains(
        QLatin1String("<pgc><pre> if (g5 != 93) g3=0; </pre><vob file=\"title0.dvd\" /><post>")));
}

TEST(DVDAuthorXML, ButtonsAreTheElementsThatLeadSomewhereAndAreNotDisabled)
{
    WorkedExample disc;
    // The page: title slot 0 -> A, title slot 1 -> B, then "pre", "next", "play".
    const DVDMenuItemList items = disc.page->items();
    items[2]->setJump(nullptr);   // third element: a button without a jump
    items[3]->setJump(disc.page); // fourth leads somewhere: the page itself
    items[1]->setDisabled(true);  // disabled with a jump: no button
    const QString document = DVDAuthorXML(*disc.library).authorContent();

    EXPECT_TRUE(document.contains(
        QLatin1String("<button name=\"b00\"> g4=0;jump title 1 chapter 1; </button>")));
    EXPECT_FALSE(document.contains(QLatin1String("name=\"b01\"")))
        << "disabled elements get no button";
    EXPECT_FALSE(document.contains(QLatin1String("name=\"b02\"")));
    EXPECT_TRUE(
        document.contains(QLatin1String("<button name=\"b03\"> g4=0;jump menu 1; </button>")));
    EXPECT_TRUE(document.contains(QLatin1String("if ( g3 lt 1 || g3 gt 2 )")))
        << "the highlight limit counts the buttons written";

    EXPECT_EQ(MenuButtons::buttonItemIndexes(*disc.page), (QList<qsizetype>{0, 3}));
    EXPECT_FALSE(MenuButtons::becomesButton(DVDMenuItemRef()));
}

TEST(DVDAuthorXML, ButtonNamesOnlyDifferWithinAPage)
{
    EXPECT_EQ(MenuButtons::buttonName(11, 0), QStringLiteral("b110"));
    EXPECT_EQ(MenuButtons::buttonName(1, 10), QStringLiteral("b110"));
    EXPECT_EQ(MenuButtons::buttonName(0, 3), QStringLiteral("b03"));
}

TEST(DVDAuthorXML, PagesAndTheRootMenu)
{
    WorkedExample disc;
    auto second = makeTemplatePage(2);
    auto sub = makeTemplatePage(1);
    sub->setParent(disc.page->items()[0]);
    disc.library->setMenus({disc.page, sub, second});
    disc.library->setMenuLoop(false);
    disc.library->updateDVDMenuJump(nullptr);
    const QString document = DVDAuthorXML(*disc.library).authorContent();

    EXPECT_TRUE(document.contains(
        QLatin1String("if (g1 == 1) jump menu 1;if (g1 == 2) jump menu 2;if (g1 == 3) jump menu 3;"
                      "if (g1 == 0 || g1 > 3) jump menu 1;</pre></pgc>\n")));
    EXPECT_TRUE(document.contains(QLatin1String("<pre>g1=3;"))) << "each page records its number";
    EXPECT_TRUE(document.contains(QLatin1String("<vob file=\"menu2.dvd\" />")));
    // The main chain is page 1 then page 3; the sub-page chain has one page.
    EXPECT_TRUE(
        document.contains(QLatin1String("<post>jump menu 3;</post></pgc>\n<pgc><pre>g1=2;")));
    EXPECT_TRUE(document.contains(QLatin1String(
        "<vob file=\"menu1.dvd\" /><button name=\"b11\"> g4=0;jump menu 1; </button>")))
        << "the first sub-page leads back to the page holding its parent element";
    EXPECT_TRUE(
        document.contains(QLatin1String("<button name=\"b00\"> g4=0;jump menu 2; </button>")))
        << "an element with sub-pages leads to them";
}

TEST(DVDAuthorXML, AutoPlaySequence)
{
    WorkedExample disc;
    disc.library->setAutoPlayVideos(1);
    disc.library->setPlayTitleSequence(true);
    const QString document = DVDAuthorXML(*disc.library).authorContent();
    EXPECT_TRUE(document.contains(QLatin1String(
        "<post>if ( g4 gt 0 ){g2=1;call menu entry root;}else{jump title 2 chapter 1;}</post>")))
        << qPrintable(document);
    EXPECT_TRUE(document.contains(QLatin1String("<post>g4=0;g2=1;call menu entry root;</post>")))
        << "the title past the sequence";

    disc.library->setAutoPlayVideos(2);
    disc.library->setLoopAutoPlayVideos(true);
    EXPECT_TRUE(
        DVDAuthorXML(*disc.library)
            .authorContent()
            .contains(QLatin1String("<post>if ( g4 gt 0 ){jump title 1 chapter 1;}else{g2=1;"
                                    "call menu entry root;}</post>")));
}

TEST(DVDAuthorXML, Commands)
{
    WorkedExample disc;
    DVDAuthorXML writer(*disc.library);
    auto strayPage = makeTemplatePage(1);
    auto strayTitle = TestTitleVideo::make(QStringLiteral("X"));
    auto resource = std::make_shared<TestTitleResource>();
    disc.library->setTitles({disc.first, disc.second, resource});

    struct Row
    {
        const char *name;
        ObjectRef object;
        const char *command;
    };
    const Row rows[] = {
        {"nothing", nullptr, "g3=0;"},
        {"a page", disc.page, "jump menu 1;"},
        {"a page not on the disc", strayPage, "g3=0;"},
        {"a chapter", disc.first->chapter(2), "jump title 1 chapter 3;"},
        {"a chapter of no title", strayTitle->chapter(0), "g3=0;"},
        {"a production title", disc.second, "jump title 2;"},
        {"a title resource", resource, "jump title 3;"},
        {"a title not on the disc", strayTitle, "g3=0;"},
        {"an element is no target", disc.page->items()[0], "g3=0;"},
        {"an unknown object", std::make_shared<TestEditingTitle>(), "g3=0;"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(writer.actionForDVDElement(row.object), QString::fromLatin1(row.command))
            << row.name;

    EXPECT_EQ(writer.actionForTitlePostJump(nullptr), QStringLiteral("g2=1;call menu entry root;"));
    EXPECT_EQ(writer.actionForTitlePostJump(strayTitle), QStringLiteral("g3=0;"));
    EXPECT_EQ(writer.actionForChapterVideo(disc.first->chapter(0)), QStringLiteral("g3=0;"));
    EXPECT_EQ(writer.actionForJumpButton(disc.page->items()[1]),
              QStringLiteral("jump title 2 chapter 1;"));
    EXPECT_EQ(writer.actionForMenuPostItem(disc.page), QStringLiteral("jump menu 1;"));
    disc.library->setNoMenu(true);
    EXPECT_EQ(writer.actionForTitlePostJump(nullptr), QStringLiteral("g1=1;g2=1;"));
}

TEST(DVDAuthorXML, ADiscWithoutPagesStartsTheFirstTitle)
{
    WorkedExample disc;
    disc.library->setMenus({});
    EXPECT_TRUE(DVDAuthorXML(*disc.library)
                    .authorContent()
                    .contains(QLatin1String("<pgc entry=\"root\"><pre> if (g2 == 0) g1=0; g2=0; if "
                                            "(g5 != 93) g3=0;jump title 1;</pre></pgc>\n")));
}
