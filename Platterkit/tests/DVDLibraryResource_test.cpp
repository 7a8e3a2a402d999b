// The menu template library: reading both folder layouts, finding resources, writing the newer
// layout back, and the library the application ships.

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "support/TemplateHooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using testing_support::FolderHooks;

class HooksScope
{
public:
    HooksScope(const QString &folder, bool newLayout)
    {
        DVDLibraryHooks::install(std::make_shared<FolderHooks>(folder, newLayout));
    }
    ~HooksScope() { DVDLibraryHooks::install(nullptr); }
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
    file.write(bytes);
}

void writePicture(const QString &path, QSize size, QColor colour)
{
    QDir().mkpath(QFileInfo(path).path());
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "PNG")) << qPrintable(path);
}

QByteArray plist(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body
           + "\n</plist>\n";
}

QByteArray layoutDict(const QByteArray &frames, const QByteArray &play = "{0.5, 0.1}")
{
    return "<dict><key>Frame</key><array>" + frames
           + "</array>"
             "<key>PreButtonPoint</key><string>{0.05, 0.04}</string>"
             "<key>PreButtonName</key><string>S-pre</string>"
             "<key>NextButtonPoint</key><string>{0.8, 0.04}</string>"
             "<key>NextButtonName</key><string>S-next</string>"
             "<key>PlayButtonPoint</key><string>"
           + play
           + "</string>"
             "<key>PlayButtonName</key><string>S-play</string></dict>";
}

QByteArray frameEntry(const QByteArray &rect, const QByteArray &name)
{
    return "<dict><key>FrameRect</key><string>" + rect + "</string><key>FrameName</key><string>"
           + name + "</string></dict>";
}

// A small older-layout folder: one button set, two frames, and a category of templates covering
// both layouts, one layout, and the ways a layout file goes wrong.
class OldLayoutFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString root = m_dir.path();
        // A faint, coloured picture: premultiplying it and back would change its colours.
        for (const char *file : {"preBtn.png", "nextBtn.png", "playBtn.png"})
            writePicture(root + "/Button/S/" + file, {80, 48}, QColor(200, 100, 50, 10));
        for (const char *frame : {"gold", "plain"}) {
            writePicture(root + "/Frame/" + frame + "/frame.png", {32, 20}, Qt::yellow);
            writePicture(root + "/Frame/" + frame + "/mask.png", {32, 20}, Qt::black);
        }
        // A file manager's leftovers are not templates or resources.
        QDir().mkpath(root + "/Button/.thumbnails");
        writeFile(root + "/Menu/.DS_Store", "junk");

        const QByteArray both
            = plist("<dict><key>FrameRate169</key>"
                    + layoutDict(frameEntry("{{0.1, 0.2}, {0.3, 0.25}}", "gold")
                                 + frameEntry("{{0.5, 0.2}, {0.3, 0.25}}", "gold/frame.png"))
                    + "<key>FrameRate43</key>"
                    + layoutDict(frameEntry("{{0.1, 0.2}, {0.3, 0.25}}", "plain")) + "</dict>");
        for (const char *name : {"10", "2"}) {
            const QString folder = root + "/Menu/Fun/" + name;
            writePicture(folder + "/Background.png", {854, 480}, Qt::blue);
            writePicture(folder + "/Thumbnail.png", {160, 90}, Qt::blue);
            writeFile(folder + "/Template.plist", both);
        }
        for (const char *name : {"3", "4", "5", "6", "7", "8"})
            writePicture(root + "/Menu/Fun/" + name + "/Background.png", {854, 480}, Qt::green);
        writeFile(root + "/Menu/Fun/3/Template.plist",
                  plist("<dict><key>FrameRate43</key>"
                        + layoutDict(frameEntry("{{0.1, 0.2}, {0.3, 0.25}}", "nowhere"))
                        + "</dict>"));
        writeFile(root + "/Menu/Fun/4/Template.plist",
                  plist("<dict><key>FrameRate169</key><dict>"));
        writeFile(root + "/Menu/Fun/5/Template.plist", QByteArray("\x00\x01garbage", 9));
        // Template 6 has no Template.plist at all.
        writeFile(root + "/Menu/Fun/7/Template.plist", plist("<array><string>x</string></array>"));
        writeFile(root + "/Menu/Fun/8/Template.plist",
                  plist("<dict><key>FrameRate169</key><string>not a layout</string>"
                        "<key>FrameRate43</key>"
                        + layoutDict("<string>not a frame</string>"
                                     + frameEntry("{{0, 0}, {1, 1}}", "plain"))
                        + "</dict>"));
    }

    QTemporaryDir m_dir;
};

