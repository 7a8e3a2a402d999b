#include "app/production/DVDPlayerNavigation.h"

#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDMenuPage.h"
#include "Platterkit/model/DVDTitleVideo.h"
#include "Platterkit/subpicture/DVDMenuImageGenerator.h"
#include "Reelsmith/LMFunctions.h"
#include "app/AppExtention/Function/ArrayExtention.h"

#include <QPainter>

namespace Discwright {

const QString DVDPlayerNavigation::kHighlightLayerName = QStringLiteral("menu_highlight");

namespace {

// A chapter's length as the player's timeline counts it: seconds to engine time, truncated.
int64_t chapterLengthUs(const ObjectRef &chapter)
{
    const DVDChapterVideo *video = platform::conformsTo<DVDChapterVideo>(chapter);
    return video ? int64_t(video->duration() * double(lm_default_time_base())) : 0;
}

ObjectRef firstChapterOf(const ObjectRef &title)
{
    const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title);
    if (!video)
        return title;
    const ObjectList chapters = video->chapters();
    return chapters.isEmpty() ? nullptr : chapters.first();
}

} // namespace

void DVDPlayerNavigation::clear()
{
    m_playWarnVideo = false;
    resetDVDPlayer();
    m_dvd = nullptr;
    m_highlightImage = QImage();
    m_highlightRect = QRectF();
}

void DVDPlayerNavigation::resetDVDPlayer()
{
    m_currentPlay = nullptr;
    m_lastMenu = nullptr;
}

DVDMenuRef DVDPlayerNavigation::firstMenu() const
{
    if (!m_dvd || m_dvd->noMenu())
        return nullptr;
    for (const DVDMenuRef &menu : m_dvd->menus()) {
        if (menu && !menu->parent())
            return menu;
    }
    return nullptr;
}

qsizetype DVDPlayerNavigation::indexOfMenu(const ObjectRef &menu) const
{
    if (!m_dvd || m_dvd->noMenu())
        return -1;
    return m_dvd->indexOfMenu(menu);
}

DVDMenuRef DVDPlayerNavigation::currentPlayMenu() const
{
    return platform::objectCast<DVDMenu>(m_currentPlay);
}

ObjectRef DVDPlayerNavigation::currentPlayTitle() const
{
    if (platform::conformsTo<DVDTitleVideo>(m_currentPlay))
        return m_currentPlay;
    if (platform::conformsTo<DVDChapterVideo>(m_currentPlay) && m_dvd)
        return m_dvd->getTitleForChapter(m_currentPlay);
    return nullptr;
}

ObjectRef DVDPlayerNavigation::getWarnDVDTitle() const
{
    if (!m_dvd)
        return nullptr;
    for (const ObjectRef &title : m_dvd->titles()) {
        if (DVDTitleVideo::isWarningTitle(title))
            return title;
    }
    return nullptr;
}

ObjectRef DVDPlayerNavigation::findChapterIn(const ObjectList &chapters, int64_t t)
{
    int64_t start = 0;
    for (const ObjectRef &chapter : chapters) {
        const int64_t length = chapterLengthUs(chapter);
        if (start + length > t)
            return chapter;
        start += length;
    }
    return nullptr;
}

ObjectRef DVDPlayerNavigation::currentPlayItemRelative(int offset, int64_t playheadUs) const
{
    const DVDTitleVideo *title = platform::conformsTo<DVDTitleVideo>(currentPlayTitle());
    if (!title)
        return nullptr;
    const ObjectList chapters = title->chapters();
    ObjectRef current = findChapterIn(chapters, playheadUs);
    if (!current && !chapters.isEmpty())
        current = chapters.last();
    return ArrayExtention::objectOffset(chapters, current, offset);
}

DVDMenuItemRef DVDPlayerNavigation::findItemAtPoint(QPointF fraction) const
{
    const DVDMenuRef menu = currentPlayMenu();
    if (!menu)
        return nullptr;
    const QSizeF size = menu->menuSize();
    const QPointF point(fraction.x() * size.width(), fraction.y() * size.height());
    for (const DVDMenuItemRef &item : menu->items()) {
        if (!item || !item->isValid() || item->isStaticItem())
            continue;
        // Half-open, so that two buttons that touch never both claim the shared edge.
        const QRectF frame = item->frame();
        if (point.x() >= frame.left() && point.x() < frame.right() && point.y() >= frame.top()
            && point.y() < frame.bottom())
            return item;
    }
    return nullptr;
}

