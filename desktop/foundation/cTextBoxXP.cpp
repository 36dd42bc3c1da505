#include "desktop/foundation/cTextBoxXP.h"

#include "platform/widgets/BalloonTip.h"

#include <QLineEdit>
#include <QPlainTextEdit>

void cTextBoxXP::setCueBanner(const QString& text)
{
    m_cueBanner = text;
    if (auto* line = qobject_cast<QLineEdit*>(m_box))
        line->setPlaceholderText(text);
    else if (auto* lines = qobject_cast<QPlainTextEdit*>(m_box))
        lines->setPlaceholderText(text);
}

void cTextBoxXP::ShowBalloonTip() const
{
    if (m_box)
        BalloonTip::showFor(m_box, m_balloonTipIcon, m_balloonTipTitle, m_balloonTipText);
}

void cTextBoxXP::HideBalloonTip() const
{
    if (m_box)
        BalloonTip::hideFor(m_box);
}