TEST_F(OldLayoutFolder, ButtonsFramesAndBackgroundsFollowTheFolders)
{
    DVDLibraryResource library;
    ASSERT_TRUE(library.loadOldTemplate(m_dir.path()));

    const auto buttons = library.buttons();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(buttons[0]->name(), "S-pre");
    EXPECT_EQ(buttons[0]->path(), "Button/S/preBtn.png");
    EXPECT_EQ(buttons[1]->name(), "S-next");
    EXPECT_EQ(buttons[1]->path(), "Button/S/nextBtn.png");
    EXPECT_EQ(buttons[2]->name(), "S-play");
    EXPECT_EQ(buttons[2]->path(), "Button/S/playBtn.png");

    const auto frames = library.frames();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0]->name(), "gold");
    EXPECT_EQ(frames[0]->frame(), "Frame/gold/frame.png");
    EXPECT_EQ(frames[0]->mask(), "Frame/gold/mask.png");
    EXPECT_EQ(library.frameResourceForPath("gold"), frames[0]);
    EXPECT_EQ(library.frameResourceForPath("gold/frame.png"), frames[0]);
    EXPECT_EQ(library.frameResourceForPath("plain"), frames[1]);
    EXPECT_EQ(library.frameResourceForPath(""), nullptr);
    EXPECT_EQ(library.frameResourceForPath("silver"), nullptr);
    EXPECT_EQ(library.buttonResourceForPath("S-play"), buttons[2]);

    // Every template folder lists its background, whether or not its layouts could be read.
    QStringList backgroundNames;
    for (const auto &background : library.backgrounds()) {
        EXPECT_TRUE(background->isResource());
        backgroundNames.append(background->name());
    }
    EXPECT_EQ(
        backgroundNames,
        QStringList({"Fun-2", "Fun-3", "Fun-4", "Fun-5", "Fun-6", "Fun-7", "Fun-8", "Fun-10"}));
    EXPECT_EQ(library.backgroundResourceForPath("Fun-10")->path(), "Menu/Fun/10/Background.png");
}

