#pragma once

#include "Platterkit/model/DLShadow.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Reelsmith/archiving/CodingBase.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <optional>

/**
 * The style of one menu element that the disc model has no place for: which picture a button
 * shows, its drop shadow, where a title's picture comes from, the corner rounding and the frame
 * geometry the title dialog remembers. Archived in the project's "tempDataArray"; the record holds
 * its element (currentMedia) strongly and the element finds its record again through
 * getEditData (DVDMenuItemFindTempEditData.h).
 *
 * Every setting has a stored property (mostly named as its archive key) and an alias pair that the
 * dialogs and the canvas use; most alias setters push the change onto the element at once, so it
 * draws the new style. Loading and copying never push: they set the stored values only, and the
 * caller pushes once when the record is whole (updateAllEditToItem; the project loader does it for
 * every record, the caller of copy() once it has set the copy's own element).
 *
 * The main window controller owns the records. One thread at a time uses a record and its element
 * (the main thread while editing, the loader while a project opens); canvas redraws that a push
 * asks for always run later on the main thread.
 */
class TempEditData : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(std::shared_ptr<DVDMenuItem> currentMedia READ currentMedia WRITE setCurrentMedia)
    Q_PROPERTY(qint64 dvdbuttonUseType READ dvdbuttonUseType WRITE setDvdbuttonUseType)
    Q_PROPERTY(QImage dvdbuttonLocalImage READ dvdbuttonLocalImage WRITE setDvdbuttonLocalImage)
    Q_PROPERTY(bool dvdButtonHasShadow READ dvdButtonHasShadow WRITE setDvdButtonHasShadow)
    Q_PROPERTY(QColor dvdButtonShadowColor READ dvdButtonShadowColor WRITE setDvdButtonShadowColor)
    Q_PROPERTY(float dvdButtonShadowBlursizeValue READ dvdButtonShadowBlursizeValue WRITE
                   setDvdButtonShadowBlursizeValue)
    Q_PROPERTY(
        float dvdButtonShadowOffsetX READ dvdButtonShadowOffsetX WRITE setDvdButtonShadowOffsetX)
    Q_PROPERTY(
        float dvdButtonShadowOffsetY READ dvdButtonShadowOffsetY WRITE setDvdButtonShadowOffsetY)
    Q_PROPERTY(qint64 dvdTitleUseType READ dvdTitleUseType WRITE setDvdTitleUseType)
    Q_PROPERTY(qint64 useImageFrom READ useImageFrom WRITE setUseImageFrom)
    Q_PROPERTY(qint64 videoImageTime READ videoImageTime WRITE setVideoImageTime)
    Q_PROPERTY(QImage videoImage READ videoImage WRITE setVideoImage)
    Q_PROPERTY(QImage localImage READ localImage WRITE setLocalImage)
    Q_PROPERTY(double roundValue READ roundValue WRITE setRoundValue)
    Q_PROPERTY(QRectF oldFrame READ oldFrame WRITE setOldFrame)
    Q_PROPERTY(double frameTemplateBili READ frameTemplateBili WRITE setFrameTemplateBili)
    Q_PROPERTY(bool dragKeepTitleFramePortion READ dragKeepTitleFramePortion WRITE
                   setDragKeepTitleFramePortion)
    // The aliases; their setters push onto currentMedia.
    Q_PROPERTY(qint64 buttonUseType READ buttonUseType WRITE setButtonUseType)
    Q_PROPERTY(QImage buttonLocalImage READ buttonLocalImage WRITE setButtonLocalImage)
    Q_PROPERTY(bool buttonHasShadow READ buttonHasShadow WRITE setButtonHasShadow)
    Q_PROPERTY(QColor buttonShadowColor READ buttonShadowColor WRITE setButtonShadowColor)
    Q_PROPERTY(double buttonShadowBlursizeValue READ buttonShadowBlursizeValue WRITE
                   setButtonShadowBlursizeValue)
    Q_PROPERTY(double buttonShadowOffsetX READ buttonShadowOffsetX WRITE setButtonShadowOffsetX)
    Q_PROPERTY(double buttonShadowOffsetY READ buttonShadowOffsetY WRITE setButtonShadowOffsetY)
    Q_PROPERTY(QRectF titleOldFrame READ titleOldFrame WRITE setTitleOldFrame)
    Q_PROPERTY(
        double titleFrameTemplateBili READ titleFrameTemplateBili WRITE setTitleFrameTemplateBili)
    Q_PROPERTY(qint64 titleUseType READ titleUseType WRITE setTitleUseType)
    Q_PROPERTY(bool titleFrameProportion READ titleFrameProportion WRITE setTitleFrameProportion)
    Q_PROPERTY(double titleRoundValue READ titleRoundValue WRITE setTitleRoundValue)
    Q_PROPERTY(qint64 titleUseImageFrom READ titleUseImageFrom WRITE setTitleUseImageFrom)
    Q_PROPERTY(qint64 titleVideoImageTime READ titleVideoImageTime WRITE setTitleVideoImageTime)
    Q_PROPERTY(QImage titleVideoImage READ titleVideoImage WRITE setTitleVideoImage)
    Q_PROPERTY(QImage titleLocalImage READ titleLocalImage WRITE setTitleLocalImage)
