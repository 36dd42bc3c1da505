#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Helpers of the tests that show windows: screenshots for review, and a hand
// on the modal dialogs that the code under test runs with exec().
namespace WidgetShots {

// The folder the tests' screenshots go to: RINGVALE_SCREENSHOT_DIR from the
// environment, else build/screenshots. Made when missing.
inline QString folder()
{
    const QString dir
        = qEnvironmentVariable("RINGVALE_SCREENSHOT_DIR", QStringLiteral(RINGVALE_SCREENSHOT_DIR));
    QDir().mkpath(dir);
    return dir;
}

inline QString pathFor(const QString& name)
{
    return QDir(folder()).filePath(name);
}

// The window as drawn, with the given top-level helpers (a balloon, a
// pop-up) drawn over it where they stand on the screen.
inline QImage grabWithOverlays(QWidget* window, const QList<QWidget*>& overlays = {})
{
    QRect area = window->frameGeometry();
    for (const QWidget* overlay : overlays)
        area = area.united(overlay->geometry());
    QImage image(area.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPixmap(window->geometry().topLeft() - area.topLeft(), window->grab());
    for (QWidget* overlay : overlays) {
        const QPixmap picture = overlay->grab();
        painter.setClipRegion(overlay->mask().isEmpty()
                ? QRegion(overlay->geometry().translated(-area.topLeft()))
                : overlay->mask().translated(overlay->geometry().topLeft() - area.topLeft()));
        painter.drawPixmap(overlay->geometry().topLeft() - area.topLeft(), picture);
    }
    return image;
}

inline bool save(const QImage& image, const QString& name)
{
    return image.save(pathFor(name), "PNG");
}

inline bool save(QWidget* widget, const QString& name)
{
    return save(widget->grab().toImage(), name);
}

// Calls act with the next modal dialog as soon as it shows. The code under
// test runs the dialog's exec() after this; act must close the dialog.
inline void onNextModal(std::function<void(QWidget*)> act, int timeoutMs = 20000)
{
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, [timer, act, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

} // namespace WidgetShots