TEST_F(OldLayoutFolder, TemplatesBecomeWideThenStandardPages)
{
    DVDLibraryResource library;
    ASSERT_TRUE(library.loadOldTemplate(m_dir.path()));
    QStringList identifiers;
    for (const auto &page : library.menus())
        identifiers.append(page->identifier());
    // Numbers in names sort by value; templates lacking a layout give only the other page.
    EXPECT_EQ(identifiers,
              QStringList({"Fun-2-1", "Fun-2-0", "Fun-3-0", "Fun-8-0", "Fun-10-1", "Fun-10-0"}));

    const auto wide = library.dvdMenuForIdentifier("Fun-10-1");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->menuSize(), QSizeF(854, 480));
    EXPECT_EQ(wide->category(), "Fun");
    EXPECT_EQ(wide->name(), "10");
    EXPECT_DOUBLE_EQ(wide->duration(), 15.0);
    EXPECT_EQ(wide->thumbnailPath(),
              QDir(m_dir.path()).absoluteFilePath("Menu/Fun/10/Thumbnail.png"));
    ASSERT_TRUE(wide->backgroundResource());
    EXPECT_EQ(wide->backgroundResource()->path(), "Menu/Fun/10/Background.png");

    const auto items = wide->items();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0]->frame(), QRectF(85.4, 96, 256.2, 120));
    EXPECT_EQ(items[0]->frameResource(), library.frameResourceForPath("gold"));
    EXPECT_EQ(items[1]->frame(), QRectF(427, 96, 256.2, 120));
    EXPECT_EQ(items[1]->frameResource(), library.frameResourceForPath("gold"));
    const char *buttonNames[] = {"S-pre", "S-next", "S-play"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(buttonNames[i]);
        ASSERT_TRUE(items[2 + i]->buttonResource());
        EXPECT_EQ(items[2 + i]->buttonResource()->name(), buttonNames[i]);
        EXPECT_EQ(items[2 + i]->frame().size(), QSizeF(80, 50));
        EXPECT_TRUE(items[2 + i]->isButtonItem());
    }
    EXPECT_EQ(items[2]->frame().topLeft(), QPointF(0.05 * 854, 0.04 * 480));
    EXPECT_EQ(items[4]->frame(), QRectF(427, 48, 80, 50));

    const auto standard = library.dvdMenuForIdentifier("Fun-10-0");
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->menuSize(), QSizeF(640, 480));
    ASSERT_EQ(standard->items().size(), 4);
    EXPECT_EQ(standard->items()[0]->frame(), QRectF(64, 96, 192, 120));
    EXPECT_EQ(standard->items()[0]->frameResource(), library.frameResourceForPath("plain"));
    EXPECT_EQ(standard->items()[3]->frame(), QRectF(320, 48, 80, 50));
    // Both pages of a template share its background.
    EXPECT_EQ(standard->backgroundResource(), wide->backgroundResource());
    EXPECT_NE(standard->items()[1], wide->items()[2]);

    // A frame name that matches nothing leaves the slot without a frame; entries that are not
    // frame dictionaries are passed over.
    const auto orphan = library.dvdMenuForIdentifier("Fun-3-0");
    ASSERT_TRUE(orphan);
    EXPECT_EQ(orphan->items()[0]->frameResource(), nullptr);
    const auto mixed = library.dvdMenuForIdentifier("Fun-8-0");
    ASSERT_TRUE(mixed);
    ASSERT_EQ(mixed->items().size(), 4);
    EXPECT_EQ(mixed->items()[0]->frame(), QRectF(0, 0, 640, 480));
    EXPECT_EQ(library.dvdMenuForIdentifier("Fun-10-2"), nullptr);
}

TEST_F(OldLayoutFolder, DamagedLayoutFilesAreReportedAndSkipped)
{
    DVDLibraryResource library;
    EXPECT_TRUE(library.loadOldTemplate(m_dir.path()));
    const QString error = library.lastError();
    for (const char *broken : {"Fun/4", "Fun/5", "Fun/6", "Fun/7"}) {
        SCOPED_TRACE(broken);
        EXPECT_TRUE(error.contains(broken)) << qPrintable(error);
    }
    EXPECT_FALSE(error.contains("Fun/10"));
    EXPECT_FALSE(error.contains("Fun/2"));
}

TEST_F(OldLayoutFolder, PicturesLoadThroughTheConfiguredFolder)
{
    HooksScope hooks(m_dir.path(), false);
    DVDLibraryResource library;
    ASSERT_TRUE(library.load());
    ASSERT_EQ(library.menus().size(), 6);
    EXPECT_EQ(library.imageWithName("Button/S/playBtn.png").size(), QSize(80, 48));
    EXPECT_TRUE(library.imageWithName("Button/S/missing.png").isNull());
    EXPECT_TRUE(library.imageWithName("").isNull());

    const auto page = library.dvdMenuForIdentifier("Fun-10-1");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->backgroundImage().size(), QSize(854, 480));
    EXPECT_EQ(page->items()[0]->frameResource()->frameImage().size(), QSize(32, 20));
    EXPECT_EQ(page->items()[0]->frameResource()->maskImage().size(), QSize(32, 20));
    EXPECT_EQ(page->items()[4]->buttonResource()->image().size(), QSize(80, 48));
}

