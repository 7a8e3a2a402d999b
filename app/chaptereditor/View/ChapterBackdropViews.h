#pragma once

// The five plain backdrops that paint the chapter editor sheet's panels: fills and 1-point edge
// lines. A press on one takes the focus, which ends an edit in a tile's time field. Main thread.

#include <QWidget>

class ChapterBackdropView : public QWidget
{
    Q_OBJECT
public:
    enum class Kind {
        // Gradient grey 0.15 to 0.13 with the top edge lines.
        EditBack,
        // Grey 0.15 with the top edge lines.
        PlayCtrBack,
        // Grey 0.15 with the right edge lines.
        ListBack,
        // Grey 0.1.
        PlayAreaBack,
        // No fill, one top line of grey 0.05.
        EditBottomBack,
    };
    ChapterBackdropView(Kind kind, QWidget *parent = nullptr);
    Kind kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    Kind m_kind;
};

// The names the sheet's layout uses.
class ChapterEditBackView : public ChapterBackdropView
{
    Q_OBJECT
public:
    explicit ChapterEditBackView(QWidget *parent = nullptr)
        : ChapterBackdropView(Kind::EditBack, parent)
    {}
};

class ChapterPlayCtrBackView : public ChapterBackdropView
{
    Q_OBJECT
public:
    explicit ChapterPlayCtrBackView(QWidget *parent = nullptr)
        : ChapterBackdropView(Kind::PlayCtrBack, parent)
    {}
};

class ChapterListBackView : public ChapterBackdropView
{
    Q_OBJECT
public:
    explicit ChapterListBackView(QWidget *parent = nullptr)
        : ChapterBackdropView(Kind::ListBack, parent)
    {}
};

class ChapterPlayAreaBackView : public ChapterBackdropView
{
    Q_OBJECT
public:
    explicit ChapterPlayAreaBackView(QWidget *parent = nullptr)
        : ChapterBackdropView(Kind::PlayAreaBack, parent)
    {}
};

class ChapterEditBottomBackView : public ChapterBackdropView
{
    Q_OBJECT
public:
    explicit ChapterEditBottomBackView(QWidget *parent = nullptr)
        : ChapterBackdropView(Kind::EditBottomBack, parent)
    {}
};
