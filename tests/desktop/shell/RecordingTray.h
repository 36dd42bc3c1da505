#pragma once

#include "platform/widgets/TrayIcon.h"

#include <QList>
#include <QString>

#include <functional>

// A tray icon that keeps every request in order, as "show", "hide",
// "tip <text>", "icon", "balloon <icon> <ms> <title>|<text>"; installed as the
// maker of tray icons for its lifetime. last is the newest icon made.
class RecordingTrays {
public:
    class Icon : public TrayIcon {
    public:
        explicit Icon(RecordingTrays& owner)
            : m_owner(owner)
        {
        }
        bool isSystemTrayAvailable() const override { return m_owner.available; }
        void show() override { record(QStringLiteral("show")); }
        void hide() override { record(QStringLiteral("hide")); }
        void setToolTip(const QString& tip) override { record(QStringLiteral("tip ") + tip); }
        void setIcon(const QIcon&) override { record(QStringLiteral("icon")); }
        void showMessage(const QString& title, const QString& text, int balloonIcon, int timeoutMs) override
        {
            record(QStringLiteral("balloon %1 %2 %3|%4").arg(balloonIcon).arg(timeoutMs).arg(title, text));
        }
        ~Icon() override
        {
            if (m_owner.last == this)
                m_owner.last = nullptr;
        }

        QStringList requests;

    private:
        void record(const QString& request)
        {
            requests << request;
            m_owner.all << request;
            if (m_owner.onRequest)
                m_owner.onRequest(request);
        }
        RecordingTrays& m_owner;
    };

    RecordingTrays()
    {
        SetTrayIconFactory([this] {
            auto icon = std::make_unique<Icon>(*this);
            last = icon.get();
            ++made;
            return icon;
        });
    }
    ~RecordingTrays() { SetTrayIconFactory({}); }
    RecordingTrays(const RecordingTrays&) = delete;
    RecordingTrays& operator=(const RecordingTrays&) = delete;

    // The balloons of every icon, in order.
    QStringList balloons() const { return all.filter(QStringLiteral("balloon ")); }

    // Called after each request is kept.
    std::function<void(const QString&)> onRequest;
    bool available = true;
    Icon* last = nullptr;
    int made = 0;
    QStringList all;
};
