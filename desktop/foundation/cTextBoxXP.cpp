#include "desktop/foundation/cTextBoxXP.h"

#include "platform/widgets/BalloonTip.h"

void cTextBoxXP::setCueBanner(const QString& text)
{
    m_cueBanner = text;
    if (m_box)
        m_box->setPlaceholderText(text);
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
