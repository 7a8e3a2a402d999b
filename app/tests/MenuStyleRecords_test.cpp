// The menu style records: their archives, their pushes onto the menu element, and the element's
// way back to its record.

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Convert/DVDMenuItemFindTempEditData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/AppFakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;

// The record's keys as a top-level archive, the way a record's own file holds them.
QByteArray archiveKeys(const CodingBase &record, const QStringList &skip = {})
{
    platform::KeyedArchiver coder;
    for (const QString &key : record.allCoderKeys()) {
        if (!skip.contains(key))
            record.encoderKey(coder, key);
    }
    QString error;
    const QByteArray data = coder.encodedData(&error);
    EXPECT_FALSE(data.isEmpty()) << qPrintable(error);
    return data;
}

void loadKeys(CodingBase &record, const QByteArray &data)
{
    platform::KeyedUnarchiver coder;
    QString error;
    ASSERT_TRUE(coder.openData(data, &error)) << qPrintable(error);
    record.initWithCoder(coder);
    ASSERT_FALSE(coder.failed()) << qPrintable(coder.lastError());
}

QImage picture(int width, int height, QColor color = Qt::green)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

TEST(TempDvdData, FreshRecordArchivesItsInitialLook)
{
    application();
    const QStringList expectedKeys = {"showPlayButton",
                                      "borderColor",
                                      "borderWidth",
                                      "useFill",
                                      "fillColor",
                                      "hasWarning",
                                      "warningMedia",
                                      "useBackMusicLengthAsPageDuration"};
    TempDvdData fresh;
    EXPECT_EQ(fresh.allCoderKeys(), expectedKeys);

    platform::KeyedUnarchiver coder;
    ASSERT_TRUE(coder.openData(archiveKeys(fresh)));
    EXPECT_TRUE(coder.decodeBoolForKey("showPlayButton"));
    EXPECT_EQ(coder.decodeDoubleForKey("borderWidth"), 0.0);
    EXPECT_TRUE(coder.decodeBoolForKey("useFill"));
    const QColor fill = coder.decodeObjectForKey("fillColor").value<QColor>();
    EXPECT_NEAR(fill.redF(), 1.0, 1e-6);
    EXPECT_NEAR(fill.greenF(), 0.0, 1e-6);
    EXPECT_NEAR(fill.blueF(), 0.0, 1e-6);
    EXPECT_NEAR(fill.alphaF(), 0.25, 1e-3);
    EXPECT_EQ(coder.decodeObjectForKey("borderColor").value<QColor>(), QColor(0, 0, 255));
    EXPECT_FALSE(coder.decodeBoolForKey("hasWarning"));
    EXPECT_FALSE(coder.decodeObjectForKey("warningMedia").isValid());
    EXPECT_TRUE(coder.decodeBoolForKey("useBackMusicLengthAsPageDuration"));
}

TEST(TempDvdData, AliasesOnlyForward)
{
    TempDvdData record;
    record.setDvdBorderWidth(3.5);
    record.setDvdBorderUseFill(false);
    record.setUseBackMusicLengthDuration(false);
    record.setDvdHasWarningMedia(true);
    EXPECT_EQ(record.borderWidth(), 3.5);
    EXPECT_FALSE(record.useFill());
    EXPECT_FALSE(record.useBackMusicLengthAsPageDuration());
    EXPECT_TRUE(record.hasWarning());
}

TEST(TempDvdData, SavedFileReadsBack)
{
    QTemporaryDir dir;
    TempDvdData record;
    record.setBorderWidth(2.0);
    record.setShowPlayButton(false);
    record.setFillColor(QColor(10, 20, 30, 40));
    const QString path = dir.filePath("dvd.data");
    ASSERT_TRUE(record.writeToFileAtomically(path)) << qPrintable(record.lastError());
    TempDvdData loaded;
    ASSERT_TRUE(loaded.loadWithContentsOfFile(path)) << qPrintable(loaded.lastError());
    EXPECT_EQ(loaded.borderWidth(), 2.0);
    EXPECT_FALSE(loaded.showPlayButton());
    EXPECT_EQ(loaded.fillColor(), QColor(10, 20, 30, 40));
}

