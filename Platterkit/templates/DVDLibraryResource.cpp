#include "Platterkit/templates/DVDLibraryResource.h"

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/TemplateImages.h"
#include "Platterkit/templates/TemplateLog.h"
#include "platform/AtomicFile.h"
#include "platform/GeometryText.h"
#include "platform/PropertyList.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>

namespace {

// Orders names as a person reads them: digit runs compare by value, so template "2" comes before
// "10"; otherwise case-insensitively, then exactly, so the order never depends on the disk.
bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ie = i, je = j;
            while (ie < a.size() && a[ie].isDigit())
                ++ie;
            while (je < b.size() && b[je].isDigit())
                ++je;
            // Compare the runs as numbers of any length: strip leading zeros, then length, then text.
            QStringView ra = QStringView(a).mid(i, ie - i), rb = QStringView(b).mid(j, je - j);
            while (ra.size() > 1 && ra.front() == u'0')
                ra = ra.mid(1);
            while (rb.size() > 1 && rb.front() == u'0')
                rb = rb.mid(1);
            if (ra.size() != rb.size())
                return ra.size() < rb.size();
            if (const int c = ra.compare(rb); c != 0)
                return c < 0;
            i = ie;
            j = je;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

// The visible entries of a folder of one kind (folders or files), in natural name order. Hidden
// entries (".DS_Store" and the like, left by file managers) are not templates.
QStringList listEntries(const QString &folder, QDir::Filters kind)
{
    QDir dir(folder);
    if (!dir.exists())
        return {};
    QStringList names = dir.entryList(kind | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

// "Blue-3.plist" -> "Blue-3"; a name without a dot stays as it is.
QString withoutExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.left(dot) : fileName;
}

// Menu pages are at most 854 x 576 points in any layout. A template page far larger is damaged
// or hostile: every picture drawn for it would take memory by the gigabyte.
constexpr double kMaxPageWidth = 2 * 854;
constexpr double kMaxPageHeight = 2 * 576;

// A name that can become one file name inside a folder we write.
bool isSafeFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(u'/') && !name.contains(QChar(0));
}

} // namespace

std::shared_ptr<DVDLibraryResource> DVDLibraryResource::share()
{
    static const auto library = [] {
        auto made = std::make_shared<DVDLibraryResource>();
        made->load();
        return made;
    }();
    return library;
}

bool DVDLibraryResource::load()
{
    const QString folder = resourcePath();
    return loadNewTemplate() ? loadMenuResourceTemplate(folder) : loadOldTemplate(folder);
}

QString DVDLibraryResource::resourcePath() const
{
    return DVDLibraryHooks::current()->resourcePath();
}

bool DVDLibraryResource::loadNewTemplate() const
{
    return DVDLibraryHooks::current()->loadNewTemplate();
}

void DVDLibraryResource::noteError(const QString &message)
{
    qCWarning(Platterkit::lcTemplates).noquote() << message;
    QMutexLocker locker(&m_lock);
    m_errors.append(message);
}

QString DVDLibraryResource::lastError() const
{
    QMutexLocker locker(&m_lock);
    return m_errors.join(QLatin1Char('\n'));
}

bool DVDLibraryResource::startLoad(const QString &folder)
{
    {
        QMutexLocker locker(&m_lock);
        m_errors.clear();
    }
    setButtons({});
    setFrames({});
    setBackgrounds({});
    setMenus({});
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        noteError(folder.isEmpty()
                      ? QStringLiteral("There is no menu template folder.")
                      : QStringLiteral("The menu template folder %1 does not exist.").arg(folder));
        return false;
    }
    return true;
}

