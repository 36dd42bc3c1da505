#include "tests/desktop/shell/UnitFileReader.h"

namespace {

std::optional<QStringList> splitWords(const QString& line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quote.isNull() && (c == u' ' || c == u'\t')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\\') {
            if (++i >= line.size())
                return std::nullopt;
            const QChar e = line.at(i);
            if (e == u'n')
                word += u'\n';
            else if (e == u't')
                word += u'\t';
            else if (e == u'\\' || e == u'"' || e == u'\'' || e == u' ')
                word += e;
            else
                return std::nullopt; // no other escape is ever written
            continue;
        }
        if (quote.isNull() && (c == u'"' || c == u'\'')) {
            quote = c;
            continue;
        }
        if (!quote.isNull() && c == quote) {
            quote = QChar();
            continue;
        }
        word += c;
    }
    if (!quote.isNull())
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}

std::optional<QString> resolveSpecifiers(const QString& word)
{
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word.at(i) != u'%') {
            out += word.at(i);
            continue;
        }
        if (i + 1 >= word.size() || word.at(i + 1) != u'%')
            return std::nullopt;
        out += u'%';
        ++i;
    }
    return out;
}

std::optional<QStringList> readWords(const QString& value)
{
    const std::optional<QStringList> words = splitWords(value);
    if (!words)
        return std::nullopt;
    QStringList out;
    for (const QString& word : *words) {
        const std::optional<QString> resolved = resolveSpecifiers(word);
        if (!resolved)
            return std::nullopt;
        out << *resolved;
    }
    return out;
}

} // namespace

std::optional<UnitFileCommand> ReadUnitFileCommand(const QByteArray& unitText)
{
    UnitFileCommand command;
    for (const QByteArray& rawLine : unitText.split('\n')) {
        const QString line = QString::fromUtf8(rawLine);
        if (line.startsWith(u"ExecStart=")) {
            const std::optional<QStringList> words = readWords(line.mid(10));
            if (!words || words->isEmpty() || !command.execStart.isEmpty())
                return std::nullopt;
            command.execStart = *words;
        } else if (line.startsWith(u"Environment=")) {
            const std::optional<QStringList> words = readWords(line.mid(12));
            if (!words)
                return std::nullopt;
            for (const QString& assignment : *words) {
                const qsizetype equals = assignment.indexOf(u'=');
                if (equals <= 0)
                    return std::nullopt;
                command.environment.insert(assignment.left(equals), assignment.mid(equals + 1));
            }
        }
    }
    if (command.execStart.isEmpty())
        return std::nullopt;
    return command;
}
