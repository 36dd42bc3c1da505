#pragma once

#include <QObject>
#include <QString>

class QWidget;
class cTextBoxXP;

// Stops typing into a text box (line or multi-line) once its text holds
// limit bytes of UTF-8 or more, line breaks counted as CR LF as they are
// stored: every key that would add a character, control characters
// included, is dropped and the balloon says why; Backspace always passes.
// Pasted text is not limited here: the window's own check refuses it.
class TypingLimit : public QObject {
    Q_OBJECT
public:
    TypingLimit(QWidget* box, int limit, cTextBoxXP& balloon, const QString& title, const QString& text);

    // The text with every line break as CR LF, as text files and records hold it.
    static QString withCrLf(QString text);
    // The box's text (line or multi-line) with its line breaks as CR LF.
    static QString storedText(const QWidget* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_box;
    int m_limit;
    cTextBoxXP& m_balloon;
    QString m_title;
    QString m_text;
};