bool DVDLibraryResource::loadOldTemplate(const QString &folder)
{
    if (!startLoad(folder))
        return false;
    const QDir root(folder);

    QList<std::shared_ptr<DVDLibraryButtonResource>> buttons;
    for (const QString &set : listEntries(root.filePath(QStringLiteral("Button")), QDir::Dirs)) {
        const std::pair<const char *, const char *> kinds[]
            = {{"preBtn.png", "-pre"}, {"nextBtn.png", "-next"}, {"playBtn.png", "-play"}};
        for (const auto &[file, suffix] : kinds) {
            auto button = std::make_shared<DVDLibraryButtonResource>();
            button->setPath(QStringLiteral("Button/%1/%2").arg(set, QLatin1String(file)));
            button->setName(set + QLatin1String(suffix));
            buttons.append(button);
        }
    }
    setButtons(buttons);

    QList<std::shared_ptr<DVDLibraryFrameResource>> frames;
    for (const QString &name : listEntries(root.filePath(QStringLiteral("Frame")), QDir::Dirs)) {
        auto frame = std::make_shared<DVDLibraryFrameResource>();
        frame->setName(name);
        frame->setFrame(QStringLiteral("Frame/%1/frame.png").arg(name));
        frame->setMask(QStringLiteral("Frame/%1/mask.png").arg(name));
        frames.append(frame);
    }
    setFrames(frames);

    QList<std::shared_ptr<DVDMenu>> menus;
    QList<std::shared_ptr<DVDMenuBackgroundResource>> backgrounds;
    const QString menuFolder = root.filePath(QStringLiteral("Menu"));
    for (const QString &category : listEntries(menuFolder, QDir::Dirs)) {
        const QDir categoryDir(QDir(menuFolder).filePath(category));
        for (const QString &name : listEntries(categoryDir.path(), QDir::Dirs)) {
            const QDir templateDir(categoryDir.filePath(name));
            auto background = std::make_shared<DVDMenuBackgroundResource>();
            background->setIsResource(true);
            background->setPath(QStringLiteral("Menu/%1/%2/Background.png").arg(category, name));
            background->setName(QStringLiteral("%1-%2").arg(category, name));

            auto page = std::make_shared<DVDMenu>();
            page->setBackgroundResource(background);
            page->setThumbnailPath(templateDir.absoluteFilePath(QStringLiteral("Thumbnail.png")));
            page->setCategory(category);
            page->setName(name);
            page->setDuration(15.0);

            QString error;
            const QString plistPath = templateDir.filePath(QStringLiteral("Template.plist"));
            const QVariant layouts = platform::PropertyList::fromFile(plistPath, &error);
            if (!layouts.isValid()) {
                noteError(QStringLiteral("The menu template %1/%2 has no readable layout: %3")
                              .arg(category, name, error));
            } else if (layouts.typeId() != QMetaType::QVariantMap) {
                noteError(QStringLiteral("The menu template %1/%2 has a layout that is not a "
                                         "dictionary.")
                              .arg(category, name));
            }
            const QVariantMap dict = layouts.toMap();
            const auto wide = menuDictSize(*page,
                                           dict.value(QStringLiteral("FrameRate169")),
                                           DVDMenu::menuSizeForAspectType(1));
            const auto standard = menuDictSize(*page,
                                               dict.value(QStringLiteral("FrameRate43")),
                                               DVDMenu::menuSizeForAspectType(0));
            if (wide)
                menus.append(wide);
            if (standard)
                menus.append(standard);
            backgrounds.append(background);
        }
    }
    setMenus(menus);
    setBackgrounds(backgrounds);
    qCDebug(Platterkit::lcTemplates)
        << "loaded" << menus.size() << "template pages," << buttons.size() << "buttons and"
        << frames.size() << "frames from" << folder;
    return true;
}

