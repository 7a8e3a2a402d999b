#pragma once

#include "platform/Object.h"

#include <QImage>
#include <QSizeF>

class DVDMenuItem;

/**
 * A menu page as the authoring code sees it. DVDMenu is the one implementation.
 */
class DVDMenuPage
{
public:
    virtual ~DVDMenuPage() = default;

    // The element whose jump leads to this page; null for a main page.
    virtual ObjectRef parent() const = 0;
    // Seconds of one pass of the page.
    virtual double duration() const = 0;
    // 1 for a 16:9 page, 0 for 4:3.
    virtual qint64 aspectType() const = 0;
    virtual QSizeF menuSize() const = 0;
    // The page's picture at timeUs, at menuSize.
    virtual QImage imageAtTime(qint64 timeUs) = 0;
    // The page's elements, back to front.
    virtual QList<std::shared_ptr<DVDMenuItem>> items() const = 0;
};