TEST(TempEditData, KeyListInArchiveOrder)
{
    const QStringList expected = {"currentMedia",
                                  "dvdbuttonUseType",
                                  "dvdbuttonLocalImage",
                                  "buttonHasShadow",
                                  "buttonShadowColor",
                                  "buttonShadowBlursizeValue",
                                  "dvdButtonShadowOffsetX",
                                  "dvdButtonShadowOffsetY",
                                  "dvdTitleUseType",
                                  "titleUseImageFrom",
                                  "videoImageTime",
                                  "videoImage",
                                  "localImage",
                                  "roundValue",
                                  "oldFrame",
                                  "frameTemplateBili",
                                  "dragKeepTitleFramePortion"};
    EXPECT_EQ(TempEditData().allCoderKeys(), expected);
}

TEST(TempEditData, MissingKeysKeepInitialValues)
{
    application();
    TempEditData written;
    written.setRoundValue(0.4);
    written.setVideoImageTime(1000);
    written.setDvdTitleUseType(2);
    const QByteArray data = archiveKeys(written, {"roundValue", "videoImageTime"});

    TempEditData loaded;
    loadKeys(loaded, data);
    EXPECT_DOUBLE_EQ(loaded.roundValue(), 0.1);
    EXPECT_EQ(loaded.videoImageTime(), 5500000);
    EXPECT_EQ(loaded.dvdTitleUseType(), 2);
    EXPECT_TRUE(loaded.buttonHasShadow());
    EXPECT_FLOAT_EQ(loaded.dvdButtonShadowBlursizeValue(), 5.0f);
    EXPECT_DOUBLE_EQ(loaded.frameTemplateBili(), 1.0);
}

TEST(TempEditData, RoundValueFollowsWidthUnlessFramed)
{
    ScopedMainWindow main;
    auto item = makeTitleSlot(QRectF(0, 0, 200, 100));
    TempEditData record;
    record.setCurrentMedia(item);
    record.setTitleRoundValue(0.2);
    EXPECT_DOUBLE_EQ(item->roundValue(), 20.0);

    item->setUseFrame(true);
    record.setTitleRoundValue(0.2);
    EXPECT_DOUBLE_EQ(item->roundValue(), 0.0);
}

TEST(TempEditData, ButtonUseTypeSwitchesWhatTheButtonShows)
{
    ScopedMainWindow main;
    auto button = makeButton("play", QRectF(100, 100, 200, 100));
    auto text = std::make_shared<FakeText>(QSize(80, 40));
    button->setTextSource(text);
    TempEditData record;
    record.setCurrentMedia(button);

    record.setButtonUseType(TempEditData::kButtonUsesText);
    EXPECT_TRUE(button->isTextItem());
    EXPECT_FALSE(button->useStaticImage());

    record.setDvdbuttonLocalImage(picture(400, 100));
    record.setButtonUseType(TempEditData::kButtonUsesLocalImage);
    EXPECT_FALSE(button->isTextItem());
    EXPECT_TRUE(button->useStaticImage());
    EXPECT_EQ(button->menuStaticImage().size(), QSize(400, 100));
    EXPECT_EQ(button->frame(), QRectF(100, 125, 200, 50));

    record.setButtonUseType(0);
    EXPECT_FALSE(button->useStaticImage());
    EXPECT_FALSE(button->menuStaticImage().isNull()) << "the static picture is left as it was";
}

