#pragma once

#include "desktop/settings/CallerPopUp.h"

#include <QObject>
#include <QPointer>

class QFrame;
class QLabel;
class QTimer;
class QWidget;

// The caller pop-up: a small borderless window in the top-left corner of the
// screen, above the others, out of the task bar, shown without taking the
// focus. One object for the program; its window is made by Load (or the first
// Display) and destroyed when it closes, so the members keep their values
// from one showing to the next. Geometry is kept in twips, 15 to the pixel.
class frmMessenger final : public QObject, public CallerPopUp {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr qint32 kWidthTwips = 2640;
    static constexpr qint32 kHeightTwips = 2805;
    // Wholly above the screen until Display places it.
    static constexpr qint32 kStoredTopTwips = -2850;

    frmMessenger();
    ~frmMessenger() override;
    frmMessenger(const frmMessenger&) = delete;
    frmMessenger& operator=(const frmMessenger&) = delete;

    // CallerPopUp
    void Load() override;
    void Unload() override;
    void SetTitle(const QString& title) override;
    void Display() override;
    bool IsLoaded() const override { return !m_window.isNull(); }
    void SetCallerName(const QString& text) override;
    void SetCallerNumber(const QString& text) override;
    void SetContact(const QString& text) override;
    void SetPicture(const QString& path) override;

    // Starts closing: slides out when bAnimate, else the window goes at once.
    void UnDisplay();
    // One step of the slide; one count of the close-after timer.
    void tmrAnimate_Timer();
    void tmrCloseAfter_Timer();

    // "ON" sliding in or shown, "OFF" sliding out; empty until the first
    // animated Display.
    QString sStat;

    // The window and its controls while it is there, else null.
    QWidget* window() const { return m_window; }
    qint64 TopTwips() const { return m_top; }
    qint32 CloseTicks() const { return lCloseTicks; }
    QLabel* Picture1 = nullptr;
    QLabel* imgTop = nullptr;
    QLabel* imgClose = nullptr;
    QLabel* lblTitle = nullptr;
    QFrame* Shape1 = nullptr;
    QLabel* imgContact = nullptr;
    QLabel* lblContact = nullptr;
    QLabel* lblCallerName = nullptr;
    QLabel* lblCallerNumber = nullptr;
    QLabel* imgMain = nullptr;
    QTimer* tmrAnimate = nullptr;
    QTimer* tmrCloseAfter = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void BuildControls();
    void ApplyLook();
    void Place(qint64 leftTwips, qint64 topTwips);
    void DestroyWindow();

    QPointer<QWidget> m_window;
    qint32 lCloseTicks = 0;
    qint64 m_left = 0;
    qint64 m_top = kStoredTopTwips;
};
