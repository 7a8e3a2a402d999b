#pragma once

// One clip's row under an expanded title: its thumbnail, name and trimmed time. Held weakly, like
// the title row. Main thread.

#include "app/AppExtention/Convert/MediaData.h"

#include <QWidget>
#include <memory>

class MediaDataView : public QWidget
{
    Q_OBJECT
public:
    MediaDataView(const MediaDataRef &media, QWidget *parent = nullptr);

    MediaDataRef media() const { return m_media.lock(); }

    // Texts again from the clip.
    void initAllControls();
    // The time after a trim in the video editor.
    void updateMediaDataTimeAfterEdit() { initAllControls(); }

    QString nameText() const { return m_name; }
    QString timeText() const { return m_time; }

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    void setListFocused(bool focused);
    double fillAlpha() const;

    // "hh:mm:ss" of the clip's trimmed duration; an offline clip (no movie) shows 0 s.
    static QString mediaTimeString(const MediaData &media);

signals:
    void pressed(MediaDataView *row, QPoint position);
    void doubleClicked(MediaDataView *row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    std::weak_ptr<MediaData> m_media;
    QString m_name;
    QString m_time;
    bool m_selected = false;
    bool m_listFocused = false;
};
