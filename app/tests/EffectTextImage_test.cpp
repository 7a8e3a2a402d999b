// The styled menu text: its defaults, its size, its picture by pixel (backdrop corners, fills,
// outline), its archive under both names, and the text item that carries it through an archive.

#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/EffectTextImage.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/AppFakes.h"

#include <QtGlobal>
#include <gtest/gtest.h>

// The system font library keeps its configuration for the life of the process, which the leak
// checker reports once text has been drawn.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// The text view that earlier projects archived: a few keys under other names.
class VideoEditTextView : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString string MEMBER m_string)
    Q_PROPERTY(double backFilletValue MEMBER m_fillet)
    Q_PROPERTY(QColor outlineColor MEMBER m_outlineColor)
    Q_PROPERTY(bool hasOutline MEMBER m_hasOutline)
public:
    Q_INVOKABLE VideoEditTextView() = default;
    QStringList allCoderKeys() const override
    {
        return {"string", "backFilletValue", "outlineColor", "hasOutline"};
    }
    QString m_string;
    double m_fillet = 0;
    QColor m_outlineColor;
    bool m_hasOutline = false;
};

namespace {

std::shared_ptr<EffectTextImage> roundTrip(const ObjectRef &object, QString *error)
{
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(object), error);
    return std::dynamic_pointer_cast<EffectTextImage>(
        platform::KeyedUnarchiver::unarchive(data, error).value<ObjectRef>());
}

// Where the letters are: the pixels of the plain white text.
QList<QPoint> letterPixels(const QImage &plain)
{
    QList<QPoint> points;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (qAlpha(plain.pixel(x, y)) == 255)
                points << QPoint(x, y);
    return points;
}

class EffectTextImageTest : public ::testing::Test
{
protected:
    void SetUp() override { app_testing::application(); }
};

