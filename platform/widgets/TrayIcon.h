#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// One icon in the desktop's notification area. The program's is
// QSystemTrayIcon; tests install a recording one (SetTrayIconFactory).
class TrayIcon : public QObject {
    Q_OBJECT
public:
    enum class Activation { Trigger, DoubleClick, Context, Other };
    // The balloon's icons, as the callers number them.
    enum BalloonIcon { NoIcon = 0, Information = 1, Warning = 2 };

    using QObject::QObject;

    // A notification area is there to hold the icon.
    virtual bool isSystemTrayAvailable() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void setToolTip(const QString& tip) = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void showMessage(const QString& title, const QString& text, int balloonIcon, int timeoutMs) = 0;

signals:
    void activated(TrayIcon::Activation reason);
    void messageClicked();
};

// A new tray icon of the kind in use, not shown yet.
std::unique_ptr<TrayIcon> CreateTrayIcon();
// Makes factory the maker of tray icons; an empty one gives QSystemTrayIcon back.
void SetTrayIconFactory(std::function<std::unique_ptr<TrayIcon>()> factory);
