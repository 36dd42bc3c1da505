#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

// The speech-bubble note that an edit box shows for a hint: an icon, a bold
// title and a text, its tail pointing at the box. One balloon at a time; it
// goes at the box's next key, when clicked, after its time-out, or with its box.
class BalloonTip : public QWidget {
    Q_OBJECT
public:
    // The balloon's icons, in the numbers the text boxes use.
    enum Icon { NoIcon = 0, Information = 1, Warning = 2, Error = 3 };

    static constexpr int kTimeoutMs = 8000;

    // Shows the balloon at anchor (replacing any other); nothing for a null anchor.
    static void showFor(
        QWidget* anchor, int icon, const QString& title, const QString& text, int timeoutMs = kTimeoutMs);
    // Hides the balloon when it belongs to anchor.
    static void hideFor(QWidget* anchor);
    // The balloon on screen, or null.
    static BalloonTip* current();

    QWidget* anchor() const { return m_anchor; }
    int icon() const { return m_icon; }
    QString title() const { return m_title; }
    QString text() const { return m_text; }
    // Where the tail's tip touches the box, in global coordinates.
    QPoint tipPoint() const { return m_tip; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    BalloonTip(QWidget* anchor, int icon, const QString& title, const QString& text, int timeoutMs);
    bool hasIcon() const { return m_icon >= Information && m_icon <= Error; }
    void layoutAt(QWidget* anchor);
    QPainterPath outline() const;

    QPointer<QWidget> m_anchor;
    int m_icon = NoIcon;
    QString m_title;
    QString m_text;
    QPoint m_tip;
    QRect m_bubble; // in widget coordinates
    int m_tailX = 0; // tail position along the bubble's edge
    bool m_tailOnTop = true;
    QTimer m_timer;
};
