#include "Platterkit/model/DVDLibrary.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;

// An element as an older program version wrote it: a subset of today's keys plus the "itemBehind"
// flag. It decodes as a DVDMenuItem.
class LegacyMenuItem : public DVDMenuItem
{
    Q_OBJECT
    Q_PROPERTY(bool itemBehind MEMBER m_legacyBehind)
public:
    Q_INVOKABLE LegacyMenuItem() = default;
    QStringList allCoderKeys() const override
    {
        QStringList keys = m_keys;
        if (m_writeBehind)
            keys.append(QStringLiteral("itemBehind"));
        return keys;
    }

    QStringList m_keys{QStringLiteral("frameObject"), QStringLiteral("level")};
    bool m_writeBehind = true;
    bool m_legacyBehind = false;
};

// An element class whose new instances start with values that are not zero, to see that keys absent
// from an archive keep them.
class PresetMenuItem : public DVDMenuItem
{
    Q_OBJECT
public:
    Q_INVOKABLE PresetMenuItem()
    {
        setRotation(7.5);
        setUseFrame(true);
        setLevel(3);
    }
};

DW_REGISTER_CLASS(LegacyMenuItem)
DW_REGISTER_CLASS(PresetMenuItem)

namespace {

template <class T> std::shared_ptr<T> roundTrip(const std::shared_ptr<T> &object)
{
    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(object)), &error);
    EXPECT_FALSE(data.isEmpty()) << error.toStdString();
    const QVariant root = platform::KeyedUnarchiver::unarchive(data, &error);
    EXPECT_TRUE(root.isValid()) << error.toStdString();
    return std::dynamic_pointer_cast<T>(platform::objectFromVariant(root));
}

// A disc of three production titles (the last one the warning title), a template page, two main
// pages and a sub-page below the first page's second element.
struct Disc
{
    DVDLibraryRef library = std::make_shared<DVDLibrary>();
    std::shared_ptr<TestTitleVideo> a = TestTitleVideo::make("A", {300, 300, 120});
    std::shared_ptr<TestTitleVideo> b = TestTitleVideo::make("B", {42.5});
    std::shared_ptr<TestTitleVideo> warning = TestTitleVideo::make("W", {8}, true);
    DVDMenuRef main1 = makeTemplatePage(2);
    DVDMenuRef main2 = makeTemplatePage(2);
    DVDMenuRef sub = makeTemplatePage(1);

    Disc()
    {
        library->setTitles({a, b, warning});
        library->setCurrentMenu(makeTemplatePage(2, true, 1));
        library->setAspectType(1);
        library->setFormat(1);
        library->setDvdBitrate(6000);
        library->setPlayTitleSequence(true);
        library->setMenuLoop(true);
        library->setAutoPlayVideos(2);
        library->setLoopSingleVideo(true);
        library->setObjectForKey(QVariant::fromValue(ObjectList{a, b}),
                                 QStringLiteral("originTitleData"));
        library->setObjectForKey(QStringLiteral("value"), QStringLiteral("note"));

        main1->items()[0]->setJump(a);
        main1->items()[0]->setFrame(QRectF(85.4, 96, 256.2, 120.125));
        main1->items()[0]->setRotation(-12.25);
        main1->items()[0]->setDisabled(true);
        main2->items()[0]->setJump(b->chapter(0));
        sub->setParent(main1->items()[1]);
        sub->items()[0]->setJump(b);
        a->chapter(0)->setTitles({main1->items()[0]});

        auto text = std::make_shared<TestTextSource>();
        text->m_text = QStringLiteral("Summer");
        text->setMenuItem(main2->items()[1]);
        main2->items()[1]->setTextSource(text);
        main2->items()[1]->useTextSource(true);

        QImage still(3, 2, QImage::Format_ARGB32_Premultiplied);
        still.fill(QColor(1, 2, 3));
        main2->items()[0]->setMenuStaticImage(still);
        main2->items()[0]->setUseStaticImage(true);

        // Both pages share one frame resource, as template copies do.
        main2->items()[0]->setFrameResource(main1->items()[0]->frameResource());

        auto background = std::make_shared<DVDMenuBackgroundResource>();
        background->setName(QStringLiteral("Cartoon-10"));
        background->setIsResource(true);
        background->setPath(QStringLiteral("Menu/Cartoon/10/Background.png"));
        main1->setBackgroundResource(background);
        main1->setBackgroundImageRect(QRectF(0, 0, 854, 480));
        main1->setBackgroundImageDrawMode(1);
        main1->setThumbnailPath(QStringLiteral("/templates/Menu/Cartoon/10/Thumbnail.png"));
        main1->setUse_menu_drawer(true);
        main1->setMusic(std::make_shared<TestEditingTitle>());
        main1->setMenuID(99);
        main1->setDuration(21.5);
        library->setMenus({main1, sub, main2});
        library->updateDVDMenu();
        // Set after wiring so that no pagination runs; it must not reach the archive.
        library->setAutoMenus(true);
    }
};

