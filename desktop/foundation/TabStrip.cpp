#include "desktop/foundation/TabStrip.h"

#include <QFrame>
#include <QTabBar>
#include <QVBoxLayout>

TabStrip::TabStrip(QWidget* parent)
    : QWidget(parent)
{
    m_bar = new QTabBar(this);
    m_bar->setObjectName(QStringLiteral("tabBar"));
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("pageArea"));
    frame->setFrameShape(QFrame::StyledPanel);
    m_area = frame;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bar);
    layout->addWidget(m_area, 1);
    // A click on any tab, the one in front included, is a TabClick.
    connect(m_bar, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0)
            emit TabClick(index + 1);
    });
}

void TabStrip::AddTab(const QString& caption, int icon, const QString& key)
{
    const QSignalBlocker quiet(m_bar);
    m_bar->addTab(m_images.value(icon), caption);
    m_keys << key;
}

void TabStrip::SelectTab(const QString& key)
{
    const qsizetype index = m_keys.indexOf(key);
    if (index < 0)
        return;
    m_bar->setCurrentIndex(int(index));
    emit TabClick(int(index) + 1);
}

QString TabStrip::SelectedKey() const
{
    return m_keys.value(m_bar->currentIndex());
}
