#include "desktop/shell/frmSysTray.h"

#include <QPainter>
#include <QPixmap>

QString CutTrayText(const QString& text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    qsizetype cut = length;
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}

frmSysTray::frmSysTray(QObject* parent)
    : QObject(parent)
    , m_icon(CreateTrayIcon())
{
    connect(m_icon.get(), &TrayIcon::activated, this, &frmSysTray::activated);
    connect(m_icon.get(), &TrayIcon::messageClicked, this, &frmSysTray::BalloonClicked);
    Register();
}

frmSysTray::~frmSysTray()
{
    m_icon->hide();
}

QIcon frmSysTray::DefaultIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x2e, 0x7d, 0x32));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(1, 1, 30, 30));
        painter.setPen(QPen(Qt::white, 3));
        painter.drawArc(QRectF(8, 8, 16, 16), 30 * 16, 120 * 16);
        painter.drawArc(QRectF(12, 12, 8, 8), 30 * 16, 120 * 16);
        return QIcon(pixmap);
    }();
    return icon;
}

QString frmSysTray::FileDescription()
{
    return QStringLiteral("Ringvale caller ID");
}

void frmSysTray::Register()
{
    const QIcon icon = DefaultIcon();
    m_iconKey = icon.cacheKey();
    m_icon->setIcon(icon);
    m_icon->setToolTip(CutTrayText(FileDescription(), kTipLength));
    m_icon->show();
}

void frmSysTray::ToolTip(const QString& sTip)
{
    m_icon->setToolTip(CutTrayText(sTip, kTipLength));
}

void frmSysTray::IconHandle(const QIcon& hIcon)
{
    if (hIcon.cacheKey() == m_iconKey)
        return;
    m_iconKey = hIcon.cacheKey();
    m_icon->setIcon(hIcon);
}

void frmSysTray::ShowBalloonTip(
    const QString& sMessage, const QString& sTitle, qint32 eIcon, qint32 lTimeOutMs)
{
    m_icon->showMessage(CutTrayText(sTitle, kBalloonTitleLength), CutTrayText(sMessage, kBalloonTextLength),
        eIcon, lTimeOutMs);
}

void frmSysTray::CloseBalloone()
{
    m_icon->hide();
    Register();
}

void frmSysTray::activated(TrayIcon::Activation reason)
{
    switch (reason) {
    case TrayIcon::Activation::Trigger:
        emit SysTrayMouseDown(1);
        break;
    case TrayIcon::Activation::DoubleClick:
        emit SysTrayDoubleClick(1);
        break;
    case TrayIcon::Activation::Context:
        emit SysTrayMouseDown(2);
        emit SysTrayMouseUp(2);
        break;
    case TrayIcon::Activation::Other:
        break;
    }
}