TEST(TempEditData, TitlePictureSource)
{
    ScopedMainWindow main;
    auto title = makeTitleSlot();
    TempEditData record;
    record.setCurrentMedia(title);
    record.setVideoImage(picture(16, 9, Qt::red));
    record.setLocalImage(picture(4, 3, Qt::blue));

    struct Row
    {
        const char *name;
        qint64 source;
        QSize shown;
        bool useStatic;
    };
    const Row rows[] = {{"still from the video", 1, QSize(16, 9), true},
                        {"local picture", 2, QSize(4, 3), true},
                        {"moving picture", 0, QSize(16, 9), false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        record.setTitleUseImageFrom(row.source);
        EXPECT_EQ(title->menuStaticImage().size(), row.shown);
        EXPECT_EQ(title->useStaticImage(), row.useStatic);
    }
    record.setTitleUseType(TempEditData::kTitleUsesText);
    EXPECT_FALSE(title->isTextItem()) << "a title without a text source never shows text";
    title->setTextSource(std::make_shared<FakeText>());
    record.setTitleUseType(TempEditData::kTitleUsesText);
    EXPECT_TRUE(title->isTextItem());
}

TEST(TempEditData, StaticItemIgnoresPushes)
{
    ScopedMainWindow main;
    auto label = makeStaticText();
    const QRectF frame = label->frame();
    TempEditData record;
    record.setCurrentMedia(label);
    record.setDvdbuttonLocalImage(picture(400, 100));
    record.setButtonUseType(TempEditData::kButtonUsesLocalImage);
    record.setTitleUseType(1);
    record.setTitleLocalImage(picture(4, 3));
    record.setTitleUseImageFrom(2);
    EXPECT_TRUE(label->isTextItem());
    EXPECT_FALSE(label->useStaticImage());
    EXPECT_TRUE(label->menuStaticImage().isNull());
    EXPECT_EQ(label->frame(), frame);
}

TEST(TempEditData, ShadowPush)
{
    ScopedMainWindow main;
    auto button = makeButton("next");
    TempEditData record;
    record.setCurrentMedia(button);
    record.setButtonShadowOffsetX(3);
    record.setButtonShadowOffsetY(-3);
    record.setButtonShadowBlursizeValue(7);
    EXPECT_EQ(button->shadow().offset, QPointF(3, -3));
    EXPECT_DOUBLE_EQ(button->shadow().blurRadius, 7.0);
    EXPECT_EQ(button->shadow().color, QColor(Qt::black));

    record.setButtonShadowColor(QColor());
    EXPECT_TRUE(button->shadow().isVisible()) << "an unset colour keeps the usual shadow";

    record.setButtonHasShadow(false);
    EXPECT_FALSE(button->shadow().isVisible());
}

TEST(FindTempEditData, AdjustRectKeepsWidthAndCentre)
{
    struct Row
    {
        const char *name;
        QRectF rect;
        QSizeF size;
        QRectF expected;
    };
    const Row rows[] = {
        {"wide picture", QRectF(100, 100, 200, 100), QSizeF(400, 100), QRectF(100, 125, 200, 50)},
        {"tall picture", QRectF(0, 0, 100, 100), QSizeF(50, 100), QRectF(0, -50, 100, 200)},
        {"zero width divides by one", QRectF(0, 0, 10, 10), QSizeF(0, 2), QRectF(0, -5, 10, 20)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FindTempEditData::adjustRectFitSize(row.rect, row.size), row.expected);
    }
}

TEST(FindTempEditData, AutoFitFollowsWhatTheItemShows)
{
    auto label = makeStaticText(QRectF(0, 0, 100, 10));
    label->setTextSource(std::make_shared<FakeText>(QSize(50, 50)));
    FindTempEditData::updateItemFrameAutoFit(*label);
    EXPECT_EQ(label->frame(), QRectF(0, -45, 100, 100));

    // A button whose template picture is missing keeps its frame rather than flattening.
    auto button = makeButton("pre", QRectF(10, 10, 80, 40));
    FindTempEditData::updateItemFrameAutoFit(*button);
    EXPECT_EQ(button->frame(), QRectF(10, 10, 80, 40));

    auto decoration = makeDecoration();
    const QRectF frame = decoration->frame();
    FindTempEditData::updateItemFrameAutoFit(*decoration);
    EXPECT_EQ(decoration->frame(), frame);
}

TEST(FindTempEditData, LaterRecordWins)
{
    ScopedMainWindow main;
    auto item = makeTitleSlot();
    auto other = makeTitleSlot();
    auto first = std::make_shared<TempEditData>();
    auto second = std::make_shared<TempEditData>();
    auto unrelated = std::make_shared<TempEditData>();
    first->setCurrentMedia(item);
    second->setCurrentMedia(item);
    unrelated->setCurrentMedia(other);
    main->setTempDataArray({first, second, unrelated});
    EXPECT_EQ(FindTempEditData::getEditData(*item), second);
    EXPECT_EQ(FindTempEditData::getEditData(*other), unrelated);
    // An equal element is not the same element.
    EXPECT_EQ(FindTempEditData::getEditData(*makeTitleSlot()), nullptr);
}

TEST(FindTempEditData, NoControllerNoRecord)
{
    // The look-up belongs to the main thread, which an application object defines.
    application();
    ControllerFunction::setMainWndController(nullptr);
    EXPECT_EQ(FindTempEditData::getEditData(*makeTitleSlot()), nullptr);
}

TEST(TempEditData, ProjectArchiveSharesElementsWithThePages)
{
    ScopedMainWindow main;
    auto dvd = std::make_shared<DVDLibrary>();
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(640, 480));
    auto slot = makeTitleSlot();
    auto play = makeButton("play");
    page->setItems({slot, play});
    dvd->setMenus({page});

    auto early = std::make_shared<TempEditData>();
    early->setCurrentMedia(slot);
    early->setRoundValue(0.3);
    auto late = std::make_shared<TempEditData>();
    late->setCurrentMedia(slot);
    late->setRoundValue(0.4);
    auto forPlay = std::make_shared<TempEditData>();
    forPlay->setCurrentMedia(play);

    QVariantMap project;
    project["dvd"] = QVariant::fromValue(ObjectRef(dvd));
    project["tempDataArray"] = QVariantList{QVariant::fromValue(ObjectRef(early)),
                                            QVariant::fromValue(ObjectRef(late)),
                                            QVariant::fromValue(ObjectRef(forPlay))};
    QString error;
    const QByteArray data = platform::KeyedArchiver::archivedData(project, &error);
    ASSERT_FALSE(data.isEmpty()) << qPrintable(error);

    const QVariantMap read = platform::KeyedUnarchiver::unarchive(data, &error).toMap();
    ASSERT_FALSE(read.isEmpty()) << qPrintable(error);
    const auto readDvd = platform::objectCast<DVDLibrary>(platform::objectFromVariant(read["dvd"]));
    ASSERT_TRUE(readDvd);
    TempEditDataList records;
    for (const QVariant &value : read["tempDataArray"].toList())
        records.append(platform::objectCast<TempEditData>(platform::objectFromVariant(value)));
    ASSERT_EQ(records.size(), 3);
    const auto items = readDvd->menus().at(0)->items();
    EXPECT_EQ(records[0]->currentMedia(), items[0]);
    EXPECT_EQ(records[1]->currentMedia(), items[0]);
    EXPECT_EQ(records[2]->currentMedia(), items[1]);

    main->setTempDataArray(records);
    EXPECT_EQ(FindTempEditData::getEditData(*items[0]), records[1]);
    EXPECT_DOUBLE_EQ(FindTempEditData::getEditData(*items[0])->roundValue(), 0.4);
    EXPECT_EQ(FindTempEditData::getEditData(*items[1]), records[2]);
}

