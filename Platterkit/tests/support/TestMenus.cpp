#include "TestMenus.h"

namespace testing_support {

DVDMenuItemRef makeTitleSlot(const QRectF &frame)
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(frame);
    auto frameResource = std::make_shared<DVDLibraryFrameResource>();
    frameResource->setName(QStringLiteral("gold"));
    frameResource->setFrame(QStringLiteral("Frame/gold/frame.png"));
    frameResource->setMask(QStringLiteral("Frame/gold/mask.png"));
    item->setFrameResource(frameResource);
    item->setUseFrame(true);
    return item;
}

DVDMenuItemRef makeButton(const QString &type, const QString &set)
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(QRectF(type == QLatin1String("pre")    ? 20
                          : type == QLatin1String("next") ? 540
                                                          : 280,
                          20,
                          80,
                          50));
    auto button = std::make_shared<DVDLibraryButtonResource>();
    button->setName(QStringLiteral("%1-%2").arg(set, type));
    button->setPath(QStringLiteral("Button/%1/%2Btn.png").arg(set, type));
    item->setButtonResource(button);
    return item;
}

DVDMenuItemRef makeStatic()
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(QRectF(0, 440, 640, 40));
    return item;
}

DVDMenuRef makeTemplatePage(int slotCount,
                            bool withButtons,
                            qint64 aspectType,
                            const QString &name,
                            const QString &category)
{
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(DVDMenu::menuSizeForAspectType(aspectType));
    page->setName(name);
    page->setCategory(category);
    page->setDuration(15.0);
    DVDMenuItemList items;
    for (int i = 0; i < slotCount; ++i)
        items.append(makeTitleSlot(QRectF(40 + i * 180, 300, 160, 120)));
    if (withButtons) {
        items.append(makeButton(QStringLiteral("pre")));
        items.append(makeButton(QStringLiteral("next")));
        items.append(makeButton(QStringLiteral("play")));
    }
    page->setItems(items);
    return page;
}

DVDMenuItemList titleSlots(const DVDMenuRef &page)
{
    DVDMenuItemList found;
    for (const auto &item : page->items()) {
        if (item->isTitleSlot())
            found.append(item);
    }
    return found;
}

void leadTo(const DVDMenuItemRef &item, const std::shared_ptr<TestTitleVideo> &title)
{
    item->setJump(title);
    for (const ObjectRef &chapter : title->chapters()) {
        auto chapterVideo = std::dynamic_pointer_cast<TestChapterVideo>(chapter);
        ObjectList leading = chapterVideo->titles();
        leading.append(item);
        chapterVideo->setTitles(leading);
    }
}

} // namespace testing_support
