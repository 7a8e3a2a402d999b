#include "app/Controller/TipViewController.h"

#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QLabel>
#include <QVBoxLayout>

TipViewController::TipViewController(QWidget *parent)
{
    DW_ASSERT_MAIN_THREAD();
    m_view = new QWidget(parent);
    m_view->setObjectName(nibName());
    auto *tip = new QLabel(m_view);
    tip->setObjectName(QStringLiteral("tipText"));
    tip->setWordWrap(true);
    tip->setFixedWidth(280);
    tip->setText(platform::localizedString(
        QStringLiteral("Add videos with Add Video, pick the disc type and quality until the gauge "
                       "fits, then press Burn.")));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(tip);
}
