#pragma once

// One chapter tile of the chapter editor's column: the still at the chapter point, the chapter's
// name and its time in an editable field. Typing a time and ending the edit (Return, or the focus
// leaving the field) moves the marker there, limited by its neighbours. The tile does not own its
// marker; the chapter editor owns the tile (its markerItemViewArray). Main thread.

#include "app/AppExtention/Convert/MarkerItem.h"

#include <QImage>
#include <QWidget>

class QLineEdit;

class ChapterSingleView : public QWidget
{
    Q_OBJECT
public:
    explicit ChapterSingleView(QWidget *parent = nullptr);

    MarkerItemRef marker() const { return m_marker.lock(); }
    void setMarker(const MarkerItemRef &marker) { m_marker = marker; }
    QLineEdit *timeField() const { return m_timeField; }
    QImage previewImage() const { return m_previewImage; }
    qint64 chapterIndex() const { return m_chapterIndex; }
    // "Chapter %ld" of chapterIndex + 1.
    QString chapterName() const;

    // Time, index and still again.
    void initAllControl();
    // Applies a time typed and not yet applied; nothing when the field was not edited.
    void commitTypedTime();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void p_updateTimeField();
    void controlTextDidEndEditing();

    std::weak_ptr<MarkerItem> m_marker;
    QLineEdit *m_timeField = nullptr;
    QImage m_previewImage;
    qint64 m_chapterIndex = 0;
};
