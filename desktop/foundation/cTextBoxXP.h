#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// Decorates one text box of a window with a cue banner (grey text while the
// box is empty) and a balloon tip pointing at it. A window keeps one and sets
// TextBox to the box concerned before each use; a box that is gone is no
// error, the calls then do nothing.
class cTextBoxXP {
public:
    // Takes the box (a line or a multi-line text box); a cue banner set
    // before is not applied to it.
    void setTextBox(QWidget* box) { m_box = box; }
    QWidget* TextBox() const { return m_box; }

    // Stores the banner and shows it in the box now.
    void setCueBanner(const QString& text);
    QString CueBanner() const { return m_cueBanner; }

    void setBalloonTipTitle(const QString& title) { m_balloonTipTitle = title; }
    QString BalloonTipTitle() const { return m_balloonTipTitle; }
    void setBalloonTipText(const QString& text) { m_balloonTipText = text; }
    QString BalloonTipText() const { return m_balloonTipText; }
    // 0 none, 1 information, 2 warning, 3 error; stored as given.
    void setBalloonTipIcon(qint32 icon) { m_balloonTipIcon = icon; }
    qint32 BalloonTipIcon() const { return m_balloonTipIcon; }

    // The balloon with the stored title, text and icon at the box; it goes at
    // the box's next key or after a few seconds.
    void ShowBalloonTip() const;
    void HideBalloonTip() const;

private:
    QPointer<QWidget> m_box;
    QString m_cueBanner;
    QString m_balloonTipTitle;
    QString m_balloonTipText;
    qint32 m_balloonTipIcon = 0;
};