TEST(DVDLibraryResourceFolders, MissingFolderGivesEmptyListsAndAReason)
{
    const QString missing = QDir::temp().filePath("no-such-template-folder-for-tests");
    for (const bool newLayout : {false, true}) {
        SCOPED_TRACE(newLayout ? "newer layout" : "older layout");
        HooksScope hooks(newLayout ? missing : QString(), newLayout);
        DVDLibraryResource library;
        EXPECT_FALSE(library.load());
        EXPECT_TRUE(library.menus().isEmpty());
        EXPECT_TRUE(library.buttons().isEmpty());
        EXPECT_TRUE(library.frames().isEmpty());
        EXPECT_TRUE(library.backgrounds().isEmpty());
        EXPECT_FALSE(library.lastError().isEmpty());
        EXPECT_EQ(library.defaultMenu(), nullptr);
        EXPECT_EQ(library.defaultMenuForAspectType(1), nullptr);
    }
}

TEST(DVDLibraryResourceFind, LaterMatchWinsByNameOrPathEnding)
{
    auto first = std::make_shared<DVDLibraryButtonResource>();
    first->setName("Blue-play");
    first->setPath("Button/Blue/playBtn.png");
    auto second = std::make_shared<DVDLibraryButtonResource>();
    second->setName("Blue-play");
    second->setPath("Button/Other/playBtn.png");
    const QList<std::shared_ptr<DVDLibraryButtonResource>> list = {first, second};

    EXPECT_EQ(DVDLibraryResource::findResourceIn("Blue-play", list), second);
    EXPECT_EQ(DVDLibraryResource::findResourceIn("playBtn.png", list), second);
    EXPECT_EQ(DVDLibraryResource::findResourceIn("Blue/playBtn.png", list), first);
    EXPECT_EQ(DVDLibraryResource::findResourceIn("Blue", list), nullptr);
    EXPECT_EQ(DVDLibraryResource::findResourceIn(QString(), list), nullptr);
}

// The newer layout: names come from file names; a page file's last two characters number it.
TEST(DVDLibraryResourceNewLayout, NamesComeFromFileNames)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    writePicture(root + "/buttons/Blue-play.png", {80, 48}, Qt::blue);
    writePicture(root + "/frames/gold-frame.png", {32, 20}, Qt::yellow);
    writePicture(root + "/frames/gold-mask.png", {32, 20}, Qt::black);
    writePicture(root + "/frames/gold-light-frame.png", {32, 20}, Qt::yellow);
    writePicture(root + "/backgrounds/Sea.png", {854, 480}, Qt::blue);
    const QByteArray page
        = plist("<dict><key>menuSize</key><string>{854, 480}</string>"
                "<key>backgroundImageRect</key><string>{{0, 0}, {854, 480}}</string>"
                "<key>bgName</key><string>Sea</string>"
                "<key>items</key><array>"
                "<dict><key>frame</key><string>{{10, 20}, {300, 200}}</string>"
                "<key>rotation</key><real>12.5</real><key>level</key><integer>3</integer>"
                "<key>frameName</key><string>gold</string></dict>"
                "<dict><key>frame</key><string>{{400, 20}, {80, 50}}</string>"
                "<key>level</key><integer>5</integer><key>itemBehind</key><true/>"
                "<key>buttonName</key><string>Blue-play</string>"
                "<key>textInfo</key><dict/></dict>"
                "</array></dict>");
    writeFile(root + "/menus/Blue-3.plist", page);
    writeFile(root + "/menus/ab.plist", page);
    writeFile(root + "/menus/broken.plist", "<plist><dict><key>menuSize</key>");

    HooksScope hooks(root, true);
    DVDLibraryResource library;
    ASSERT_TRUE(library.load());
    ASSERT_EQ(library.buttons().size(), 1);
    EXPECT_EQ(library.buttons()[0]->name(), "Blue-play");
    EXPECT_EQ(library.buttons()[0]->path(), "buttons/Blue-play.png");
    ASSERT_EQ(library.frames().size(), 2);
    for (const auto &frame : library.frames()) {
        EXPECT_EQ(frame->name(), "gold");
        EXPECT_EQ(frame->frame(), "frames/gold-frame.png");
        EXPECT_EQ(frame->mask(), "frames/gold-mask.png");
    }
    ASSERT_EQ(library.backgrounds().size(), 1);
    EXPECT_EQ(library.backgrounds()[0]->path(), "backgrounds/Sea.png");

    QStringList names;
    for (const auto &menu : library.menus())
        names.append(menu->name());
    EXPECT_EQ(names, QStringList({"ab", "Blue"}));
    EXPECT_TRUE(library.lastError().contains("broken.plist")) << qPrintable(library.lastError());

    const auto blue = library.menus()[1];
    EXPECT_EQ(blue->menuSize(), QSizeF(854, 480));
    EXPECT_EQ(blue->backgroundImageRect(), QRectF(0, 0, 854, 480));
    EXPECT_EQ(blue->storedBackgroundImageDrawMode(), 1);
    EXPECT_EQ(blue->backgroundResource(), library.backgrounds()[0]);
    EXPECT_TRUE(blue->category().isEmpty());
    ASSERT_EQ(blue->items().size(), 2);
    EXPECT_EQ(blue->items()[0]->frame(), QRectF(10, 20, 300, 200));
    EXPECT_DOUBLE_EQ(blue->items()[0]->rotation(), 12.5);
    EXPECT_EQ(blue->items()[0]->level(), 3);
    EXPECT_EQ(blue->items()[0]->frameResource(), library.frames()[1]);
    EXPECT_EQ(blue->items()[1]->level(), -100);
    EXPECT_EQ(blue->items()[1]->buttonResource(), library.buttons()[0]);
}