std::shared_ptr<DVDMenu>
DVDLibraryResource::menuDictSize(const DVDMenu &page, const QVariant &dict, QSizeF size) const
{
    if (dict.typeId() != QMetaType::QVariantMap)
        return nullptr;
    const QVariantMap layout = dict.toMap();
    const double w = size.width(), h = size.height();

    QList<std::shared_ptr<DVDMenuItem>> items;
    for (const QVariant &entry : layout.value(QStringLiteral("Frame")).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap frameDict = entry.toMap();
        const QRectF fraction
            = platform::rectFromString(frameDict.value(QStringLiteral("FrameRect")).toString());
        auto item = std::make_shared<DVDMenuItem>();
        item->setFrame(QRectF(
            fraction.x() * w, fraction.y() * h, fraction.width() * w, fraction.height() * h));
        item->setFrameResource(
            frameResourceForPath(frameDict.value(QStringLiteral("FrameName")).toString()));
        items.append(item);
    }
    items.append(dictPointNameSize(
        layout, QStringLiteral("PreButtonPoint"), QStringLiteral("PreButtonName"), size));
    items.append(dictPointNameSize(
        layout, QStringLiteral("NextButtonPoint"), QStringLiteral("NextButtonName"), size));
    items.append(dictPointNameSize(
        layout, QStringLiteral("PlayButtonPoint"), QStringLiteral("PlayButtonName"), size));

    auto made = page.copyMenu();
    if (!made)
        return nullptr;
    made->setMenuSize(size);
    made->setItems(items);
    return made;
}

std::shared_ptr<DVDMenuItem> DVDLibraryResource::dictPointNameSize(const QVariantMap &dict,
                                                                   const QString &pointKey,
                                                                   const QString &nameKey,
                                                                   QSizeF size) const
{
    // Buttons have one size on every page; only their place is proportional.
    const QPointF fraction = platform::pointFromString(dict.value(pointKey).toString());
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(QRectF(fraction.x() * size.width(), fraction.y() * size.height(), 80, 50));
    item->setButtonResource(buttonResourceForPath(dict.value(nameKey).toString()));
    return item;
}

bool DVDLibraryResource::loadMenuResourceTemplate(const QString &folder)
{
    if (!startLoad(folder))
        return false;
    const QDir root(folder);

    QList<std::shared_ptr<DVDLibraryButtonResource>> buttons;
    for (const QString &file : listEntries(root.filePath(QStringLiteral("buttons")), QDir::Files)) {
        auto button = std::make_shared<DVDLibraryButtonResource>();
        button->setPath(QStringLiteral("buttons/%1").arg(file));
        button->setName(withoutExtension(file));
        buttons.append(button);
    }
    setButtons(buttons);

    QList<std::shared_ptr<DVDLibraryFrameResource>> frames;
    for (const QString &file : listEntries(root.filePath(QStringLiteral("frames")), QDir::Files)) {
        if (!file.endsWith(QLatin1String("-frame.png")))
            continue;
        const QString name = file.section(u'-', 0, 0);
        auto frame = std::make_shared<DVDLibraryFrameResource>();
        frame->setName(name);
        frame->setFrame(QStringLiteral("frames/%1-frame.png").arg(name));
        frame->setMask(QStringLiteral("frames/%1-mask.png").arg(name));
        frames.append(frame);
    }
    setFrames(frames);

    QList<std::shared_ptr<DVDMenuBackgroundResource>> backgrounds;
    for (const QString &file :
         listEntries(root.filePath(QStringLiteral("backgrounds")), QDir::Files)) {
        auto background = std::make_shared<DVDMenuBackgroundResource>();
        background->setIsResource(true);
        background->setName(withoutExtension(file));
        background->setPath(QStringLiteral("backgrounds/%1").arg(file));
        backgrounds.append(background);
    }
    setBackgrounds(backgrounds);

    QList<std::shared_ptr<DVDMenu>> menus;
    const QDir menuDir(root.filePath(QStringLiteral("menus")));
    for (const QString &file : listEntries(menuDir.path(), QDir::Files)) {
        if (auto page = menuFromPageFile(menuDir.filePath(file), file))
            menus.append(page);
    }
    setMenus(menus);
    qCDebug(Platterkit::lcTemplates)
        << "loaded" << menus.size() << "template pages," << buttons.size() << "buttons and"
        << frames.size() << "frames from" << folder;
    return true;
}

