#include "app/AppExtention/DiscwrightLibraryHooks.h"

#include "app/AppExtention/DVDMenuDrawCustomItem.h"
#include "app/AppExtention/DVDMenuImageGeneratorCustomImage.h"

#include <QDir>
#include <QFileInfo>

DiscwrightLibraryHooks::DiscwrightLibraryHooks(QString resourcesFolder)
    : m_resourcesFolder(resourcesFolder.isEmpty() ? DVDLibraryHooks::bundleResourcesPath()
                                                  : std::move(resourcesFolder))
{}

bool DiscwrightLibraryHooks::forceShowItem(const DVDMenuItem &) const
{
    return true;
}

qint64 DiscwrightLibraryHooks::backgroundImageDrawMode(const DVDMenu &) const
{
    return 1;
}

ObjectRef DiscwrightLibraryHooks::menuPlayJump(const DVDMenu &) const
{
    return nullptr;
}

QString DiscwrightLibraryHooks::resourcePath() const
{
    const QString path = QDir(m_resourcesFolder).filePath(QStringLiteral("menu_template_old"));
    return QFileInfo(path).isDir() ? path : QString();
}

bool DiscwrightLibraryHooks::loadNewTemplate() const
{
    return false;
}

bool DiscwrightLibraryHooks::drawDVDMenuImageSizeName(const DVDMenuImageGenerator &generator,
                                                      QSizeF size,
                                                      const QString &name,
                                                      QPainter &context) const
{
    DVDMenuImageGeneratorCustomImage::drawDVDMenuImageSizeName(generator, size, name, context);
    return true;
}

void DiscwrightLibraryHooks::fillPageJumpImage(const DVDMenu &target,
                                               DVDMenuItem &item,
                                               qint64 timeUs,
                                               QPainter *context) const
{
    DVDMenuDrawCustomItem::itemFillImageAtTimeContext(target, item, timeUs, context);
}
