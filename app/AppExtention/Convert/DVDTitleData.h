#pragma once

#include "Reelsmith/archiving/CodingBase.h"
#include "app/AppExtention/Convert/ClipStrip.h"
#include "app/AppExtention/Convert/MediaData.h"

#include <QImage>
#include <QSizeF>
#include <memory>
#include <mutex>
#include <optional>

class DVDMenuItem;
class DVDTitleView;
class QPainter;

/**
 * A title of the editing disc model: an ordered list of clips that plays as one DVD title. The
 * disc model's titles hold it and title elements on menu pages jump to it; it draws their still
 * or moving picture and gives its clips their output size when the menu aspect changes.
 *
 * Held by std::shared_ptr in the disc model. Edited on the main thread; read by the project
 * loader and by production on their own threads. Item pictures are drawn on the thread that
 * renders a page (the main thread for the canvas, the production thread for menu videos); the
 * cached moving picture is guarded by the title's own lock, so the two may draw at once.
 *
 * It answers the title messages of the authoring library (drawing, sizing, clips) without
 * declaring DVDTitleResource: a declared title counts as a jump target of its own, while the
 * elements of a production copy still lead here and must resolve to the production chapters that
 * list them, or the disc's buttons and the preview's clicks would lead nowhere.
 */
class DVDTitleData : public CodingBase, public std::enable_shared_from_this<DVDTitleData>
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName)
    Q_PROPERTY(QList<std::shared_ptr<MediaData>> mediaArray READ mediaArray WRITE setMediaArray)
    Q_PROPERTY(ObjectList vcmovies READ vcmovies)
public:
    Q_INVOKABLE DVDTitleData();
    ~DVDTitleData() override;

    QStringList allCoderKeys() const override;
    // The keys, then every clip linked back to this title. Offline clips stay (see offlineMedias).
    void initWithCoder(platform::KeyedUnarchiver &coder) override;

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    MediaDataList mediaArray() const { return m_mediaArray; }
    void setMediaArray(const MediaDataList &medias) { m_mediaArray = medias; }
    bool isExpand() const { return m_isExpand; }
    void setIsExpand(bool expand) { m_isExpand = expand; }
    DVDTitleView *titleView() const { return m_titleView; }
    void setTitleView(DVDTitleView *view) { m_titleView = view; }

    // The clips whose media could not be opened, for the shell's warning; kept in the title and
    // saved with their stored edits, but left out of playback and production.
    MediaDataList offlineMedias() const;
    // Each clip's movie in play order, offline clips skipped.
    VCMovieList vcMovieList() const;
    // The title's chapters: each clip's chapters in turn, so a clip always starts a chapter.
    QList<VCMovieList> chapterMovies() const;
    // The first clip's thumbnail; null without clips.
    QImage previewImage() const;
    // The first title element over the main window's pages that leads here; null when none. Main
    // thread (it reads the window's project).
    std::shared_ptr<DVDMenuItem> usedMenuItem() const;
    // Where the moving picture of a title element starts: set on production's copy of a title when
    // the run is made, so that the menu video never looks the window's style records up. Unset,
    // the picture time comes from the element's style record, on the main thread only.
    void setMenuImageTimeUs(std::optional<qint64> timeUs) { m_menuImageTimeUs = timeUs; }
    // The cached moving picture; null until an element first moves or after setCurrentTime.
    std::shared_ptr<ClipStrip> item_segment_movie() const;

    // The title messages of the authoring library.
    ObjectList vcmovies() const;
    bool useVideoFrame() const { return false; }
    // Draws the still or moving picture of a title element that leads here.
    Q_INVOKABLE void itemFillImageAtTimeContext(QObject *item, qint64 timeUs, QPainter *context);
    void setExportMovie(bool) {}
    // Drops the cached moving picture, so the next moving frame starts from the image time again.
    void setCurrentTime(qint64 timeUs);
    void flushOperation() {}
    // Clips get 1024 x 576 for a page 854 wide, else 768 x 576, and their watermark again.
    Q_INVOKABLE void setVideoSize(QSizeF size);
    // The clip output size for a page size.
    static QSizeF clipSizeForMenuSize(QSizeF menuSize);

private:
    QString m_name;
    MediaDataList m_mediaArray;
    bool m_isExpand = false;
    DVDTitleView *m_titleView = nullptr;
    mutable std::mutex m_itemMovieLock;
    std::shared_ptr<ClipStrip> m_itemSegmentMovie;
    std::optional<qint64> m_menuImageTimeUs;
};

using DVDTitleDataRef = std::shared_ptr<DVDTitleData>;
