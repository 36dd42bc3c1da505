#pragma once

#include "desktop/shell/WindowOpener.h"

#include <QStringList>

#include <functional>

// Keeps every load and show as "load NAME" and "show NAME PAGE"; installed as
// the window opener for its lifetime. onShow runs inside the show, as the
// modal window would be up.
class RecordingOpener final : public WindowOpener {
public:
    RecordingOpener() { SetWindowOpener(this); }
    ~RecordingOpener() override { SetWindowOpener(nullptr); }
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

    void Load(const QString& name) override { log << QStringLiteral("load ") + name; }
    void ShowModal(const QString& name, int page, QWidget*) override
    {
        log << QStringLiteral("show %1 %2").arg(name).arg(page);
        if (onShow)
            onShow();
    }

    QStringList shown() const { return log.filter(QStringLiteral("show ")); }

    QStringList log;
    std::function<void()> onShow;
};
