#pragma once

#include "Platterkit/model/DLCustomDrawer.h"
#include "Reelsmith/archiving/CodingBase.h"
#include "app/AppExtention/Convert/BackPictureItem.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <memory>
#include <mutex>

class QPainter;
class QuartzRenderManager;
class TransitionQtzRenderer;

/**
 * A menu page's slideshow background: pictures that each stand still for everyImageDuration
 * seconds, with the transition renderName played for everyRenderDuration seconds between
 * neighbours, looping when the show is over. The page holds it as its custom drawer (menu_drawer,
 * used while use_menu_drawer is set) and the page renderer asks it for the background at any time;
 * it is stored with the page in the project.
 *
 * Everything the drawer needs comes from the page it draws: the rectangle it is given is the
 * page's, so the picture aspect (which preview of each item) and the transition renderer's size
 * follow that page. The renderer is made on the first draw that needs it and again whenever the
 * transition or the page size changes; nothing has to prepare it first.
 *
 * Threads: the canvas and the preview draw on the main thread while production renders menu videos
 * on its own thread, and the background picture dialog edits the settings and the pictures on the
 * main thread meanwhile. Every member may be called from any thread at the same time: the settings
 * are guarded by one lock, a draw works on a snapshot of them taken under it, and the shared
 * renderer keeps concurrent frames apart itself. The pictures of imageItemArray are shared
 * records and guard themselves.
 */
class BackgroundRenderData : public CodingBase, public DLCustomDrawer
{
    Q_OBJECT
    Q_PROPERTY(QString renderName READ renderName WRITE setRenderName)
    Q_PROPERTY(double everyImageDuration READ everyImageDuration WRITE setEveryImageDuration)
    Q_PROPERTY(double everyRenderDuration READ everyRenderDuration WRITE setEveryRenderDuration)
    Q_PROPERTY(bool useRenderDurAsMenuDur READ useRenderDurAsMenuDur WRITE setUseRenderDurAsMenuDur)
    Q_PROPERTY(QList<std::shared_ptr<BackPictureItem>> imageItemArray READ imageItemArray WRITE
                   setImageItemArray)
public:
    // What the show puts on the page at one moment: nothing, one picture standing still, or the
    // transition from one picture to the next at a progress in [0, 1].
    struct Frame
    {
        enum class Phase { None, Still, Transition };
        Phase phase = Phase::None;
        // Indexes into imageItemArray; equal for a still picture.
        qsizetype from = 0;
        qsizetype to = 0;
        double progress = 0.0;
    };

    Q_INVOKABLE BackgroundRenderData();
    ~BackgroundRenderData() override;

    QStringList allCoderKeys() const override;

    // The transition's name in the catalogue. A new name drops the renderer.
    QString renderName() const;
    void setRenderName(const QString &name);
    // Seconds each picture stands still.
    double everyImageDuration() const;
    void setEveryImageDuration(double seconds);
    // Seconds of each transition.
    double everyRenderDuration() const;
    void setEveryRenderDuration(double seconds);
    // The page's duration follows the show's length.
    bool useRenderDurAsMenuDur() const;
    void setUseRenderDurAsMenuDur(bool use);
    // The pictures in show order.
    BackPictureItemList imageItemArray() const;
    void setImageItemArray(const BackPictureItemList &items);

    // The catalogue the transitions are looked up in; null (the default) is the shared
    // TransitionManager. The catalogue must outlive the drawer. Drops the renderer.
    void setTransitionCatalogue(const QuartzRenderManager *catalogue);

    // The renderer made for the last page drawn; null before the first transition drawn, after the
    // transition or the size changed, and when the transition cannot be rendered.
    std::shared_ptr<TransitionQtzRenderer> currentRender() const;
    // Drops the renderer, so that the next draw makes one for renderName at the size of the page
    // it draws (the transition choice or the page aspect changed).
    void b_updateCurrentRenderWithNameOrSizeChanged();
    // Makes the renderer for renderName at pageSize now; null (and the reason logged) when the
    // catalogue lacks the transition or the size is unusable.
    std::shared_ptr<TransitionQtzRenderer>
    b_updateCurrentRenderWithNameOrSizeChanged(QSizeF pageSize);

    // The show's length in seconds: 0 without pictures, else n x I + (n - 1) x R, where a negative
    // or non-finite duration counts as 0.
    double p_totalTime() const;

    // What the show puts on the page at seconds, for count pictures with the given durations.
    // A show longer than 1 s loops (its own length is not wrapped, so the last picture stands at
    // that time); a shorter one is not wrapped and keeps its last picture afterwards. Without a
    // period (both durations 0, as in an archive that lacks them) the first picture stands; before
    // 0 or at a non-finite time there is nothing. Pure; any thread.
    static Frame
    frameAtTime(double seconds, qsizetype count, double imageDuration, double renderDuration);
    Frame frameAtTime(double seconds) const;

    // The aspect type of a page of that size, as the page itself reckons it: 0 (4:3) when its
    // width-to-height ratio is within 0.1 of 4:3, else 1.
    static qint64 aspectTypeForPageSize(QSizeF pageSize);

    // Draws nothing: the page always asks for a time.
    void drawInRect(QPainter *painter, const QRectF &rect) override;
    // The background at an engine time into the page rectangle rect of a y-up painter. Both
    // sentinel times of the page renderer (the thumbnail and the layout) show the show at 0.
    void drawInRectAtTime(QPainter *painter, const QRectF &rect, qint64 timeUs) override;
    // The background at seconds: the picture of frameAtTime fitted into rect keeping its
    // proportion, centred, drawn source-over at full opacity. A picture item without a preview for
    // the page's aspect, and a transition that cannot be rendered, draw nothing.
    void drawImageAtTime(QPainter *painter, double seconds, const QRectF &rect);

private:
    double imageDurationLocked() const;
    double renderDurationLocked() const;
    std::shared_ptr<TransitionQtzRenderer> rendererForPageSize(QSizeF pageSize);
    std::shared_ptr<TransitionQtzRenderer> makeRendererLocked(QSizeF pageSize);

    mutable std::mutex m_lock;
    // Guarded by m_lock.
    QString m_renderName;
    double m_everyImageDuration = 0.0;
    double m_everyRenderDuration = 0.0;
    bool m_useRenderDurAsMenuDur = false;
    BackPictureItemList m_imageItemArray;
    const QuartzRenderManager *m_catalogue = nullptr;
    std::shared_ptr<TransitionQtzRenderer> m_currentRender;
    // The renderer last asked for and not made, so that a page drawn frame after frame does not
    // try (and log) again until the transition or the size changes.
    bool m_renderFailed = false;
    QSize m_failedRenderSize;
};

using BackgroundRenderDataRef = std::shared_ptr<BackgroundRenderData>;
