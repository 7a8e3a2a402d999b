#pragma once

// What a title row and a clip row of the title list share: the selection and focus look, and the
// thumbnail frame with the name and time beside it. Main thread.

#include <QString>
#include <QWidget>

class QPainter;

class SourceRowView : public QWidget
{
    Q_OBJECT
public:
    explicit SourceRowView(QWidget *parent = nullptr)
        : QWidget(parent)
    {}

    QString nameText() const { return m_name; }
    QString timeText() const { return m_time; }

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    // Whether the list has the keyboard focus; a selected row is filled brighter then.
    void setListFocused(bool focused);
    // The selection fill's alpha now: 0 unselected, 0.2 with the list focused, 0.1 without.
    double fillAlpha() const;

protected:
    void setTexts(const QString &name, const QString &time);
    // The selection fill, then the thumbnail frame at thumb with the name (nameSize points, bold
    // when asked) at y 5 and the time at y 33 to its right.
    void paintRow(QPainter &painter, const QRect &thumb, double nameSize, bool boldName) const;

private:
    QString m_name;
    QString m_time;
    bool m_selected = false;
    bool m_listFocused = false;
};
