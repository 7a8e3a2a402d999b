#pragma once

// The common kit every part of the application reaches for: time strings, rectangle geometry,
// picture drawing, change notices on the main thread, the SHA-256 name of a path, the system
// version and background work. A facade of class methods over the topic files beside it
// (TimeText, RectGeometry, ImageDrawing, BackgroundWork); no state of its own. Pure functions
// unless said otherwise; any thread.

#include "app/AppExtention/Function/BackgroundWork.h"
#include "app/AppExtention/Function/ImageDrawing.h"
#include "app/AppExtention/Function/RectGeometry.h"
#include "app/AppExtention/Function/TimeText.h"

#include <QString>
#include <cstdint>

class CommonFunction
{
public:
    CommonFunction() = delete;

    // --- Time strings --------------------------------------------------------------------
    static QString timeStrFromSecond(double seconds)
    {
        return Discwright::TimeText::timeStrFromSecond(seconds);
    }
    static QString timeStrFromMsSecond(double seconds)
    {
        return Discwright::TimeText::timeStrFromMsSecond(seconds);
    }
    static QString shortTimeStrFromSecond(double seconds)
    {
        return Discwright::TimeText::shortTimeStrFromSecond(seconds);
    }

    // --- Path name -----------------------------------------------------------------------
    // The SHA-256 of the string's UTF-8 bytes as 64 lower-case hexadecimal digits: the stable
    // resource name of a clip's source path.
    static QString shaString(const QString &string);

    // --- Rectangle geometry --------------------------------------------------------------
    static QRectF rectForCenter(QPointF center, QSizeF size)
    {
        return Discwright::RectGeometry::rectForCenterSize(center, size);
    }
    static QRectF rectForPoint(QPointF a, QPointF b)
    {
        return Discwright::RectGeometry::rectForPointOther(a, b);
    }
    static QPointF centerForRect(const QRectF &rect)
    {
        return Discwright::RectGeometry::centerForRect(rect);
    }
    static QRectF scaleRectIn(const QRectF &r, const QRectF &box)
    {
        return Discwright::RectGeometry::scaleRectIn(r, box);
    }
    static QRectF scaleRectFull(const QRectF &r, const QRectF &box)
    {
        return Discwright::RectGeometry::scaleRectFull(r, box);
    }
    static QRectF scaleRectContain(const QRectF &r, const QRectF &box)
    {
        return Discwright::RectGeometry::scaleRectContain(r, box);
    }
    static QRectF scaleRectMinLength(const QRectF &r, float length)
    {
        return Discwright::RectGeometry::scaleRectMinLength(r, length);
    }
    static float convertLength(float length, float scale)
    {
        return Discwright::RectGeometry::convertLengthScale(length, scale);
    }
    static QSizeF convertSize(QSizeF size, float scale)
    {
        return Discwright::RectGeometry::convertSizeScale(size, scale);
    }
    static QPointF convertPoint(QPointF point, float scale)
    {
        return Discwright::RectGeometry::convertPointScale(point, scale);
    }
    static QRectF convertRect(const QRectF &rect, float scale)
    {
        return Discwright::RectGeometry::convertRectScale(rect, scale);
    }
    static float minOfOne(float one, float two, float three, float four)
    {
        return Discwright::RectGeometry::minOfFour(one, two, three, four);
    }
    static float maxOfOne(float one, float two, float three, float four)
    {
        return Discwright::RectGeometry::maxOfFour(one, two, three, four);
    }

    // --- Angles and perspective ----------------------------------------------------------
    static float angleForPoint(QPointF vector)
    {
        return Discwright::RectGeometry::angleForPoint(vector);
    }
    static QPointF pointForLength(float length, float angle)
    {
        return Discwright::RectGeometry::pointForLengthAngle(length, angle);
    }
    static float lengthForFixed(QPointF fixed, QPointF oldDrag, QPointF drag)
    {
        return Discwright::RectGeometry::lengthForFixedOldDragDrag(fixed, oldDrag, drag);
    }
    static QPointF convertPointFromTransform(QPointF point, const QMatrix4x4 &transform)
    {
        return Discwright::RectGeometry::convertPointFromTransform(point, transform);
    }
    static QPointF convertPointToTransform(QPointF point, const QMatrix4x4 &transform)
    {
        return Discwright::RectGeometry::convertPointToTransform(point, transform);
    }
    static float widthForLength(float length, const QMatrix4x4 &transform)
    {
        return Discwright::RectGeometry::widthForLength(length, transform);
    }
    static float heightForLength(float length, const QMatrix4x4 &transform)
    {
        return Discwright::RectGeometry::heightForLength(length, transform);
    }
    static QRectF rectForPoint(QPointF a, QPointF b, const QMatrix4x4 &transform)
    {
        return Discwright::RectGeometry::rectForPointOtherTransform(a, b, transform);
    }

    // --- Drawing -------------------------------------------------------------------------
    static void drawImageInRect(QPainter &painter, const QImage &image, const QRectF &rect)
    {
        Discwright::ImageDrawing::drawImageInRect(painter, image, rect);
    }
    static QImage rotateImage(const QImage &image, QSize size, float degrees)
    {
        return Discwright::ImageDrawing::rotateImage(image, size, degrees);
    }
    static void drawTitleAtRect(QPainter &painter,
                                const QRectF &rect,
                                const QString &text,
                                int fontSize,
                                const QColor &color)
    {
        Discwright::ImageDrawing::drawTitleAtRect(painter, rect, text, fontSize, color);
    }
    static QImage getNoScaledImage(const QImage &tile, QSize size)
    {
        return Discwright::ImageDrawing::getNoScaledImage(tile, size);
    }

    // --- Change notices, background work, timing ----------------------------------------
    static void flushObject(const ObjectRef &object, const QString &key)
    {
        Discwright::BackgroundWork::flushObject(object, key);
    }
    static void performInBackground(std::function<void()> work)
    {
        Discwright::BackgroundWork::performInBackground(std::move(work));
    }
    static void timeBlock(const std::function<void()> &block)
    {
        Discwright::BackgroundWork::timeBlock(block);
    }
    static void timeProfileBlock(const std::function<void()> &block)
    {
        Discwright::BackgroundWork::timeProfileBlock(block);
    }

    // --- System version ------------------------------------------------------------------
    // The operating system's major, minor and bug-fix numbers. Only when all three are known are
    // the non-null outputs written; false and nothing written otherwise.
    static bool getSystemVersion(std::uint32_t *major, std::uint32_t *minor, std::uint32_t *bugFix);
    // Whether the system is the one old release (10.6) whose encoder list lacks a format; never
    // true here.
    static bool OSIsSnowLeopard();
};
