#include "Platterkit/model/DVDMenuItem.h"

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenuTextResource.h"
#include "Platterkit/model/Messages.h"
#include "Platterkit/model/ModelLog.h"
#include "platform/Assert.h"
#include "platform/ClassRegistry.h"
#include "platform/FitRect.h"
#include "platform/GeometryText.h"
#include "platform/KeyedUnarchiver.h"

DW_REGISTER_CLASS(DVDMenuItem)

namespace {
const bool shadowTypeRegistered = [] {
    qRegisterMetaType<DLShadow>("DLShadow");
    return true;
}();
} // namespace

DVDMenuItem::DVDMenuItem() = default;
DVDMenuItem::~DVDMenuItem() = default;

QStringList DVDMenuItem::allCoderKeys() const
{
    return {QStringLiteral("frameObject"),
            QStringLiteral("jump"),
            QStringLiteral("disabled"),
            QStringLiteral("rotation"),
            QStringLiteral("level"),
            QStringLiteral("is_text_item"),
            QStringLiteral("frameResource"),
            QStringLiteral("buttonResource"),
            QStringLiteral("textSource"),
            QStringLiteral("useFrame"),
            QStringLiteral("useStaticImage"),
            QStringLiteral("menuStaticImage")};
}

void DVDMenuItem::initWithCoder(platform::KeyedUnarchiver &coder)
{
    KeyedObject::initWithCoder(coder);
    // Archives of the older layout kept "behind" as a flag; it wins over whatever level says.
    const QString legacyBehind = QStringLiteral("itemBehind");
    if (coder.containsValueForKey(legacyBehind) && coder.decodeObjectForKey(legacyBehind).toBool())
        m_level = -100;
    if (DVDMenuTextResource *text = textResource()) {
        const auto self = weak_from_this().lock();
        DW_ASSERT(self, return );
        text->setMenuItem(self);
    }
}

std::shared_ptr<platform::KeyedObject> DVDMenuItem::copy() const
{
    auto made = std::dynamic_pointer_cast<DVDMenuItem>(KeyedObject::copy());
    DW_ASSERT(made, return nullptr);
    if (DVDMenuTextResource *text = textResource()) {
        ObjectRef textCopy = text->copyTextResource();
        made->setTextSource(textCopy);
        if (DVDMenuTextResource *copiedText = platform::conformsTo<DVDMenuTextResource>(textCopy))
            copiedText->setMenuItem(made);
    }
    return made;
}

std::shared_ptr<DVDMenuItem> DVDMenuItem::copyItem() const
{
    return std::dynamic_pointer_cast<DVDMenuItem>(copy());
}

QString DVDMenuItem::frameObject() const
{
    return platform::stringFromRect(m_frame);
}

void DVDMenuItem::setFrameObject(const QString &text)
{
    m_frame = platform::rectFromString(text);
}

void DVDMenuItem::setFrameResource(const std::shared_ptr<DVDLibraryFrameResource> &resource)
{
    m_frameResource = resource;
}

void DVDMenuItem::setButtonResource(const std::shared_ptr<DVDLibraryButtonResource> &resource)
{
    m_buttonResource = resource;
}

DVDMenuTextResource *DVDMenuItem::textResource() const
{
    return platform::conformsTo<DVDMenuTextResource>(m_textSource);
}

bool DVDMenuItem::isButtonItem() const
{
    return m_buttonResource != nullptr;
}

bool DVDMenuItem::isVideoItem() const
{
    return m_frameResource != nullptr;
}

bool DVDMenuItem::isStaticItem() const
{
    return !isButtonItem() && !isVideoItem();
}

bool DVDMenuItem::isTextItem() const
{
    return m_textSource && m_isTextItem;
}

bool DVDMenuItem::itemBehind() const
{
    return m_level < -99;
}

bool DVDMenuItem::isValid() const
{
    return !m_disabled && (isStaticItem() || jump() != nullptr);
}

bool DVDMenuItem::highlightModeEmptyInDVD() const
{
    return !isTextItem() && !isButtonItem();
}

bool DVDMenuItem::isTitleSlot() const
{
    return !isStaticItem() && !isButtonItem();
}

bool DVDMenuItem::forceShowItem() const
{
    return DVDLibraryHooks::current()->forceShowItem(*this);
}

QImage DVDMenuItem::validStaticImage() const
{
    if (const ObjectRef target = jump()) {
        if (std::optional<QImage> offered = Platterkit::sendValidStaticImage(target.get()))
            return *offered;
    }
    return m_useStaticImage ? m_menuStaticImage : QImage();
}

QRectF DVDMenuItem::scaleRectIn(const QRectF &a, const QRectF &b)
{
    return platform::scaleRectIn(a, b);
}