// Writes the loaded library in the newer layout and reads it back: every page comes back with the
// same size, items, resources and pictures.
TEST_F(OldLayoutFolder, SavedNewerLayoutLoadsBackEqual)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    DVDLibraryResource original;
    {
        HooksScope hooks(m_dir.path(), false);
        ASSERT_TRUE(original.load());
        // Pictures resolve against the folder configured when they are first asked for; keep the
        // originals' now, before the folder changes.
        for (const auto &page : original.menus()) {
            page->backgroundImage();
            for (const auto &item : page->items()) {
                if (item->frameResource())
                    item->frameResource()->maskImage();
            }
        }
        const QString written
            = original.saveMenuResourceTemplate(out.path() + "/menu_template.plugin");
        EXPECT_EQ(written, out.path() + "/menu_template.plugin")
            << qPrintable(original.lastError());
    }
    const QString root = out.path() + "/menu_template.plugin";
    EXPECT_TRUE(QFile::exists(root + "/buttons/S-play.png"));
    EXPECT_TRUE(QFile::exists(root + "/frames/gold-frame.png"));
    EXPECT_TRUE(QFile::exists(root + "/frames/gold-mask.png"));
    EXPECT_TRUE(QFile::exists(root + "/backgrounds/Fun-10.png"));
    EXPECT_TRUE(QFile::exists(root + "/menus/Fun-10-1.plist"));
    const QImage copied(root + "/buttons/S-pre.png");
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_ARGB32),
              QImage(m_dir.path() + "/Button/S/preBtn.png").convertToFormat(QImage::Format_ARGB32));

    HooksScope hooks(root, true);
    DVDLibraryResource reloaded;
    ASSERT_TRUE(reloaded.load());
    ASSERT_EQ(reloaded.menus().size(), original.menus().size());
    for (const auto &page : original.menus()) {
        SCOPED_TRACE(qPrintable(page->identifier()));
        // The page file is named by the identifier, and the name read back from it ("Fun-10" of
        // "Fun-10-1.plist") gives the same identifier without a category.
        const auto back = reloaded.dvdMenuForIdentifier(page->identifier());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->menuSize(), page->menuSize());
        EXPECT_EQ(back->backgroundResource()->name(), page->backgroundResource()->name());
        EXPECT_FALSE(back->backgroundImage().isNull());
        EXPECT_EQ(back->backgroundImage(), page->backgroundImage());
        ASSERT_EQ(back->items().size(), page->items().size());
        for (qsizetype i = 0; i < page->items().size(); ++i) {
            const auto a = page->items()[i];
            const auto b = back->items()[i];
            EXPECT_EQ(b->frame(), a->frame());
            EXPECT_EQ(b->level(), a->level());
            EXPECT_EQ(bool(b->frameResource()), bool(a->frameResource()));
            EXPECT_EQ(bool(b->buttonResource()), bool(a->buttonResource()));
            if (a->frameResource()) {
                EXPECT_EQ(b->frameResource()->name(), a->frameResource()->name());
                EXPECT_FALSE(b->frameResource()->maskImage().isNull());
                EXPECT_EQ(b->frameResource()->maskImage(), a->frameResource()->maskImage());
            }
            if (a->buttonResource()) {
                EXPECT_EQ(b->buttonResource()->name(), a->buttonResource()->name());
            }
        }
    }
}

