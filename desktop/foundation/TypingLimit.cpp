#include "desktop/foundation/TypingLimit.h"

#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/cTextBoxXP.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

TypingLimit::TypingLimit(
    QWidget* box, int limit, cTextBoxXP& balloon, const QString& title, const QString& text)
    : QObject(box)
    , m_box(box)
    , m_limit(limit)
    , m_balloon(balloon)
    , m_title(title)
    , m_text(text)
{
    box->installEventFilter(this);
}

QString TypingLimit::withCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

QString TypingLimit::storedText(const QWidget* box)
{
    QString text;
    if (const auto* line = qobject_cast<const QLineEdit*>(box))
        text = line->text();
    else if (const auto* lines = qobject_cast<const QPlainTextEdit*>(box))
        text = lines->toPlainText();
    return withCrLf(text);
}

bool TypingLimit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Keys that deliver no character (arrows, Delete, Home) never lengthen the text.
    if (key->text().isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete)
        return false;
    if (storedText(m_box).toUtf8().size() < m_limit)
        return false;
    m_balloon.setTextBox(m_box);
    ShowTextBoxBalloon(m_balloon, m_title, m_text);
    return true;
}