std::shared_ptr<DVDMenu> DVDLibraryResource::menuFromPageFile(const QString &path,
                                                              const QString &fileName)
{
    QString error;
    const QVariant plist = platform::PropertyList::fromFile(path, &error);
    if (plist.typeId() != QMetaType::QVariantMap) {
        noteError(
            QStringLiteral("The menu template page %1 cannot be read: %2")
                .arg(path, error.isEmpty() ? QStringLiteral("it is not a dictionary") : error));
        return nullptr;
    }
    const QVariantMap dict = plist.toMap();
    auto page = std::make_shared<DVDMenu>();
    page->setBackgroundImageDrawMode(1);
    // "Blue-3.plist" is page 3 of template Blue: the last two characters number the page.
    QString name = withoutExtension(fileName);
    if (name.size() >= 3)
        name.chop(2);
    page->setName(name);
    page->setMenuSizeObject(dict.value(QStringLiteral("menuSize")).toString());
    if (const QSizeF size = page->menuSize();
        size.width() > kMaxPageWidth || size.height() > kMaxPageHeight) {
        noteError(QStringLiteral("The menu template page %1 is %2 x %3 points; menu pages are at "
                                 "most 854 x 576.")
                      .arg(path)
                      .arg(size.width())
                      .arg(size.height()));
        return nullptr;
    }
    page->setBackgroundImageRectObject(
        dict.value(QStringLiteral("backgroundImageRect")).toString());
    page->setBackgroundResource(
        backgroundResourceForPath(dict.value(QStringLiteral("bgName")).toString()));

    QList<std::shared_ptr<DVDMenuItem>> items;
    for (const QVariant &entry : dict.value(QStringLiteral("items")).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap itemDict = entry.toMap();
        auto item = std::make_shared<DVDMenuItem>();
        item->setFrameObject(itemDict.value(QStringLiteral("frame")).toString());
        item->setRotation(itemDict.value(QStringLiteral("rotation")).toDouble());
        item->setLevel(itemDict.value(QStringLiteral("level")).toInt());
        if (itemDict.value(QStringLiteral("itemBehind")).toBool())
            item->setLevel(-100);
        item->setFrameResource(
            frameResourceForPath(itemDict.value(QStringLiteral("frameName")).toString()));
        item->setButtonResource(
            buttonResourceForPath(itemDict.value(QStringLiteral("buttonName")).toString()));
        if (itemDict.contains(QStringLiteral("textInfo")))
            loadMenuTextItemWithInfo(*item, itemDict.value(QStringLiteral("textInfo")));
        items.append(item);
    }
    page->setItems(items);
    return page;
}

std::shared_ptr<DVDMenu> DVDLibraryResource::defaultMenu() const
{
    const auto pages = menus();
    if (pages.isEmpty())
        return nullptr;
    return pages.at(QRandomGenerator::global()->bounded(pages.size()));
}

std::shared_ptr<DVDMenu> DVDLibraryResource::dvdMenuForIdentifier(const QString &identifier) const
{
    const auto pages = menus();
    for (auto it = pages.crbegin(); it != pages.crend(); ++it) {
        if (*it && (*it)->identifier() == identifier)
            return *it;
    }
    return nullptr;
}

std::shared_ptr<DVDMenu> DVDLibraryResource::defaultMenuForAspectType(qint64 aspectType) const
{
    const auto pages = menus();
    for (auto it = pages.crbegin(); it != pages.crend(); ++it) {
        const auto &page = *it;
        if (page && page->aspectType() == aspectType && page->category() == QLatin1String("Cartoon")
            && page->name() == QLatin1String("10"))
            return page;
    }
    return nullptr;
}

std::shared_ptr<DVDLibraryFrameResource>
DVDLibraryResource::frameResourceForPath(const QString &path) const
{
    return findResourceIn(path, frames());
}

std::shared_ptr<DVDLibraryButtonResource>
DVDLibraryResource::buttonResourceForPath(const QString &path) const
{
    return findResourceIn(path, buttons());
}

