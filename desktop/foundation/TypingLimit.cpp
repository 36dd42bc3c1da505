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

namespace {

// Whether the key would add text to the box. Keys that deliver no character
// (arrows, Delete, Home), shortcuts and the keys that move on or answer the
// window (Tab, Return in a line box, Escape) never lengthen the text, so
// they keep working at the limit.
bool typesInto(const QWidget* box, const QKeyEvent* key)
{
    if (key->matches(QKeySequence::Paste))
        return true;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete)
        return false;
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    if (text.front().unicode() >= 0x20 && text.front().unicode() != 0x7F)
        return true;
    // Only a multi-line box takes a line break, or a tab that does not move on.
    const auto* lines = qobject_cast<const QPlainTextEdit*>(box);
    if (!lines)
        return false;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return true;
    return key->key() == Qt::Key_Tab && !lines->tabChangesFocus();
}

} // namespace

bool TypingLimit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!typesInto(m_box, key))
        return false;
    if (storedText(m_box).toUtf8().size() < m_limit)
        return false;
    m_balloon.setTextBox(m_box);
    ShowTextBoxBalloon(m_balloon, m_title, m_text);
    return true;
}
