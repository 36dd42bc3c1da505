#include "platform/CommandLineSplit.h"

CommandLine SplitCommandLine(const QString& text)
{
    QStringList pieces;
    QString piece;
    bool inPiece = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'"') {
            inPiece = true;
            if (QStringView(text).mid(i, 3) == u"\"\"\"") {
                piece += u'"';
                i += 2;
            } else {
                quoted = !quoted;
            }
        } else if ((c == u' ' || c == u'\t') && !quoted) {
            if (inPiece)
                pieces.append(piece);
            piece.clear();
            inPiece = false;
        } else {
            piece += c;
            inPiece = true;
        }
    }
    if (inPiece)
        pieces.append(piece);

    CommandLine line;
    if (!pieces.isEmpty())
        line.program = pieces.takeFirst();
    line.arguments = pieces;
    return line;
}
