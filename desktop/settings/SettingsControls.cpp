#include "desktop/settings/SettingsControls.h"

#include "desktop/foundation/TypingLimit.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

QPushButton* LinkButton(const QString& text, QWidget* parent)
{
    auto* link = new QPushButton(text, parent);
    link->setFlat(true);
    link->setAutoDefault(false);
    link->setCursor(Qt::PointingHandCursor);
    link->setStyleSheet(QStringLiteral("QPushButton { color: #1a4fa0; text-decoration: underline; "
                                       "text-align: left; border: none; padding: 2px; }"
                                       "QPushButton:disabled { color: palette(mid); }"));
    return link;
}

QString ShownLines(const QString& stored)
{
    return QString(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void ShowStoredLines(QPlainTextEdit* box, const QString& stored)
{
    box->setPlainText(ShownLines(stored));
}

QString StoredLines(const QPlainTextEdit* box, const QString& stored)
{
    // Unchanged, the stored bytes go back as they were, lone line feeds too.
    // The box turns a lone CR into a line break of its own.
    const auto breaks = [](QString text) {
        return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    };
    const QString shown = box->toPlainText();
    if (breaks(shown) == breaks(stored))
        return stored;
    return TypingLimit::withCrLf(shown);
}

std::optional<int> StoredNumber(const QString& text)
{
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

void LoadStoredCheck(QCheckBox* box, const QString& text)
{
    const std::optional<int> value = StoredNumber(text);
    if (!value || *value < 0 || *value > 2)
        return;
    box->setCheckState(*value == 1 ? Qt::Checked : *value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}
