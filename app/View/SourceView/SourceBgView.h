#pragma once

// The backdrop of the title area behind the list's scroll view: a dark fill with a two-tone edge
// on its right. Files dropped on it join the list as new titles at its end, through the handler
// the controller installs. Main thread.

#include <QStringList>
#include <QWidget>
#include <functional>

class SourceBgView : public QWidget
{
    Q_OBJECT
public:
    explicit SourceBgView(QWidget *parent = nullptr);

    // Takes the files of a drop; without one, the backdrop refuses files.
    void setFilesDropped(std::function<void(const QStringList &)> handler)
    {
        m_filesDropped = std::move(handler);
    }

    // Files are refused while the window shows a sheet or the application a modal window.
    bool acceptsFileDrops() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::function<void(const QStringList &)> m_filesDropped;
};
