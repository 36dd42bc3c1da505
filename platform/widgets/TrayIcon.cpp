#include "platform/widgets/TrayIcon.h"

#include <QSystemTrayIcon>

namespace {

class SystemTrayIcon final : public TrayIcon {
public:
    SystemTrayIcon()
    {
        connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            switch (reason) {
            case QSystemTrayIcon::Trigger:
                emit activated(Activation::Trigger);
                break;
            case QSystemTrayIcon::DoubleClick:
                emit activated(Activation::DoubleClick);
                break;
            case QSystemTrayIcon::Context:
                emit activated(Activation::Context);
                break;
            default:
                emit activated(Activation::Other);
                break;
            }
        });
        connect(&m_icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
    }

    bool isSystemTrayAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void show() override { m_icon.show(); }
    void hide() override { m_icon.hide(); }
    void setToolTip(const QString& tip) override { m_icon.setToolTip(tip); }
    void setIcon(const QIcon& icon) override { m_icon.setIcon(icon); }
    void showMessage(const QString& title, const QString& text, int balloonIcon, int timeoutMs) override
    {
        const QSystemTrayIcon::MessageIcon icon = balloonIcon == Warning ? QSystemTrayIcon::Warning
            : balloonIcon == Information                                 ? QSystemTrayIcon::Information
                                                                         : QSystemTrayIcon::NoIcon;
        m_icon.showMessage(title, text, icon, timeoutMs);
    }

private:
    QSystemTrayIcon m_icon;
};

std::function<std::unique_ptr<TrayIcon>()>& installedFactory()
{
    static std::function<std::unique_ptr<TrayIcon>()> factory;
    return factory;
}

} // namespace

std::unique_ptr<TrayIcon> CreateTrayIcon()
{
    if (const auto& factory = installedFactory())
        return factory();
    return std::make_unique<SystemTrayIcon>();
}

void SetTrayIconFactory(std::function<std::unique_ptr<TrayIcon>()> factory)
{
    installedFactory() = std::move(factory);
}
