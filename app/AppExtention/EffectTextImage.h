#pragma once

#include "Platterkit/model/DVDMenuTextResource.h"
#include "Reelsmith/archiving/CodingBase.h"

#include <QColor>
#include <QFont>
#include <QGradient>
#include <QImage>
#include <QPainterPath>
#include <QSizeF>
#include <QString>
#include <QVariantList>

class DVDMenuItem;

/**
 * The styled text of the menu: what static texts, text titles and text buttons show, and the text
 * resource through which the authoring library draws them on the canvas, in the preview and on the
 * disc. The text dialogs edit its fields; its item (menuItem) is a back-link the item's owner keeps
 * valid.
 *
 * Archived under its own name; archives written under the old name "VideoEditTextView" read as
 * this class, with their old keys. The gradient is archived as its stops: a list of dictionaries
 * {"location": number, "color": colour}.
 *
 * Fields are set on one thread at a time (the main thread while editing). textSourceImage draws
 * only into images it makes itself and changes nothing, so the production thread may call it on a
 * copy while the main thread edits the original.
 */
class EffectTextImage : public CodingBase, public DVDMenuTextResource
{
    Q_OBJECT
    Q_PROPERTY(qint64 backgroundType READ backgroundType WRITE setBackgroundType)
    Q_PROPERTY(QImage backgroundImage READ backgroundImage WRITE setBackgroundImage)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    Q_PROPERTY(float backgroundRadius READ backgroundRadius WRITE setBackgroundRadius)
    Q_PROPERTY(QFont textFont READ textFont WRITE setTextFont)
    Q_PROPERTY(QString textString READ textString WRITE setTextString)
    Q_PROPERTY(qint64 alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(qint64 textFillType READ textFillType WRITE setTextFillType)
    Q_PROPERTY(QImage textImage READ textImage WRITE setTextImage)
    Q_PROPERTY(QVariantList textGradient READ textGradientObject WRITE setTextGradientObject)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QColor textOutlineColor READ textOutlineColor WRITE setTextOutlineColor)
    Q_PROPERTY(bool hasOutline READ hasOutline WRITE setHasOutline)
    Q_PROPERTY(float outlineWidth READ outlineWidth WRITE setOutlineWidth)
public:
    enum BackgroundType : qint64 { BackgroundNone = 0, BackgroundColor = 1, BackgroundPicture = 2 };
    enum FillType : qint64 { FillColor = 0, FillGradient = 1, FillPicture = 2 };

    // "Add Text Here" in white, system font of 60 points, no backdrop, square corners.
    Q_INVOKABLE EffectTextImage();

    QStringList allCoderKeys() const override;
    // The normal keys, then the old form's keys when the archive holds "backFilletValue".
    void initWithCoder(platform::KeyedUnarchiver &coder) override;
    // A null value for a number or flag only logs and leaves the field as it was.
    void decoderKey(platform::KeyedUnarchiver &coder, const QString &key) override;
    // Logs " setNilValueForKey <key>"; nothing changes.
    void setNilValueForKey(const QString &key);

    qint64 backgroundType() const { return m_backgroundType; }
    void setBackgroundType(qint64 type) { m_backgroundType = type; }
    QImage backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const QImage &image) { m_backgroundImage = image; }
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color) { m_backgroundColor = color; }
    // Corner rounding as a fraction: the radius is min(width, height) x value x 0.5.
    float backgroundRadius() const { return m_backgroundRadius; }
    void setBackgroundRadius(float radius) { m_backgroundRadius = radius; }
    QFont textFont() const { return m_textFont; }
    void setTextFont(const QFont &font) { m_textFont = font; }
    QString textString() const { return m_textString; }
    void setTextString(const QString &text) { m_textString = text; }
    // Stored and copied for the dialogs; the drawing does not use it.
    qint64 alignment() const { return m_alignment; }
    void setAlignment(qint64 alignment) { m_alignment = alignment; }
    qint64 textFillType() const { return m_textFillType; }
    void setTextFillType(qint64 type) { m_textFillType = type; }
    QImage textImage() const { return m_textImage; }
    void setTextImage(const QImage &image) { m_textImage = image; }
    // Empty stops stand for no gradient.
    QGradientStops textGradient() const { return m_textGradient; }
    void setTextGradient(const QGradientStops &stops) { m_textGradient = stops; }
    QVariantList textGradientObject() const;
    void setTextGradientObject(const QVariantList &stops);
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color) { m_textColor = color; }
    // Invalid (no colour) until chosen.
    QColor textOutlineColor() const { return m_textOutlineColor; }
    void setTextOutlineColor(const QColor &color) { m_textOutlineColor = color; }
    bool hasOutline() const { return m_hasOutline; }
    void setHasOutline(bool hasOutline) { m_hasOutline = hasOutline; }
    // Tenths of a percent of the font size.
    float outlineWidth() const { return m_outlineWidth; }
    void setOutlineWidth(float width) { m_outlineWidth = width; }

    // The text's natural size in menu points (one point, one pixel), each side at least 1.
    QSizeF size() const;
    // The corner radius of the backdrop for a text of the given size.
    static float cornerRadius(QSizeF size, float backgroundRadius);

    // --- DVDMenuTextResource ----------------------------------------------------------------------
    ObjectRef menuItem() const override { return m_item.lock(); }
    void setMenuItem(const ObjectRef &item) override { m_item = item; }
    // A new picture of size() (rounded up): backdrop, letters in their fill, outline on top.
    QImage textSourceImage() const override;
    ObjectRef copyTextResource() const override;

    // Resizes text's item to text's size about the item's centre and redraws the canvas.
    static void updaeDVDPageItemFrameWhenSizeChanged(EffectTextImage &text);
    // Every style field but the text goes to other, whose item is then resized as above.
    void flushOtherEffectTextWithSelfAttributes(EffectTextImage &other) const;

private:
    // The font as drawn: its point size taken as pixels, since a menu point is a pixel.
    QFont drawingFont() const;
    QPainterPath textPath() const;
    void drawTextStringImage(QImage &image, bool outline) const;

    qint64 m_backgroundType = BackgroundNone;
    QImage m_backgroundImage;
    QColor m_backgroundColor;
    float m_backgroundRadius = 0;
    QFont m_textFont;
    QString m_textString;
    qint64 m_alignment = 0;
    qint64 m_textFillType = FillColor;
    QImage m_textImage;
    QGradientStops m_textGradient;
    QColor m_textColor;
    QColor m_textOutlineColor;
    bool m_hasOutline = false;
    float m_outlineWidth = 0;
    std::weak_ptr<QObject> m_item;
};
