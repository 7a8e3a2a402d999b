#include "Platterkit/model/DVDMenu.h"

#include "Platterkit/model/DLCustomDrawer.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "platform/Assert.h"
#include "platform/ClassRegistry.h"
#include "platform/FitRect.h"
#include "platform/GeometryText.h"

#include <algorithm>
#include <cmath>

DW_REGISTER_CLASS(DVDMenu)

DVDMenu::DVDMenu() = default;
DVDMenu::~DVDMenu() = default;

QStringList DVDMenu::allCoderKeys() const
{
    return {QStringLiteral("menuSizeObject"),
            QStringLiteral("duration"),
            QStringLiteral("items"),
            QStringLiteral("music"),
            QStringLiteral("parent"),
            QStringLiteral("backgroundResource"),
            QStringLiteral("thumbnailPath"),
            QStringLiteral("backgroundImageRectObject"),
            QStringLiteral("menu_drawer"),
            QStringLiteral("use_menu_drawer"),
            QStringLiteral("category"),
            QStringLiteral("name"),
            QStringLiteral("backgroundImageDrawMode")};
}

std::shared_ptr<platform::KeyedObject> DVDMenu::copy() const
{
    auto made = std::dynamic_pointer_cast<DVDMenu>(KeyedObject::copy());
    DW_ASSERT(made, return nullptr);
    QList<std::shared_ptr<DVDMenuItem>> copiedItems;
    copiedItems.reserve(m_items.size());
    for (const auto &item : m_items) {
        if (!item)
            continue;
        if (auto copied = item->copyItem())
            copiedItems.append(copied);
    }
    made->setItems(copiedItems);
    return made;
}

std::shared_ptr<DVDMenu> DVDMenu::copyMenu() const
{
    return std::dynamic_pointer_cast<DVDMenu>(copy());
}

QSizeF DVDMenu::menuSizeForAspectType(qint64 aspectType)
{
    return aspectType != 0 ? QSizeF(854, 480) : QSizeF(640, 480);
}

QString DVDMenu::menuSizeObject() const
{
    return platform::stringFromSize(m_menuSize);
}

void DVDMenu::setMenuSizeObject(const QString &text)
{
    m_menuSize = platform::sizeFromString(text);
}

void DVDMenu::setBackgroundResource(const std::shared_ptr<DVDMenuBackgroundResource> &resource)
{
    m_backgroundResource = resource;
}

QString DVDMenu::backgroundImageRectObject() const
{
    return platform::stringFromRect(m_backgroundImageRect);
}

void DVDMenu::setBackgroundImageRectObject(const QString &text)
{
    m_backgroundImageRect = platform::rectFromString(text);
}

DLCustomDrawer *DVDMenu::customDrawer() const
{
    return platform::conformsTo<DLCustomDrawer>(m_menuDrawer);
}

qint64 DVDMenu::backgroundImageDrawMode() const
{
    return DVDLibraryHooks::current()->backgroundImageDrawMode(*this);
}

QString DVDMenu::identifier() const
{
    if (!m_category.isEmpty())
        return QStringLiteral("%1-%2-%3").arg(m_category, m_name).arg(aspectType());
    return QStringLiteral("%1-%2").arg(m_name).arg(aspectType());
}

qint64 DVDMenu::aspectType() const
{
    double height = m_menuSize.height();
    if (std::isnan(height))
        height = 1.0;
    const double ratio = m_menuSize.width() / std::max(height, 1.0);
    // A NaN ratio (NaN width) is not within 0.1 of 4:3 either.
    return std::fabs(ratio - 4.0 / 3.0) < 0.1 ? 0 : 1;
}

QImage DVDMenu::backgroundImage() const
{
    QMutexLocker locker(&m_cacheLock);
    if (m_backgroundCache.isNull() && m_backgroundResource)
        m_backgroundCache = m_backgroundResource->backgroundImage();
    return m_backgroundCache;
}

void DVDMenu::updateBackgroundImage()
{
    QMutexLocker locker(&m_cacheLock);
    m_backgroundCache = QImage();
}

QImage DVDMenu::backgroundCache() const
{
    QMutexLocker locker(&m_cacheLock);
    return m_backgroundCache;
}

ObjectRef DVDMenu::menuPlayJump() const
{
    return DVDLibraryHooks::current()->menuPlayJump(*this);
}

ObjectRef DVDMenu::libraryMenuPlayJump() const
{
    for (const auto &item : m_items) {
        if (!item)
            continue;
        ObjectRef target = item->jump();
        if (target && !platform::conformsTo<DVDMenuPage>(target))
            return target;
    }
    return nullptr;
}

std::shared_ptr<DVDMenuItem> DVDMenu::buttonForButtonType(const QString &suffix) const
{
    std::shared_ptr<DVDMenuItem> found;
    for (const auto &item : m_items) {
        if (item && item->isButtonItem() && item->buttonResource()->name().endsWith(suffix))
            found = item;
    }
    return found;
}

QRectF DVDMenu::scaleRectIn(const QRectF &a, const QRectF &b)
{
    return platform::scaleRectIn(a, b);
}

QRectF DVDMenu::scaleRectFull(const QRectF &a, const QRectF &b)
{
    return platform::scaleRectFull(a, b);
}