TEST_F(EffectTextImageTest, FreshRecord)
{
    EffectTextImage text;
    EXPECT_EQ(text.textString(), "Add Text Here");
    EXPECT_EQ(text.textColor(), QColor(Qt::white));
    EXPECT_DOUBLE_EQ(text.textFont().pointSizeF(), 60);
    EXPECT_EQ(text.backgroundType(), 0);
    EXPECT_FLOAT_EQ(text.backgroundRadius(), 0);
    EXPECT_EQ(text.allCoderKeys().size(), 14);
    const QImage image = text.textSourceImage();
    EXPECT_EQ(image.size(), text.size().toSize());
    EXPECT_GT(image.width(), image.height());
    EXPECT_GT(letterPixels(image).size(), 100);
    // No backdrop: the corner is clear.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST_F(EffectTextImageTest, EmptyTextIsOnePixel)
{
    EffectTextImage text;
    text.setTextString(QString());
    EXPECT_EQ(text.size(), QSizeF(1, 1));
    EXPECT_EQ(text.textSourceImage().size(), QSize(1, 1));
}

TEST_F(EffectTextImageTest, RoundBackdropHasClearCorners)
{
    EXPECT_FLOAT_EQ(EffectTextImage::cornerRadius(QSizeF(300, 72), 1.0f), 36.0f);
    EffectTextImage text;
    text.setBackgroundType(EffectTextImage::BackgroundColor);
    text.setBackgroundColor(Qt::blue);
    text.setBackgroundRadius(1.0f);
    const QImage image = text.textSourceImage();
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
    // The middle of the round end is backdrop.
    const QRgb end = image.pixel(2, image.height() / 2);
    EXPECT_EQ(qAlpha(end), 255);
    EXPECT_GT(qBlue(end), 200);
    // Square corners without rounding.
    text.setBackgroundRadius(0);
    EXPECT_EQ(qAlpha(text.textSourceImage().pixel(0, 0)), 255);
}

TEST_F(EffectTextImageTest, Fills)
{
    EffectTextImage text;
    text.setTextString("HH");
    const QList<QPoint> letters = letterPixels(text.textSourceImage());
    ASSERT_FALSE(letters.isEmpty());

    // A picture fill without a picture: the letters are empty, the outline still shows.
    text.setTextFillType(EffectTextImage::FillPicture);
    text.setHasOutline(true);
    text.setTextOutlineColor(Qt::green);
    text.setOutlineWidth(50);
    const QImage outlined = text.textSourceImage();
    int opaqueInside = 0, green = 0;
    for (int y = 0; y < outlined.height(); ++y)
        for (int x = 0; x < outlined.width(); ++x) {
            const QRgb p = outlined.pixel(x, y);
            if (qAlpha(p) > 200 && qGreen(p) > 200 && qRed(p) < 60)
                ++green;
        }
    for (const QPoint &p : letters) {
        const QRgb pixel = outlined.pixel(p);
        if (qAlpha(pixel) > 0 && qRed(pixel) > 200)
            ++opaqueInside;
    }
    EXPECT_EQ(opaqueInside, 0) << "no white inside the letters";
    EXPECT_GT(green, 20) << "the outline shows";

    // A gradient fill: its start colour on top, its end colour at the bottom.
    text.setHasOutline(false);
    text.setTextFillType(EffectTextImage::FillGradient);
    text.setTextGradient({{0.0, Qt::red}, {1.0, Qt::blue}});
    const QImage gradient = text.textSourceImage();
    QPoint top = letters.first(), bottom = letters.last();
    const QRgb upper = gradient.pixel(top), lower = gradient.pixel(bottom);
    EXPECT_GT(qRed(upper), qBlue(upper));
    EXPECT_GT(qBlue(lower), qRed(lower));
    // Outside the letters stays clear.
    EXPECT_EQ(qAlpha(gradient.pixel(0, 0)), 0);
}

TEST_F(EffectTextImageTest, ArchiveRoundTrip)
{
    auto text = std::make_shared<EffectTextImage>();
    text->setTextString("Chapter One");
    text->setTextFillType(EffectTextImage::FillGradient);
    text->setTextGradient({{0.0, Qt::yellow}, {0.5, Qt::red}, {1.0, Qt::blue}});
    text->setBackgroundRadius(0.5f);
    text->setHasOutline(true);
    text->setTextOutlineColor(Qt::black);
    QString error;
    const auto back = roundTrip(text, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->textString(), "Chapter One");
    EXPECT_EQ(back->textGradient(), text->textGradient());
    EXPECT_FLOAT_EQ(back->backgroundRadius(), 0.5f);
    EXPECT_TRUE(back->hasOutline());
    EXPECT_EQ(back->textOutlineColor(), QColor(Qt::black));
    EXPECT_EQ(back->textFont().pointSizeF(), 60);
}

TEST_F(EffectTextImageTest, OldArchiveName)
{
    auto old = std::make_shared<VideoEditTextView>();
    old->m_string = "Old Menu";
    old->m_fillet = 0.75;
    old->m_outlineColor = Qt::cyan;
    QString error;
    const auto back = roundTrip(old, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->textString(), "Old Menu");
    EXPECT_FLOAT_EQ(back->backgroundRadius(), 0.75f);
    EXPECT_EQ(back->textOutlineColor(), QColor(Qt::cyan));
    EXPECT_FALSE(back->hasOutline()) << "an absent key keeps the default";
}

TEST_F(EffectTextImageTest, NilRadiusOnlyLogs)
{
    EffectTextImage text;
    text.setBackgroundRadius(0.25f);
    text.setNilValueForKey("backgroundRadius");
    EXPECT_FLOAT_EQ(text.backgroundRadius(), 0.25f);
}

TEST_F(EffectTextImageTest, TextItemKeepsItsTextThroughAnArchive)
{
    auto item = std::make_shared<DVDMenuItem>();
    auto text = std::make_shared<EffectTextImage>();
    text->setTextString("Welcome");
    item->setTextSource(text);
    item->useTextSource(true);
    text->setMenuItem(item);
    EffectTextImage::updaeDVDPageItemFrameWhenSizeChanged(*text);
    EXPECT_EQ(item->frame().size(), text->size());

    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(item)));
    QString error;
    const auto back = std::dynamic_pointer_cast<DVDMenuItem>(
        platform::KeyedUnarchiver::unarchive(data, &error).value<ObjectRef>());
    ASSERT_TRUE(back) << error.toStdString();
    auto *backText = dynamic_cast<EffectTextImage *>(back->textResource());
    ASSERT_TRUE(backText);
    EXPECT_EQ(backText->textString(), "Welcome");

    // A copied item gets its own text.
    const auto copied = std::dynamic_pointer_cast<DVDMenuItem>(back->copy());
    ASSERT_TRUE(copied);
    EXPECT_NE(copied->textResource(), back->textResource());
    EXPECT_EQ(dynamic_cast<EffectTextImage *>(copied->textResource())->textString(), "Welcome");
}

TEST_F(EffectTextImageTest, StyleCopyKeepsTheOtherText)
{
    EffectTextImage source;
    source.setTextColor(Qt::yellow);
    source.setBackgroundType(EffectTextImage::BackgroundColor);
    EffectTextImage other;
    other.setTextString("Mine");
    source.flushOtherEffectTextWithSelfAttributes(other);
    EXPECT_EQ(other.textString(), "Mine");
    EXPECT_EQ(other.textColor(), QColor(Qt::yellow));
    EXPECT_EQ(other.backgroundType(), EffectTextImage::BackgroundColor);
}

} // namespace

#include "EffectTextImage_test.moc"
