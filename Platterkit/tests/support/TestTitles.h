#pragma once

// Small stand-ins for the application's title objects, for tests of the disc model and of the
// authoring code. All of them archive (registered by class name) so that a whole library can make a
// round trip through the keyed archive.

#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDMenuTextResource.h"
#include "Platterkit/model/DVDTitleResource.h"
#include "Platterkit/model/DVDTitleVideo.h"
#include "platform/KeyedObject.h"

#include <QImage>
#include <QPainter>
#include <QSizeF>

// A chapter of a production title: its duration in seconds and the elements that lead to it.
class TestChapterVideo : public platform::KeyedObject, public DVDChapterVideo
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(double duration READ duration WRITE setDuration)
    Q_PROPERTY(ObjectList titles READ titles WRITE setTitles)
public:
    Q_INVOKABLE TestChapterVideo();
    ~TestChapterVideo() override;
    QStringList allCoderKeys() const override;

    ObjectList titles() const override { return m_titles; }
    void setTitles(const ObjectList &titles) { m_titles = titles; }
    double duration() const override { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }

    QString m_name;

private:
    ObjectList m_titles;
    double m_duration = 0.0;
};

// A production title made of chapters; one per disc may be the warning title.
class TestTitleVideo : public platform::KeyedObject, public DVDTitleVideo
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(bool isWarningVideo READ isWarningVideo WRITE setIsWarningVideo)
    Q_PROPERTY(ObjectList chapters READ chapters WRITE setChapters)
public:
    Q_INVOKABLE TestTitleVideo();
    ~TestTitleVideo() override;
    QStringList allCoderKeys() const override;

    bool isWarningVideo() const override { return m_warning; }
    void setIsWarningVideo(bool warning) { m_warning = warning; }
    ObjectList chapters() const override { return m_chapters; }
    void setChapters(const ObjectList &chapters) { m_chapters = chapters; }
    double duration() const override;

    // A title of chapters with the given durations (seconds).
    static std::shared_ptr<TestTitleVideo>
    make(const QString &name, const QList<double> &chapterSeconds = {60.0}, bool warning = false);
    std::shared_ptr<TestChapterVideo> chapter(qsizetype index) const;

    QString m_name;

private:
    bool m_warning = false;
    ObjectList m_chapters;
};

// A title that declares DVDTitleResource: it counts as a title of its own when jumps are resolved.
class TestTitleResource : public platform::KeyedObject, public DVDTitleResource
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
public:
    Q_INVOKABLE TestTitleResource();
    ~TestTitleResource() override;
    QStringList allCoderKeys() const override;

    ObjectList vcmovies() const override { return {}; }
    bool useVideoFrame() const override { return false; }
    Q_INVOKABLE void
    itemFillImageAtTimeContext(QObject *item, qint64 timeUs, QPainter *context) override;
    void setExportMovie(bool exportMovie) override { m_exportMovie = exportMovie; }
    void setCurrentTime(qint64 timeUs) override { m_currentTimeUs = timeUs; }
    void flushOperation() override {}
    Q_INVOKABLE void setVideoSize(QSizeF size) override { m_videoSize = size; }

    QString m_name;
    QSizeF m_videoSize;
    bool m_exportMovie = false;
    qint64 m_currentTimeUs = 0;
    int m_fillCount = 0;
};

// An editing title: answers the drawing and sizing messages without declaring any protocol, so the
// library reaches it only through the "send if it answers" messages.
class TestEditingTitle : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
public:
    Q_INVOKABLE TestEditingTitle();
    ~TestEditingTitle() override;
    QStringList allCoderKeys() const override;

    Q_INVOKABLE void setVideoSize(QSizeF size) { m_videoSize = size; }
    Q_INVOKABLE QImage validStaticImage() const { return m_staticImage; }
    Q_INVOKABLE void itemFillImageAtTimeContext(QObject *item, qint64 timeUs, QPainter *context);

    QString m_name;
    QSizeF m_videoSize;
    QImage m_staticImage;
    QObject *m_lastItem = nullptr;
    qint64 m_lastTimeUs = -1;
};

// The styled text object of a text element, reduced to its text.
class TestTextSource : public platform::KeyedObject, public DVDMenuTextResource
{
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER m_text)
public:
    Q_INVOKABLE TestTextSource();
    ~TestTextSource() override;
    QStringList allCoderKeys() const override;

    ObjectRef menuItem() const override { return m_menuItem.lock(); }
    void setMenuItem(const ObjectRef &item) override { m_menuItem = item; }
    QImage textSourceImage() const override;
    ObjectRef copyTextResource() const override;

    QString m_text;

private:
    std::weak_ptr<QObject> m_menuItem;
};
