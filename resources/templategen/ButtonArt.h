#pragma once

// The navigation button sets: each set is three transparent pictures (previous, next, play) drawn
// as one family, so a page's buttons always match.

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

namespace templategen {

enum class ButtonShape { Pill, RoundedSquare, Glass };
enum class ButtonGlyph { Previous, Next, Play };

struct ButtonSet
{
    QString name;
    ButtonShape shape;
    QColor top;     // fill gradient, top
    QColor bottom;  // fill gradient, bottom
    QColor glyph;   // arrow and triangle colour
    QColor outline; // thin edge line (transparent for none)
};

// Pictures are this size; the page places each button in an 80 x 50 point box.
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 48;

const QList<ButtonSet> &buttonSets();
const ButtonSet *findButtonSet(const QString &name);

QImage drawButton(const ButtonSet &set, ButtonGlyph glyph);

} // namespace templategen