TEST(DVDLibraryArchive, WholeLibraryRoundTrip)
{
    Disc disc;
    const DVDLibraryRef decoded = roundTrip(disc.library);
    ASSERT_TRUE(decoded);

    EXPECT_FALSE(decoded->autoMenus()) << "autoMenus is not archived";
    EXPECT_EQ(decoded->aspectType(), 1);
    EXPECT_EQ(decoded->format(), 1);
    EXPECT_EQ(decoded->dvdBitrate(), 6000);
    EXPECT_TRUE(decoded->playTitleSequence());
    EXPECT_TRUE(decoded->menuLoop());
    EXPECT_FALSE(decoded->noMenu());
    EXPECT_EQ(decoded->autoPlayVideos(), 2);
    EXPECT_TRUE(decoded->loopSingleVideo());
    EXPECT_EQ(decoded->objectForKey(QStringLiteral("note")).toString(), QStringLiteral("value"));

    const ObjectList titles = decoded->titles();
    ASSERT_EQ(titles.size(), 3);
    auto a = std::dynamic_pointer_cast<TestTitleVideo>(titles[0]);
    auto b = std::dynamic_pointer_cast<TestTitleVideo>(titles[1]);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->chapters().size(), 3);
    EXPECT_EQ(a->duration(), 720.0);
    EXPECT_EQ(decoded->getWarningTitle(), titles[2]);
    const ObjectList origin
        = decoded->objectForKey(QStringLiteral("originTitleData")).value<ObjectList>();
    ASSERT_EQ(origin.size(), 2);
    EXPECT_EQ(origin[0], titles[0]) << "the custom store refers to the same title objects";

    const DVDMenuList menus = decoded->menus();
    ASSERT_EQ(menus.size(), 3);
    const DVDMenuRef main1 = menus[0], sub = menus[1], main2 = menus[2];
    ASSERT_TRUE(decoded->currentMenu());
    EXPECT_EQ(decoded->currentMenu()->menuSize(), QSizeF(854, 480));
    EXPECT_EQ(decoded->currentMenu()->items().size(), 5);

    // Jumps and parents come back as the very objects they pointed at.
    EXPECT_EQ(main1->items()[0]->jump(), a);
    EXPECT_EQ(main2->items()[0]->jump(), b->chapter(0));
    EXPECT_EQ(sub->parent(), main1->items()[1]);
    EXPECT_EQ(main1->items()[1]->jump(), sub);
    EXPECT_EQ(main1->buttonForButtonType(QStringLiteral("next"))->jump(), main2);
    EXPECT_EQ(sub->buttonForButtonType(QStringLiteral("pre"))->jump(), main1);
    EXPECT_EQ(a->chapter(0)->titles(), (ObjectList{main1->items()[0]}));
    EXPECT_EQ(decoded->getJumpObjForMenuElement(main1->items()[0]), a->chapter(0));

    // Element values.
    const auto first = main1->items()[0];
    EXPECT_EQ(first->frame(), QRectF(85.4, 96, 256.2, 120.125));
    EXPECT_EQ(first->rotation(), -12.25);
    EXPECT_TRUE(first->disabled());
    EXPECT_TRUE(first->useFrame());
    ASSERT_TRUE(first->frameResource());
    EXPECT_EQ(first->frameResource()->frame(), QStringLiteral("Frame/gold/frame.png"));
    EXPECT_EQ(main2->items()[0]->frameResource(), first->frameResource())
        << "a shared resource stays shared";
    EXPECT_EQ(main1->buttonForButtonType(QStringLiteral("pre"))->buttonResource()->name(),
              QStringLiteral("Blue-pre"));
    EXPECT_TRUE(main2->items()[0]->useStaticImage());
    EXPECT_EQ(main2->items()[0]->menuStaticImage().pixelColor(1, 1), QColor(1, 2, 3));

    // The text object links back to its new element.
    auto text = std::dynamic_pointer_cast<TestTextSource>(main2->items()[1]->textSource());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->m_text, QStringLiteral("Summer"));
    EXPECT_EQ(text->menuItem(), main2->items()[1]);
    EXPECT_TRUE(main2->items()[1]->isTextItem());

    // Page values.
    EXPECT_EQ(main1->menuSize(), QSizeF(640, 480));
    EXPECT_EQ(main1->duration(), 21.5);
    EXPECT_EQ(main1->name(), QStringLiteral("10"));
    EXPECT_EQ(main1->category(), QStringLiteral("Cartoon"));
    EXPECT_EQ(main1->identifier(), QStringLiteral("Cartoon-10-0"));
    EXPECT_EQ(main1->backgroundImageRect(), QRectF(0, 0, 854, 480));
    EXPECT_EQ(main1->backgroundImageDrawMode(), 1);
    EXPECT_TRUE(main1->use_menu_drawer());
    EXPECT_EQ(main1->thumbnailPath(), QStringLiteral("/templates/Menu/Cartoon/10/Thumbnail.png"));
    EXPECT_TRUE(std::dynamic_pointer_cast<TestEditingTitle>(main1->music()));
    EXPECT_EQ(main1->menuID(), 0) << "menuID is not archived";
    ASSERT_TRUE(main1->backgroundResource());
    EXPECT_TRUE(main1->backgroundResource()->isResource());
    EXPECT_EQ(main1->backgroundResource()->path(),
              QStringLiteral("Menu/Cartoon/10/Background.png"));
    EXPECT_EQ(main2->parent(), nullptr);
}