public:
    // What a button shows (dvdbuttonUseType): any other value shows the template's button picture.
    static constexpr qint64 kButtonUsesText = 1;
    static constexpr qint64 kButtonUsesLocalImage = 2;
    // A title item shows its text for this dvdTitleUseType; any other value shows a picture.
    static constexpr qint64 kTitleUsesText = 2;
    // Where a title's picture comes from (useImageFrom).
    static constexpr qint64 kImageFromMovie = 0;
    static constexpr qint64 kImageFromVideoImage = 1;
    static constexpr qint64 kImageFromLocalImage = 2;

    Q_INVOKABLE TempEditData();

    QStringList allCoderKeys() const override;
    // The keys that name aliases are read and copied into their stored properties, so neither a
    // load nor a copy pushes half-set values onto the element.
    void decoderKey(platform::KeyedUnarchiver &coder, const QString &key) override;
    void copyToKey(QObject *other, const QString &key) const override;
    // The stored property behind an archive key: the key itself, or for an alias key the property
    // it forwards to.
    static QString storedKeyForCoderKey(const QString &key);

    // --- Stored properties ---------------------------------------------------------------
    std::shared_ptr<DVDMenuItem> currentMedia() const { return m_currentMedia; }
    void setCurrentMedia(const std::shared_ptr<DVDMenuItem> &item) { m_currentMedia = item; }
    qint64 dvdbuttonUseType() const { return m_dvdbuttonUseType; }
    void setDvdbuttonUseType(qint64 type) { m_dvdbuttonUseType = type; }
    QImage dvdbuttonLocalImage() const { return m_dvdbuttonLocalImage; }
    void setDvdbuttonLocalImage(const QImage &image) { m_dvdbuttonLocalImage = image; }
    bool dvdButtonHasShadow() const { return m_dvdButtonHasShadow; }
    void setDvdButtonHasShadow(bool has) { m_dvdButtonHasShadow = has; }
    QColor dvdButtonShadowColor() const { return m_dvdButtonShadowColor; }
    void setDvdButtonShadowColor(const QColor &color) { m_dvdButtonShadowColor = color; }
    float dvdButtonShadowBlursizeValue() const { return m_dvdButtonShadowBlursizeValue; }
    void setDvdButtonShadowBlursizeValue(float radius) { m_dvdButtonShadowBlursizeValue = radius; }
    float dvdButtonShadowOffsetX() const { return m_dvdButtonShadowOffsetX; }
    void setDvdButtonShadowOffsetX(float offset) { m_dvdButtonShadowOffsetX = offset; }
    float dvdButtonShadowOffsetY() const { return m_dvdButtonShadowOffsetY; }
    void setDvdButtonShadowOffsetY(float offset) { m_dvdButtonShadowOffsetY = offset; }
    qint64 dvdTitleUseType() const { return m_dvdTitleUseType; }
    void setDvdTitleUseType(qint64 type) { m_dvdTitleUseType = type; }
    qint64 useImageFrom() const { return m_useImageFrom; }
    void setUseImageFrom(qint64 source) { m_useImageFrom = source; }
    // Engine time (microseconds) of the still picture and the start of the moving picture.
    qint64 videoImageTime() const { return m_videoImageTime; }
    void setVideoImageTime(qint64 timeUs) { m_videoImageTime = timeUs; }
    QImage videoImage() const { return m_videoImage; }
    void setVideoImage(const QImage &image) { m_videoImage = image; }
    QImage localImage() const { return m_localImage; }
    void setLocalImage(const QImage &image) { m_localImage = image; }
    // Corner rounding as a fraction of half the element's width.
    double roundValue() const { return m_roundValue; }
    void setRoundValue(double fraction) { m_roundValue = fraction; }
    QRectF oldFrame() const { return m_oldFrame; }
    void setOldFrame(const QRectF &frame) { m_oldFrame = frame; }
    // Width-to-height proportion of the title frame template.
    double frameTemplateBili() const { return m_frameTemplateBili; }
    void setFrameTemplateBili(double proportion) { m_frameTemplateBili = proportion; }
    bool dragKeepTitleFramePortion() const { return m_dragKeepTitleFramePortion; }
    void setDragKeepTitleFramePortion(bool keep) { m_dragKeepTitleFramePortion = keep; }

    // --- Aliases -------------------------------------------------------------------------
    qint64 buttonUseType() const { return m_dvdbuttonUseType; }
    void setButtonUseType(qint64 type);
    QImage buttonLocalImage() const { return m_dvdbuttonLocalImage; }
    void setButtonLocalImage(const QImage &image);
    bool buttonHasShadow() const { return m_dvdButtonHasShadow; }
    void setButtonHasShadow(bool has);
    QColor buttonShadowColor() const { return m_dvdButtonShadowColor; }
    void setButtonShadowColor(const QColor &color);
    double buttonShadowBlursizeValue() const { return m_dvdButtonShadowBlursizeValue; }
    void setButtonShadowBlursizeValue(double radius);
    double buttonShadowOffsetX() const { return m_dvdButtonShadowOffsetX; }
    void setButtonShadowOffsetX(double offset);
    double buttonShadowOffsetY() const { return m_dvdButtonShadowOffsetY; }
    void setButtonShadowOffsetY(double offset);
    QRectF titleOldFrame() const { return m_oldFrame; }
    void setTitleOldFrame(const QRectF &frame) { m_oldFrame = frame; }
    double titleFrameTemplateBili() const { return m_frameTemplateBili; }
    void setTitleFrameTemplateBili(double proportion);
    qint64 titleUseType() const { return m_dvdTitleUseType; }
    void setTitleUseType(qint64 type);
    bool titleFrameProportion() const { return m_dragKeepTitleFramePortion; }
    void setTitleFrameProportion(bool keep);
    double titleRoundValue() const { return m_roundValue; }
    void setTitleRoundValue(double fraction);
    qint64 titleUseImageFrom() const { return m_useImageFrom; }
    void setTitleUseImageFrom(qint64 source);
    qint64 titleVideoImageTime() const { return m_videoImageTime; }
    void setTitleVideoImageTime(qint64 timeUs);
    QImage titleVideoImage() const { return m_videoImage; }
    void setTitleVideoImage(const QImage &image);
    QImage titleLocalImage() const { return m_localImage; }
    void setTitleLocalImage(const QImage &image);

    // --- Pushes onto currentMedia (nothing without one) -----------------------------------
    // The element's shadow, or nothing when buttonHasShadow is off. An unset colour is the usual
    // shadow colour, black at one third opacity.
    std::optional<DLShadow> getMenuItemShadow() const;
    void updateItemShadow();
    // Whether the element shows its text: buttons for buttonUseType 1, titles for titleUseType 2;
    // static elements are left alone. No redraw.
    void updateItemDisplayType();
    // The element's corner radius: titleRoundValue x frame width x 0.5, or 0 while it shows a frame
    // template.
    void updateItemRound();
    // The element's picture: a button's local image (type 2) refitting its frame; a title's still
    // or local picture. Static elements are left alone.
    void updateItemImage();
    // Shadow, display type, image and rounding, in that order: the one push after a load or copy.
    void updateAllEditToItem();

private:
    std::shared_ptr<DVDMenuItem> m_currentMedia;
    qint64 m_dvdbuttonUseType = 0;
    QImage m_dvdbuttonLocalImage;
    bool m_dvdButtonHasShadow = true;
    QColor m_dvdButtonShadowColor;
    float m_dvdButtonShadowBlursizeValue = 5.0f;
    float m_dvdButtonShadowOffsetX = 0.0f;
    float m_dvdButtonShadowOffsetY = 0.0f;
    qint64 m_dvdTitleUseType = 1;
    qint64 m_useImageFrom = 0;
    qint64 m_videoImageTime = 5500000;
    QImage m_videoImage;
    QImage m_localImage;
    double m_roundValue = 0.1;
    QRectF m_oldFrame;
    double m_frameTemplateBili = 1.0;
    bool m_dragKeepTitleFramePortion = false;
};

using TempEditDataRef = std::shared_ptr<TempEditData>;
using TempEditDataList = QList<TempEditDataRef>;
