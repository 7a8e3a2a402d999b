#pragma once

#include "Platterkit/model/DLShadow.h"
#include "Platterkit/model/DVDLibraryButtonResource.h"
#include "Platterkit/model/DVDLibraryFrameResource.h"
#include "Platterkit/model/DVDMenuElement.h"
#include "platform/KeyedObject.h"

#include <QImage>
#include <QRectF>
#include <memory>

class DVDMenuTextResource;
class QPainter;

/**
 * One element of a menu page: a title picture (with a decorative frame), a navigation button, a
 * text, or a static decoration. Held by std::shared_ptr in its page's items; `jump` does not keep
 * its target alive (a removed target reads as null). Used from one thread at a time.
 */
class DVDMenuItem : public platform::KeyedObject,
                    public DVDMenuElement,
                    public std::enable_shared_from_this<DVDMenuItem>
{
    Q_OBJECT
    Q_PROPERTY(QString frameObject READ frameObject WRITE setFrameObject)
    Q_PROPERTY(QRectF frame READ frame WRITE setFrame)
    Q_PROPERTY(ObjectRef jump READ jump WRITE setJump)
    Q_PROPERTY(bool disabled READ disabled WRITE setDisabled)
    Q_PROPERTY(double rotation READ rotation WRITE setRotation)
    Q_PROPERTY(int level READ level WRITE setLevel)
    Q_PROPERTY(bool is_text_item READ is_text_item WRITE setIs_text_item)
    Q_PROPERTY(std::shared_ptr<DVDLibraryFrameResource> frameResource READ frameResource WRITE
                   setFrameResource)
    Q_PROPERTY(std::shared_ptr<DVDLibraryButtonResource> buttonResource READ buttonResource WRITE
                   setButtonResource)
    Q_PROPERTY(ObjectRef textSource READ textSource WRITE setTextSource)
    Q_PROPERTY(bool useFrame READ useFrame WRITE setUseFrame)
    Q_PROPERTY(bool useStaticImage READ useStaticImage WRITE setUseStaticImage)
    Q_PROPERTY(QImage menuStaticImage READ menuStaticImage WRITE setMenuStaticImage)
    Q_PROPERTY(double roundValue READ roundValue WRITE setRoundValue)
    Q_PROPERTY(DLShadow shadow READ shadow WRITE setShadow)
public:
    Q_INVOKABLE DVDMenuItem();
    ~DVDMenuItem() override;

    // Archiving: the keys below, then the legacy "itemBehind" flag (true sets level -100), then
    // the text object's back-link to this element.
    QStringList allCoderKeys() const override;
    void initWithCoder(platform::KeyedUnarchiver &coder) override;

    // A new element with the same values; jump and the frame and button resources are shared, the
    // text object is copied and linked back to the new element; roundValue and shadow are not kept.
    std::shared_ptr<platform::KeyedObject> copy() const override;
    std::shared_ptr<DVDMenuItem> copyItem() const;

    // Stored values.
    QRectF frame() const override { return m_frame; }
    void setFrame(const QRectF &frame) { m_frame = frame; }
    // The frame in the platform's rectangle text form, "{{x, y}, {w, h}}".
    QString frameObject() const;
    void setFrameObject(const QString &text);

    ObjectRef jump() const override { return m_jump.lock(); }
    Q_INVOKABLE void setJump(const ObjectRef &target) { m_jump = target; }

    bool disabled() const { return m_disabled; }
    void setDisabled(bool disabled) { m_disabled = disabled; }
    double rotation() const override { return m_rotation; }
    void setRotation(double degrees) { m_rotation = degrees; }
    int level() const override { return m_level; }
    void setLevel(int level) { m_level = level; }
    bool is_text_item() const { return m_isTextItem; }
    void setIs_text_item(bool isTextItem) { m_isTextItem = isTextItem; }
    // Shows the text object instead of a picture.
    void useTextSource(bool use) { m_isTextItem = use; }

    std::shared_ptr<DVDLibraryFrameResource> frameResource() const { return m_frameResource; }
    void setFrameResource(const std::shared_ptr<DVDLibraryFrameResource> &resource);
    std::shared_ptr<DVDLibraryButtonResource> buttonResource() const { return m_buttonResource; }
    void setButtonResource(const std::shared_ptr<DVDLibraryButtonResource> &resource);

    // The text object; an object that does not conform to DVDMenuTextResource is kept but never
    // used as text.
    ObjectRef textSource() const { return m_textSource; }
    void setTextSource(const ObjectRef &textSource) { m_textSource = textSource; }
    DVDMenuTextResource *textResource() const;

    bool useFrame() const { return m_useFrame; }
    void setUseFrame(bool useFrame) { m_useFrame = useFrame; }
    bool useStaticImage() const { return m_useStaticImage; }
    void setUseStaticImage(bool useStaticImage) { m_useStaticImage = useStaticImage; }
    QImage menuStaticImage() const { return m_menuStaticImage; }
    void setMenuStaticImage(const QImage &image) { m_menuStaticImage = image; }

    // Not archived.
    double roundValue() const override { return m_roundValue; }
    void setRoundValue(double roundValue) { m_roundValue = roundValue; }
    DLShadow shadow() const override { return m_shadow; }
    void setShadow(const DLShadow &shadow) { m_shadow = shadow; }

    // Element kinds, derived from the values above.
    bool isButtonItem() const override;
    bool isVideoItem() const;
    bool isStaticItem() const override;
    bool isTextItem() const override;
    bool itemBehind() const;
    bool isAction() const { return true; }
    bool isValid() const override;
    bool highlightModeEmptyInDVD() const override;
    bool useVideoFrame() const { return m_useFrame; }
    // A title slot: neither static nor a button.
    bool isTitleSlot() const;
    // Whether a page thumbnail shows the element even when it is not valid (the installed
    // DVDLibraryHooks decides; the library says false).
    bool forceShowItem() const;
    // The jump target's own validStaticImage when it answers that message; otherwise
    // menuStaticImage when useStaticImage is set; otherwise null.
    QImage validStaticImage() const;

    // --- Pictures: defined with the renderers (Platterkit/render/DVDMenuDrawing.cpp) -----------
    // The element's picture at timeUs (drawn by Platterkit/render), or null when it shows nothing.
    QImage imageAtTime(qint64 timeUs) override;
    // Paints the still or moving picture into a y-up bitmap painter (see MenuElementRenderer.h).
    void fillImageAtTimeContext(qint64 timeUs, QPainter *context);
    // Paints image over the whole bitmap of context, cropped to its aspect ratio.
    void drawImageContext(const QImage &image, QPainter *context) const;
    // a's size fitted inside b, centred (platform::scaleRectIn).
    static QRectF scaleRectIn(const QRectF &a, const QRectF &b);

private:
    QRectF m_frame;
    std::weak_ptr<QObject> m_jump;
    bool m_disabled = false;
    double m_rotation = 0.0;
    int m_level = 0;
    bool m_isTextItem = false;
    std::shared_ptr<DVDLibraryFrameResource> m_frameResource;
    std::shared_ptr<DVDLibraryButtonResource> m_buttonResource;
    ObjectRef m_textSource;
    bool m_useFrame = false;
    bool m_useStaticImage = false;
    QImage m_menuStaticImage;
    double m_roundValue = 0.0;
    DLShadow m_shadow;
};

using DVDMenuItemRef = std::shared_ptr<DVDMenuItem>;
using DVDMenuItemList = QList<DVDMenuItemRef>;