TEST(DVDLibraryArchive, FileRoundTrip)
{
    Disc disc;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("disc.archive"));
    QString error;
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(
        QVariant::fromValue(ObjectRef(disc.library)), path, &error))
        << error.toStdString();
    const QVariant root = platform::KeyedUnarchiver::unarchiveFile(path, &error);
    auto decoded = std::dynamic_pointer_cast<DVDLibrary>(platform::objectFromVariant(root));
    ASSERT_TRUE(decoded) << error.toStdString();
    EXPECT_EQ(decoded->menus().size(), 3);
}

TEST(DVDLibraryArchive, LegacyItemBehindFlagPutsTheElementBehind)
{
    platform::ClassRegistry::instance().registerAlias(QStringLiteral("LegacyMenuItem"),
                                                      QStringLiteral("DVDMenuItem"));
    const struct
    {
        const char *name;
        bool writeBehind;
        bool behind;
        int level;
        int expectedLevel;
    } rows[] = {
        {"itemBehind YES wins over level", true, true, 5, -100},
        {"itemBehind NO keeps level", true, false, 5, 5},
        {"no itemBehind key keeps level", false, false, -3, -3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto legacy = std::make_shared<LegacyMenuItem>();
        legacy->m_writeBehind = row.writeBehind;
        legacy->m_legacyBehind = row.behind;
        legacy->setLevel(row.level);
        legacy->setFrame(QRectF(1, 2, 3, 4));
        auto decoded = roundTrip(std::static_pointer_cast<DVDMenuItem>(legacy));
        ASSERT_TRUE(decoded);
        EXPECT_STREQ(decoded->metaObject()->className(), "DVDMenuItem");
        EXPECT_EQ(decoded->level(), row.expectedLevel);
        EXPECT_EQ(decoded->itemBehind(), row.expectedLevel < -99);
        EXPECT_EQ(decoded->frame(), QRectF(1, 2, 3, 4));
    }
}

TEST(DVDLibraryArchive, AbsentKeysKeepTheInitialValues)
{
    platform::ClassRegistry::instance().registerAlias(QStringLiteral("LegacyMenuItem"),
                                                      QStringLiteral("PresetMenuItem"));
    auto legacy = std::make_shared<LegacyMenuItem>();
    legacy->m_keys = {QStringLiteral("level"), QStringLiteral("disabled")};
    legacy->m_writeBehind = false;
    legacy->setLevel(-4);
    legacy->setRotation(1.0);
    auto decoded = roundTrip(std::static_pointer_cast<DVDMenuItem>(legacy));
    platform::ClassRegistry::instance().registerAlias(QStringLiteral("LegacyMenuItem"),
                                                      QStringLiteral("DVDMenuItem"));
    ASSERT_TRUE(decoded);
    EXPECT_STREQ(decoded->metaObject()->className(), "PresetMenuItem");
    EXPECT_EQ(decoded->level(), -4) << "present key";
    EXPECT_EQ(decoded->rotation(), 7.5) << "absent key keeps the initial value";
    EXPECT_TRUE(decoded->useFrame()) << "absent key keeps the initial value";
    EXPECT_EQ(decoded->jump(), nullptr);
}

TEST(DVDLibraryArchive, DamagedDataIsRefused)
{
    Disc disc;
    QString error;
    const QByteArray data = platform::KeyedArchiver::archivedData(
        QVariant::fromValue(ObjectRef(disc.library)), &error);
    ASSERT_GT(data.size(), 64);

    // Every truncation is refused with a reason (never a crash).
    for (qsizetype length = 0; length < data.size();
         length += std::max<qsizetype>(1, data.size() / 97)) {
        SCOPED_TRACE(length);
        error.clear();
        const QVariant root = platform::KeyedUnarchiver::unarchive(data.left(length), &error);
        EXPECT_FALSE(platform::objectFromVariant(root)) << "a truncated archive gave an object";
        EXPECT_FALSE(error.isEmpty());
    }

    // Random bytes and random damage inside a real archive: no crash, and whatever comes back is
    // either refused or a library whose pages can be walked.
    QRandomGenerator random(20240611);
    for (int round = 0; round < 200; ++round) {
        QByteArray damaged = data;
        if (round < 20) {
            damaged.resize(random.bounded(1, 4096));
            for (char &byte : damaged)
                byte = char(random.bounded(256));
        } else {
            for (int flips = 0; flips < 4; ++flips)
                damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
        }
        const QVariant root = platform::KeyedUnarchiver::unarchive(damaged, &error);
        if (auto library
            = std::dynamic_pointer_cast<DVDLibrary>(platform::objectFromVariant(root))) {
            library->updateDVDMenu();
            for (const auto &page : library->menus())
                library->submenusForMenu(page);
        }
    }
}

// Archives whose records hold each other strongly: the reader refuses them with a reason and
// frees what it made (the leak checker watches), while the weak links of a real disc (a page's
// parent, a button's jump, a chapter listing the button that leads to it) decode as before.
TEST(DVDLibraryArchive, ReferenceCyclesAreRefusedWithoutALeak)
{
    struct Row
    {
        const char *name;
        std::function<ObjectRef(std::function<void()> *breakUp)> make;
    };
    const Row rows[] = {
        {"a page whose music is the library",
         [](std::function<void()> *breakUp) {
             auto library = std::make_shared<DVDLibrary>();
             auto page = makeTemplatePage(1);
             library->setMenus({page});
             page->setMusic(library);
             *breakUp = [page] { page->setMusic(nullptr); };
             return ObjectRef(library);
         }},
        // Regression: the cycle check followed records but not plain dictionary values, so this
        // one decoded and leaked the whole disc model at every open.
        {"a library whose custom data holds the library itself",
         [](std::function<void()> *breakUp) {
             auto library = std::make_shared<DVDLibrary>();
             library->setMenus({makeTemplatePage(1)});
             library->setCustomDataStorage(
                 {{"originTitleData", QVariant::fromValue(ObjectRef(library))}});
             *breakUp = [library] { library->setCustomDataStorage({}); };
             return ObjectRef(library);
         }},
        {"a library whose custom data lists a page that holds the library",
         [](std::function<void()> *breakUp) {
             auto library = std::make_shared<DVDLibrary>();
             auto page = makeTemplatePage(1);
             page->setMusic(library);
             library->setCustomDataStorage(
                 {{"pages", QVariantList{QVariant::fromValue(ObjectRef(page))}}});
             *breakUp = [library, page] {
                 library->setCustomDataStorage({});
                 page->setMusic(nullptr);
             };
             return ObjectRef(library);
         }},
        {"a chapter whose title list holds the chapter itself",
         [](std::function<void()> *breakUp) {
             auto title = TestTitleVideo::make("Loop", {10});
             auto chapter = title->chapter(0);
             chapter->setTitles({chapter});
             *breakUp = [chapter] { chapter->setTitles({}); };
             return ObjectRef(title);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::function<void()> breakUp;
        const ObjectRef original = row.make(&breakUp);
        QString error;
        const QByteArray data
            = platform::KeyedArchiver::archivedData(QVariant::fromValue(original), &error);
        breakUp();
        ASSERT_FALSE(data.isEmpty()) << error.toStdString();
        EXPECT_FALSE(platform::KeyedUnarchiver::unarchive(data, &error).isValid());
        EXPECT_TRUE(error.contains("reference cycle")) << error.toStdString();
    }

    Disc disc;
    EXPECT_TRUE(roundTrip(disc.library)) << "the weak back links of a disc are no cycle";
}

// Regression: a title whose class was changed to a page opened, and the next save kept a page in
// the title list.
TEST(DVDLibraryArchive, ARecordOfAKindTheKeyDoesNotTakeIsRefused)
{
    auto library = std::make_shared<DVDLibrary>();
    auto page = makeTemplatePage(1);
    library->setMenus({page});
    library->setTitles({TestTitleVideo::make("Fine", {10}), makeTemplatePage(1)});
    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(library)), &error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    EXPECT_FALSE(platform::KeyedUnarchiver::unarchive(data, &error).isValid());
    EXPECT_TRUE(error.contains("DVDLibrary cannot hold a DVDMenu under key \"titles\""))
        << error.toStdString();

    library->setTitles({TestTitleVideo::make("Fine", {10})});
    EXPECT_TRUE(roundTrip(library));
}

} // namespace

#include "DVDLibraryArchive_test.moc"