// Copying used to run the alias setters in key order on the element the record names, while the
// copy still held initial values: the original element lost its shadow offset and its picture.
TEST(TempEditData, CopyLeavesTheOriginalElementAlone)
{
    ScopedMainWindow main;
    auto title = makeTitleSlot();
    auto record = std::make_shared<TempEditData>();
    record->setCurrentMedia(title);
    record->setButtonShadowOffsetX(3);
    record->setButtonShadowOffsetY(-3);
    record->setTitleVideoImage(picture(32, 18));
    record->setTitleUseImageFrom(TempEditData::kImageFromVideoImage);
    ASSERT_EQ(title->shadow().offset, QPointF(3, -3));
    ASSERT_FALSE(title->menuStaticImage().isNull());

    const auto copy
        = platform::objectCast<TempEditData>(std::static_pointer_cast<QObject>(record->copy()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(title->shadow().offset, QPointF(3, -3));
    EXPECT_EQ(title->menuStaticImage().size(), QSize(32, 18));
    EXPECT_TRUE(title->useStaticImage());

    EXPECT_EQ(copy->currentMedia(), title);
    EXPECT_FLOAT_EQ(copy->dvdButtonShadowOffsetY(), -3.0f);
    EXPECT_EQ(copy->useImageFrom(), TempEditData::kImageFromVideoImage);
    EXPECT_EQ(copy->videoImage().size(), QSize(32, 18));
    EXPECT_TRUE(copy->buttonHasShadow());

    // The caller gives the copy its own element and pushes once.
    auto other = makeTitleSlot();
    copy->setCurrentMedia(other);
    copy->updateAllEditToItem();
    EXPECT_EQ(other->shadow().offset, QPointF(3, -3));
    EXPECT_EQ(other->menuStaticImage().size(), QSize(32, 18));
}

// Loading used to push shadow and picture as the alias keys arrived, onto an element still at its
// loaded state, and to redraw the canvas from the loader's thread.
TEST(TempEditData, LoadingPushesNothingAndRedrawsOnlyOnTheMainThread)
{
    ScopedMainWindow main;
    auto title = makeTitleSlot(QRectF(0, 0, 200, 100));
    auto record = std::make_shared<TempEditData>();
    record->setCurrentMedia(title);
    record->setDvdButtonShadowOffsetX(4);
    record->setDvdButtonShadowOffsetY(-2);
    record->setDvdButtonShadowColor(QColor(Qt::darkRed));
    record->setVideoImage(picture(20, 10));
    record->setUseImageFrom(TempEditData::kImageFromVideoImage);
    record->setRoundValue(0.2);
    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(record)), &error);
    ASSERT_FALSE(data.isEmpty()) << qPrintable(error);
    drainEvents();
    main->editor.redraws = 0;

    TempEditDataRef loaded;
    std::thread loader([&] {
        loaded = platform::objectCast<TempEditData>(
            platform::objectFromVariant(platform::KeyedUnarchiver::unarchive(data)));
        ASSERT_TRUE(loaded);
        const DVDMenuItemRef element = loaded->currentMedia();
        // Nothing pushed yet: the element is as it was archived (shadow and radius are not).
        EXPECT_FALSE(element->shadow().isVisible());
        EXPECT_FALSE(element->useStaticImage());
        loaded->updateAllEditToItem();
    });
    loader.join();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(main->editor.redraws, 0) << "no redraw before the main loop turns";

    const DVDMenuItemRef element = loaded->currentMedia();
    EXPECT_EQ(element->shadow().offset, QPointF(4, -2));
    EXPECT_EQ(element->shadow().color, QColor(Qt::darkRed));
    EXPECT_EQ(element->menuStaticImage().size(), QSize(20, 10));
    EXPECT_TRUE(element->useStaticImage());
    EXPECT_DOUBLE_EQ(element->roundValue(), 20.0);

    ASSERT_TRUE(runUntil([&] { return main->editor.redraws > 0; }));
    drainEvents();
    EXPECT_EQ(main->editor.redraws, 1) << "the pushes of one record collapse into one redraw";
    EXPECT_EQ(main->editor.redrawsOffMainThread, 0);
}

} // namespace
