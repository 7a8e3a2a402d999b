#pragma once

#include <QRectF>
#include <QString>

// One button of a menu page's subpicture: the name dvdauthor gives its jump ("b<page><item>"),
// the element's place in the page, and its area in DVD pixels both y-up (as scaled) and as the
// y-down corners that spumux reads, and the names of the buttons the remote's arrows lead to (the
// button's own name where an arrow has nowhere to go).
struct SpumuxButton
{
    QString name;
    qsizetype itemIndex = -1;
    QRectF rect;
    double x0 = 0.0;
    double y0 = 0.0;
    double x1 = 0.0;
    double y1 = 0.0;
    QString up;
    QString down;
    QString left;
    QString right;
};