TEST_F(OldLayoutFolder, SaveWithAMissingPictureSaysWhich)
{
    QFile::remove(m_dir.path() + "/Frame/plain/mask.png");
    QTemporaryDir out;
    HooksScope hooks(m_dir.path(), false);
    DVDLibraryResource library;
    ASSERT_TRUE(library.load());
    EXPECT_TRUE(library.saveMenuResourceTemplate(out.path() + "/t").isEmpty());
    EXPECT_TRUE(library.lastError().contains("Frame/plain/mask.png"))
        << qPrintable(library.lastError());
    // Everything else is still written.
    EXPECT_TRUE(QFile::exists(out.path() + "/t/frames/plain-frame.png"));
    EXPECT_TRUE(QFile::exists(out.path() + "/t/menus/Fun-10-0.plist"));
}

// A second save over the first must not leave pictures of the first behind: they would come back
// as resources of their own on the next load.
TEST_F(OldLayoutFolder, SavingAgainReplacesWhatAnEarlierSaveLeft)
{
    QTemporaryDir out;
    HooksScope hooks(m_dir.path(), false);
    DVDLibraryResource library;
    ASSERT_TRUE(library.load());
    const QString root = out.path() + "/deep/t";
    ASSERT_EQ(library.saveMenuResourceTemplate(root), root) << qPrintable(library.lastError());

    writeFile(root + "/buttons/Stale-play.png", "left by an earlier save");
    ASSERT_TRUE(QDir(root + "/frames").removeRecursively());
    writeFile(root + "/frames", "a file where the folder goes");
    ASSERT_EQ(library.saveMenuResourceTemplate(root), root) << qPrintable(library.lastError());

    EXPECT_FALSE(QFile::exists(root + "/buttons/Stale-play.png"));
    EXPECT_TRUE(QFileInfo(root + "/frames").isDir());
    EXPECT_TRUE(QFile::exists(root + "/frames/gold-frame.png"));

    HooksScope reread(root, true);
    DVDLibraryResource reloaded;
    ASSERT_TRUE(reloaded.load());
    EXPECT_EQ(reloaded.buttons().size(), library.buttons().size());
    EXPECT_EQ(reloaded.frames().size(), library.frames().size());
}

