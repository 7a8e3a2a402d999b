#pragma once

#include "Reelsmith/archiving/CodingBase.h"

#include <QColor>

/**
 * The disc-wide menu look of a project: whether menus carry a play button, the highlight outline
 * and fill of every button, the warning video played before the first menu, and whether a page
 * lasts as long as its background music. Archived in the project under "tempDvdData".
 *
 * The main window controller owns the one record of a project. Each alias (dvdShowPlayButton and
 * the rest) only forwards to its stored property. Used by one thread at a time: the main thread
 * while editing, the loader while a project opens, the production thread while it draws the
 * subpicture layers of a copy handed to it.
 */
class DVDLibrary;

class TempDvdData : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(bool showPlayButton READ showPlayButton WRITE setShowPlayButton)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(double borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(bool useFill READ useFill WRITE setUseFill)
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)
    Q_PROPERTY(bool hasWarning READ hasWarning WRITE setHasWarning)
    Q_PROPERTY(ObjectRef warningMedia READ warningMedia WRITE setWarningMedia)
    Q_PROPERTY(bool useBackMusicLengthAsPageDuration READ useBackMusicLengthAsPageDuration WRITE
                   setUseBackMusicLengthAsPageDuration)
    // The names the dialogs and the subpicture drawer use.
    Q_PROPERTY(bool dvdShowPlayButton READ dvdShowPlayButton WRITE setDvdShowPlayButton)
    Q_PROPERTY(QColor dvdBorderColor READ dvdBorderColor WRITE setDvdBorderColor)
    Q_PROPERTY(double dvdBorderWidth READ dvdBorderWidth WRITE setDvdBorderWidth)
    Q_PROPERTY(bool dvdBorderUseFill READ dvdBorderUseFill WRITE setDvdBorderUseFill)
    Q_PROPERTY(QColor dvdBorderFillColor READ dvdBorderFillColor WRITE setDvdBorderFillColor)
    Q_PROPERTY(bool dvdHasWarningMedia READ dvdHasWarningMedia WRITE setDvdHasWarningMedia)
    Q_PROPERTY(ObjectRef dvdWarningMedia READ dvdWarningMedia WRITE setDvdWarningMedia)
    Q_PROPERTY(bool useBackMusicLengthDuration READ useBackMusicLengthDuration WRITE
                   setUseBackMusicLengthDuration)
public:
    // The settings a production disc's pages are drawn with, as that disc carries them; null for a
    // disc that carries none (the editing disc). Any thread that may read the disc.
    static std::shared_ptr<TempDvdData> carriedBy(const DVDLibrary &disc);
    // Makes disc carry settings, for the drawing hooks that see only the disc.
    static void carryOn(DVDLibrary &disc, const std::shared_ptr<TempDvdData> &settings);

    Q_INVOKABLE TempDvdData();

    QStringList allCoderKeys() const override;

    bool showPlayButton() const { return m_showPlayButton; }
    void setShowPlayButton(bool show) { m_showPlayButton = show; }
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color) { m_borderColor = color; }
    // Points.
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width) { m_borderWidth = width; }
    bool useFill() const { return m_useFill; }
    void setUseFill(bool use) { m_useFill = use; }
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor &color) { m_fillColor = color; }
    bool hasWarning() const { return m_hasWarning; }
    void setHasWarning(bool has) { m_hasWarning = has; }
    // The warning video's clip record; null until one is chosen.
    ObjectRef warningMedia() const { return m_warningMedia; }
    void setWarningMedia(const ObjectRef &media) { m_warningMedia = media; }
    bool useBackMusicLengthAsPageDuration() const { return m_useBackMusicLengthAsPageDuration; }
    void setUseBackMusicLengthAsPageDuration(bool use) { m_useBackMusicLengthAsPageDuration = use; }

    bool dvdShowPlayButton() const { return showPlayButton(); }
    void setDvdShowPlayButton(bool show) { setShowPlayButton(show); }
    QColor dvdBorderColor() const { return borderColor(); }
    void setDvdBorderColor(const QColor &color) { setBorderColor(color); }
    double dvdBorderWidth() const { return borderWidth(); }
    void setDvdBorderWidth(double width) { setBorderWidth(width); }
    bool dvdBorderUseFill() const { return useFill(); }
    void setDvdBorderUseFill(bool use) { setUseFill(use); }
    QColor dvdBorderFillColor() const { return fillColor(); }
    void setDvdBorderFillColor(const QColor &color) { setFillColor(color); }
    bool dvdHasWarningMedia() const { return hasWarning(); }
    void setDvdHasWarningMedia(bool has) { setHasWarning(has); }
    ObjectRef dvdWarningMedia() const { return warningMedia(); }
    void setDvdWarningMedia(const ObjectRef &media) { setWarningMedia(media); }
    bool useBackMusicLengthDuration() const { return useBackMusicLengthAsPageDuration(); }
    void setUseBackMusicLengthDuration(bool use) { setUseBackMusicLengthAsPageDuration(use); }

private:
    bool m_showPlayButton = true;
    QColor m_borderColor;
    double m_borderWidth = 0.0;
    bool m_useFill = true;
    QColor m_fillColor;
    bool m_hasWarning = false;
    ObjectRef m_warningMedia;
    bool m_useBackMusicLengthAsPageDuration = true;
};

using TempDvdDataRef = std::shared_ptr<TempDvdData>;