void DVDPlayerNavigation::moveAtPoint(QPointF fraction)
{
    if (const DVDMenuItemRef item = findItemAtPoint(fraction))
        m_highlightRect = item->frame();
}

QImage DVDPlayerNavigation::getDVDHighlightImage() const
{
    if (m_highlightRect.isEmpty() || m_highlightImage.isNull())
        return QImage();
    const QRectF grown = m_highlightRect.adjusted(-0.5, -0.5, 0.5, 0.5);
    const int height = m_highlightImage.height();
    // Menu space is y up; the picture's rows run from the top.
    const QRectF rows(
        grown.x(), height - grown.y() - grown.height(), grown.width(), grown.height());
    const QRect cut = rows.toAlignedRect().intersected(m_highlightImage.rect());
    if (cut.isEmpty())
        return QImage();
    QImage out(m_highlightImage.size(), QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull())
        return QImage();
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(cut.topLeft(), m_highlightImage, cut);
    painter.end();
    return out;
}

bool DVDPlayerNavigation::hasMenus() const
{
    return firstMenu() != nullptr;
}

DVDPlayerNavigation::Start DVDPlayerNavigation::playDVDItem(const ObjectRef &item)
{
    if (!item) {
        if (!m_playWarnVideo && !getWarnDVDTitle())
            m_playWarnVideo = true;
        m_lastMenu = nullptr;
    }

    ObjectRef target = m_dvd ? m_dvd->jumpForActionItem(item) : nullptr;
    if (!m_playWarnVideo) {
        // A disc without a warning title has nothing to hold back; asking first for a button
        // must not play an empty warning in its place.
        if (const ObjectRef warning = getWarnDVDTitle())
            target = warning;
        else
            m_playWarnVideo = true;
    }
    target = firstChapterOf(target);
    if (platform::conformsTo<DVDChapterVideo>(item))
        target = item;

    const DVDMenuRef playing = currentPlayMenu();
    const ObjectRef back = playing ? ObjectRef(playing) : m_lastMenu;

    resetDVDPlayer();
    m_lastMenu = back;
    m_currentPlay = target;
    m_highlightImage = QImage();
    m_highlightRect = QRectF();

    Start start;
    start.target = target;
    if (const DVDMenuRef menu = platform::objectCast<DVDMenu>(target)) {
        loadHighlightLayer(menu);
    } else if (platform::conformsTo<DVDChapterVideo>(target)) {
        const ObjectRef title = m_dvd ? m_dvd->getTitleForChapter(target) : nullptr;
        const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title);
        start.chapters = video ? video->chapters() : ObjectList{target};
        for (const ObjectRef &chapter : start.chapters) {
            if (chapter == target)
                break;
            start.startUs += chapterLengthUs(chapter);
        }
    }
    return start;
}

DVDPlayerNavigation::End DVDPlayerNavigation::targetDidEnd()
{
    const DVDMenuRef menu = currentPlayMenu();
    const ObjectRef current = menu ? ObjectRef(menu) : currentPlayTitle();
    ObjectRef next = m_dvd ? m_dvd->jumpForActionItem(current) : nullptr;
    if (!next)
        next = m_lastMenu;
    if (!next)
        next = firstMenu();

    if (!m_playWarnVideo) {
        m_playWarnVideo = true;
        // With menus the disc starts over at its first-play target; without, the jump rules
        // already name the first title after the warning.
        if (hasMenus())
            return End{End::Action::Play, nullptr};
    }
    if (!next && !hasMenus())
        return End{End::Action::Stop, nullptr};
    return End{End::Action::Play, next};
}

void DVDPlayerNavigation::loadHighlightLayer(const DVDMenuRef &menu)
{
    const DVDMenuImageGenerator generator(menu, m_dvd);
    QImage layer = generator.generatorImageForName(kHighlightLayerName);
    const QSizeF menuSize = menu->menuSize();
    if (layer.isNull() || menuSize.isEmpty())
        return;
    layer.convertTo(QImage::Format_RGBA8888_Premultiplied);
    // The layer is drawn at the DVD picture size; the highlight is cut in menu points.
    if (layer.width() > 1 && layer.height() > 1)
        layer = layer.scaled(menuSize.toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_highlightImage = layer;
}

} // namespace Discwright
