#pragma once

// One clip's row under an expanded title: its thumbnail, name and trimmed time. Held weakly, like
// the title row. Main thread.

#include "app/AppExtention/Convert/MediaData.h"
#include "app/View/SourceView/SourceRowView.h"

#include <memory>

class MediaDataView : public SourceRowView
{
    Q_OBJECT
public:
    MediaDataView(const MediaDataRef &media, QWidget *parent = nullptr);

    MediaDataRef media() const { return m_media.lock(); }

    // Texts again from the clip.
    void initAllControls();
    // The time after a trim in the video editor.
    void updateMediaDataTimeAfterEdit() { initAllControls(); }

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
};