std::shared_ptr<DVDMenuBackgroundResource>
DVDLibraryResource::backgroundResourceForPath(const QString &path) const
{
    return findResourceIn(path, backgrounds());
}

QImage DVDLibraryResource::imageWithName(const QString &relativePath) const
{
    return Platterkit::templateImageWithName(relativePath);
}

QString DVDLibraryResource::saveMenuResourceTemplate(const QString &rootPath)
{
    {
        QMutexLocker locker(&m_lock);
        m_errors.clear();
    }
    const QString root = !rootPath.isEmpty()
                             ? rootPath
                             : QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                                   .filePath(QStringLiteral("menu_template.plugin"));
    const QDir rootDir(root);
    bool complete = true;
    auto fileFor = [&](const QString &folder, const QString &name, const QString &suffix) {
        if (!isSafeFileName(name)) {
            noteError(QStringLiteral("The template resource name \"%1\" cannot be a file name.")
                          .arg(name));
            complete = false;
            return QString();
        }
        return rootDir.filePath(folder + QLatin1Char('/') + name + suffix);
    };

    if (!createDir(rootDir.filePath(QStringLiteral("buttons"))))
        return QString();
    for (const auto &button : buttons()) {
        const QString to
            = fileFor(QStringLiteral("buttons"), button->name(), QStringLiteral(".png"));
        if (!to.isEmpty() && !saveImagePathTo(button->path(), to))
            complete = false;
    }

    if (!createDir(rootDir.filePath(QStringLiteral("frames"))))
        return QString();
    for (const auto &frame : frames()) {
        const QString frameTo
            = fileFor(QStringLiteral("frames"), frame->name(), QStringLiteral("-frame.png"));
        const QString maskTo
            = fileFor(QStringLiteral("frames"), frame->name(), QStringLiteral("-mask.png"));
        if (!frameTo.isEmpty() && !saveImagePathTo(frame->frame(), frameTo))
            complete = false;
        if (!maskTo.isEmpty() && !saveImagePathTo(frame->mask(), maskTo))
            complete = false;
    }

    if (!createDir(rootDir.filePath(QStringLiteral("backgrounds"))))
        return QString();
    for (const auto &background : backgrounds()) {
        const QString to
            = fileFor(QStringLiteral("backgrounds"), background->name(), QStringLiteral(".png"));
        if (to.isEmpty())
            continue;
        // A user's picture lives in the resource itself, not in the template folder.
        const bool saved = background->isResource()
                               ? saveImagePathTo(background->path(), to)
                               : saveImageTo(background->backgroundImage(), to);
        complete = complete && saved;
    }

    if (!createDir(rootDir.filePath(QStringLiteral("menus"))))
        return QString();
    for (const auto &page : menus()) {
        const QString to
            = fileFor(QStringLiteral("menus"), page->identifier(), QStringLiteral(".plist"));
        if (to.isEmpty())
            continue;
        QString error;
        if (!platform::PropertyList::toFile(templateMenuToDict(*page), to, &error)) {
            noteError(QStringLiteral("Cannot write the template page %1: %2").arg(to, error));
            complete = false;
        }
    }
    return complete ? root : QString();
}

QVariantMap DVDLibraryResource::templateMenuToDict(const DVDMenu &menu) const
{
    QVariantMap dict;
    dict.insert(QStringLiteral("menuSize"), menu.menuSizeObject());
    dict.insert(QStringLiteral("backgroundImageRect"), menu.backgroundImageRectObject());
    if (const auto background = menu.backgroundResource();
        background && !background->name().isEmpty())
        dict.insert(QStringLiteral("bgName"), background->name());
    QVariantList items;
    for (const auto &item : menu.items()) {
        if (!item)
            continue;
        QVariantMap itemDict;
        itemDict.insert(QStringLiteral("frame"), item->frameObject());
        itemDict.insert(QStringLiteral("rotation"), item->rotation());
        itemDict.insert(QStringLiteral("level"), item->level());
        if (const auto frame = item->frameResource(); frame && !frame->name().isEmpty())
            itemDict.insert(QStringLiteral("frameName"), frame->name());
        if (const auto button = item->buttonResource(); button && !button->name().isEmpty())
            itemDict.insert(QStringLiteral("buttonName"), button->name());
        if (const QVariant info = menuTextItemInfo(*item); info.isValid())
            itemDict.insert(QStringLiteral("textInfo"), info);
        items.append(itemDict);
    }
    dict.insert(QStringLiteral("items"), items);
    return dict;
}

