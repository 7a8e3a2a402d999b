#include "app/AppExtention/Convert/DVDMenuItemFindTempEditData.h"

#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/model/DVDMenuTextResource.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/RectGeometry.h"
#include "platform/MainThread.h"

#include <algorithm>

namespace FindTempEditData {

TempEditDataRef getEditData(const DVDMenuItem &item)
{
    DW_ASSERT_MAIN_THREAD(return nullptr);
    const auto main = ControllerFunction::mainWndController();
    if (!main)
        return nullptr;
    const TempEditDataList records = main->tempDataArray();
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if (*it && (*it)->currentMedia().get() == &item)
            return *it;
    }
    return nullptr;
}

QRectF adjustRectFitSize(const QRectF &rect, QSizeF size)
{
    const QPointF center = Discwright::RectGeometry::centerForRect(rect);
    const double height = rect.width() * size.height() / std::max(size.width(), 1.0);
    return QRectF(rect.x(), center.y() - height / 2, rect.width(), height);
}

void updateItemFrameAutoFit(DVDMenuItem &item)
{
    QSizeF size;
    if (item.isTextItem()) {
        if (const DVDMenuTextResource *text = item.textResource())
            size = text->textSourceImage().size();
    } else if (item.isButtonItem()) {
        if (item.useStaticImage() && !item.menuStaticImage().isNull())
            size = item.menuStaticImage().size();
        else if (item.buttonResource())
            size = item.buttonResource()->image().size();
    } else {
        return;
    }
    // A missing picture has no proportion to fit to; fitting to it would flatten the element to
    // nothing on the page.
    if (size.isEmpty())
        return;
    item.setFrame(adjustRectFitSize(item.frame(), size));
}

} // namespace FindTempEditData