TEST(DVDLibraryResourceDict, TemplatePageDictionaryLeavesOutWhatIsNotThere)
{
    DVDLibraryResource library;
    DVDMenu page;
    page.setMenuSize(QSizeF(640, 480));
    auto background = std::make_shared<DVDMenuBackgroundResource>();
    background->setName("Sea");
    page.setBackgroundResource(background);
    auto framed = std::make_shared<DVDMenuItem>();
    framed->setFrame(QRectF(1.5, 2, 30, 40));
    framed->setRotation(-7.25);
    framed->setLevel(2);
    auto frame = std::make_shared<DVDLibraryFrameResource>();
    frame->setName("gold");
    framed->setFrameResource(frame);
    auto bare = std::make_shared<DVDMenuItem>();
    page.setItems({framed, bare});

    const QVariantMap dict = library.templateMenuToDict(page);
    EXPECT_EQ(dict.value("menuSize").toString(), "{640, 480}");
    EXPECT_EQ(dict.value("backgroundImageRect").toString(), "{{0, 0}, {0, 0}}");
    EXPECT_EQ(dict.value("bgName").toString(), "Sea");
    const QVariantList items = dict.value("items").toList();
    ASSERT_EQ(items.size(), 2);
    const QVariantMap first = items[0].toMap();
    EXPECT_EQ(first.value("frame").toString(), "{{1.5, 2}, {30, 40}}");
    EXPECT_EQ(first.value("rotation").toDouble(), -7.25);
    EXPECT_EQ(first.value("level").toInt(), 2);
    EXPECT_EQ(first.value("frameName").toString(), "gold");
    EXPECT_FALSE(first.contains("buttonName"));
    EXPECT_FALSE(first.contains("textInfo"));
    EXPECT_FALSE(items[1].toMap().contains("frameName"));

    DVDMenu empty;
    EXPECT_FALSE(library.templateMenuToDict(empty).contains("bgName"));
}

// Menu pages are at most 854 x 576 in any layout; a template page far beyond that is refused
// (each picture drawn for it would take gigabytes), named in lastError, and the rest still loads.
TEST(DVDLibraryResourceNewLayout, PageSizesFarBeyondAMenuPageAreRefused)
{
    struct Row
    {
        const char *file;
        const char *size;
        bool loads;
    };
    const Row rows[] = {
        {"PAL-01.plist", "{854, 576}", true},
        {"Roomy-01.plist", "{1200, 900}", true},
        {"Huge-01.plist", "{16384, 16384}", false},
        {"Tall-01.plist", "{854, 5000}", false},
        {"Wide-01.plist", "{9000, 480}", false},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Row &row : rows)
        writeFile(
            dir.path() + "/menus/" + row.file,
            plist("<dict><key>menuSize</key><string>" + QByteArray(row.size) + "</string></dict>"));
    DVDLibraryResource library;
    ASSERT_TRUE(library.loadMenuResourceTemplate(dir.path()));
    QStringList loaded;
    for (const auto &menu : library.menus())
        loaded.append(menu->name());
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        // "PAL-01.plist" is page 01 of template "PAL-".
        const QString name = QString::fromLatin1(row.file).chopped(8);
        EXPECT_EQ(loaded.contains(name), row.loads);
        EXPECT_EQ(library.lastError().contains(QLatin1String(row.file)), !row.loads)
            << qPrintable(library.lastError());
    }
    EXPECT_TRUE(library.lastError().contains("854 x 576")) << qPrintable(library.lastError());
}

// The disk fills up while a picture is written: the process's file-size limit makes the write
// fail part way, as a full disk does. The reason names the cause instead of "Unknown error", and
// the old picture survives whole.
TEST(DVDLibraryResourceSave, FailedPictureWriteNamesTheCauseAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("background.png");
    DVDLibraryResource library;
    QImage small(4, 4, QImage::Format_ARGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(library.saveImageTo(small, path)) << qPrintable(library.lastError());
    const QImage before(path);

    // Noise does not compress: the PNG is far larger than the limit.
    QImage noise(512, 512, QImage::Format_ARGB32);
    quint32 state = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            noise.setPixel(x, y, state);
        }
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = library.saveImageTo(noise, path);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    const QString error = library.lastError();
    EXPECT_TRUE(error.contains(path)) << qPrintable(error);
    EXPECT_FALSE(error.contains("Unknown error")) << qPrintable(error);
    EXPECT_TRUE(error.contains(qt_error_string(EFBIG))) << qPrintable(error);
    EXPECT_EQ(QImage(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"background.png"}));
}

} // namespace
