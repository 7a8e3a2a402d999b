#pragma once

// The content of the main window's tip popover: a short hint on how a disc is made. It has no
// behaviour of its own; the main window controller creates it at start, owns it for its own life
// and shows its view in the popover. Main thread.

#include <QString>

class QWidget;

class TipViewController
{
public:
    // The view is made at once, as a child of parent (which owns it from then on).
    explicit TipViewController(QWidget *parent);

    // The name of the view's layout; also the view's object name.
    static QString nibName() { return QStringLiteral("TipViewController"); }
    QWidget *view() const { return m_view; }

private:
    QWidget *m_view = nullptr;
};
