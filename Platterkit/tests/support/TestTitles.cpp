#include "TestTitles.h"

#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(TestChapterVideo)
DW_REGISTER_CLASS(TestTitleVideo)
DW_REGISTER_CLASS(TestTitleResource)
DW_REGISTER_CLASS(TestEditingTitle)
DW_REGISTER_CLASS(TestTextSource)

TestChapterVideo::TestChapterVideo() = default;
TestChapterVideo::~TestChapterVideo() = default;

QStringList TestChapterVideo::allCoderKeys() const
{
    return {QStringLiteral("name"), QStringLiteral("duration"), QStringLiteral("titles")};
}

TestTitleVideo::TestTitleVideo() = default;
TestTitleVideo::~TestTitleVideo() = default;

QStringList TestTitleVideo::allCoderKeys() const
{
    return {QStringLiteral("name"), QStringLiteral("isWarningVideo"), QStringLiteral("chapters")};
}

double TestTitleVideo::duration() const
{
    double total = 0.0;
    for (const ObjectRef &chapter : m_chapters) {
        if (auto *video = platform::conformsTo<DVDChapterVideo>(chapter))
            total += video->duration();
    }
    return total;
}

std::shared_ptr<TestTitleVideo>
TestTitleVideo::make(const QString &name, const QList<double> &chapterSeconds, bool warning)
{
    auto title = std::make_shared<TestTitleVideo>();
    title->m_name = name;
    title->setIsWarningVideo(warning);
    ObjectList chapters;
    for (qsizetype i = 0; i < chapterSeconds.size(); ++i) {
        auto chapter = std::make_shared<TestChapterVideo>();
        chapter->m_name = QStringLiteral("%1.%2").arg(name).arg(i + 1);
        chapter->setDuration(chapterSeconds[i]);
        chapters.append(chapter);
    }
    title->setChapters(chapters);
    return title;
}

std::shared_ptr<TestChapterVideo> TestTitleVideo::chapter(qsizetype index) const
{
    return std::dynamic_pointer_cast<TestChapterVideo>(m_chapters.value(index));
}

TestTitleResource::TestTitleResource() = default;
TestTitleResource::~TestTitleResource() = default;

QStringList TestTitleResource::allCoderKeys() const
{
    return {QStringLiteral("name")};
}

void TestTitleResource::itemFillImageAtTimeContext(QObject *, qint64, QPainter *)
{
    ++m_fillCount;
}

TestEditingTitle::TestEditingTitle() = default;
TestEditingTitle::~TestEditingTitle() = default;

QStringList TestEditingTitle::allCoderKeys() const
{
    return {QStringLiteral("name")};
}

void TestEditingTitle::itemFillImageAtTimeContext(QObject *item, qint64 timeUs, QPainter *context)
{
    m_lastItem = item;
    m_lastTimeUs = timeUs;
    if (context)
        context->fillRect(QRectF(0, 0, 4, 4), Qt::red);
}

TestTextSource::TestTextSource() = default;
TestTextSource::~TestTextSource() = default;

QStringList TestTextSource::allCoderKeys() const
{
    return {QStringLiteral("text")};
}

QImage TestTextSource::textSourceImage() const
{
    QImage image(qMax<qsizetype>(1, m_text.size()) * 8, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

ObjectRef TestTextSource::copyTextResource() const
{
    auto made = std::make_shared<TestTextSource>();
    made->m_text = m_text;
    return made;
}
