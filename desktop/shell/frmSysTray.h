#pragma once

#include "platform/widgets/TrayIcon.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>

// One icon in the notification area, from construction (shown) to
// destruction (removed). Texts are cut as the tray's fields hold them; the
// icon's clicks come out as the events below (1 left button, 2 right).
class frmSysTray : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kTipLength = 127;
    static constexpr qsizetype kBalloonTextLength = 255;
    static constexpr qsizetype kBalloonTitleLength = 63;

    explicit frmSysTray(QObject* parent = nullptr);
    ~frmSysTray() override;

    // The program's own picture and description, which a new icon shows.
    static QIcon DefaultIcon();
    static QString FileDescription();

    void ToolTip(const QString& sTip);
    // Sent only when it differs from the picture shown.
    void IconHandle(const QIcon& hIcon);
    // eIcon 1 information, 2 warning; a new balloon replaces the one shown.
    void ShowBalloonTip(const QString& sMessage, const QString& sTitle, qint32 eIcon, qint32 lTimeOutMs);
    // Removes an open balloon by taking the icon away and putting it back,
    // with the default picture and description.
    void CloseBalloone();

    bool isSystemTrayAvailable() const { return m_icon->isSystemTrayAvailable(); }
    TrayIcon& icon() { return *m_icon; }

signals:
    void SysTrayMouseDown(qint32 eButton);
    void SysTrayMouseUp(qint32 eButton);
    void SysTrayDoubleClick(qint32 eButton);
    void BalloonClicked();

private:
    void Register();
    void activated(TrayIcon::Activation reason);

    std::unique_ptr<TrayIcon> m_icon;
    qint64 m_iconKey = 0;
};

// text cut to at most length UTF-16 units, never inside a character.
QString CutTrayText(const QString& text, qsizetype length);
