#pragma once

// One title's row in the title list: its thumbnail, name and playing time, and the button that
// expands a title of several clips (or edits a title of one). The row paints and passes presses
// on; the list and its controller decide what they mean. It holds its title weakly: a title that
// leaves the list takes nothing of the row with it. Main thread.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/View/SourceView/SourceRowView.h"

#include <memory>

class QToolButton;

class DVDTitleView : public SourceRowView
{
    Q_OBJECT
public:
    DVDTitleView(const DVDTitleDataRef &data, QWidget *parent = nullptr);

    DVDTitleDataRef data() const { return m_data.lock(); }

    // Texts and the button again from the title (after an edit, a clip added or removed).
    void initTitleControls();

    QToolButton *expandButton() const { return m_expand; }
    // The picture the button shows: "expand_on", "expand_off", or "edit" for a one-clip title.
    QString expandImageName() const;

    // "hh:mm:ss" of the title's clips' trimmed durations; an offline clip counts 0 s.
    static QString titleTimeString(const DVDTitleData &title);

signals:
    void pressed(DVDTitleView *row, QPoint position);
    void doubleClicked(DVDTitleView *row);
    void expandClicked(DVDTitleView *row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    std::weak_ptr<DVDTitleData> m_data;
    QToolButton *m_expand = nullptr;
};