bool DVDLibraryResource::createDir(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        const bool removed = info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively()
                                                               : QFile::remove(path);
        if (!removed) {
            noteError(QStringLiteral("Cannot remove %1.").arg(path));
            return false;
        }
    }
    if (!QDir().mkpath(path)) {
        noteError(QStringLiteral("Cannot create the folder %1.").arg(path));
        return false;
    }
    return true;
}

bool DVDLibraryResource::saveImagePathTo(const QString &relativePath, const QString &destination)
{
    // Read as stored rather than through imageWithName: premultiplying and back would round the
    // colours of every half-transparent edge pixel.
    const QString root = resourcePath();
    const QImage image = root.isEmpty() || relativePath.isEmpty()
                             ? QImage()
                             : QImageReader(QDir(root).filePath(relativePath)).read();
    if (image.isNull()) {
        noteError(
            QStringLiteral("The template picture %1 is missing or unreadable.").arg(relativePath));
        return false;
    }
    return saveImageTo(image, destination);
}

bool DVDLibraryResource::saveImageTo(const QImage &image, const QString &destination)
{
    if (image.isNull()) {
        noteError(QStringLiteral("There is no picture to write to %1.").arg(destination));
        return false;
    }
    // Encoded in memory first, so that the platform's writer can name the cause of a failed
    // write (a full disk) instead of the encoder's "Unknown error".
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        noteError(QStringLiteral("Cannot encode the picture for %1.").arg(destination));
        return false;
    }
    QString error;
    if (!platform::writeFileAtomically(png, destination, &error)) {
        noteError(QStringLiteral("Cannot write the picture %1: %2").arg(destination, error));
        return false;
    }
    return true;
}

QVariant DVDLibraryResource::menuTextItemInfo(const DVDMenuItem &) const
{
    return QVariant();
}

void DVDLibraryResource::loadMenuTextItemWithInfo(DVDMenuItem &, const QVariant &) {}

QList<std::shared_ptr<DVDLibraryButtonResource>> DVDLibraryResource::buttons() const
{
    QMutexLocker locker(&m_lock);
    return m_buttons;
}

void DVDLibraryResource::setButtons(const QList<std::shared_ptr<DVDLibraryButtonResource>> &buttons)
{
    QMutexLocker locker(&m_lock);
    m_buttons = buttons;
}

QList<std::shared_ptr<DVDLibraryFrameResource>> DVDLibraryResource::frames() const
{
    QMutexLocker locker(&m_lock);
    return m_frames;
}

void DVDLibraryResource::setFrames(const QList<std::shared_ptr<DVDLibraryFrameResource>> &frames)
{
    QMutexLocker locker(&m_lock);
    m_frames = frames;
}

QList<std::shared_ptr<DVDMenuBackgroundResource>> DVDLibraryResource::backgrounds() const
{
    QMutexLocker locker(&m_lock);
    return m_backgrounds;
}

void DVDLibraryResource::setBackgrounds(
    const QList<std::shared_ptr<DVDMenuBackgroundResource>> &backgrounds)
{
    QMutexLocker locker(&m_lock);
    m_backgrounds = backgrounds;
}

QList<std::shared_ptr<DVDMenu>> DVDLibraryResource::menus() const
{
    QMutexLocker locker(&m_lock);
    return m_menus;
}

void DVDLibraryResource::setMenus(const QList<std::shared_ptr<DVDMenu>> &menus)
{
    QMutexLocker locker(&m_lock);
    m_menus = menus;
}
