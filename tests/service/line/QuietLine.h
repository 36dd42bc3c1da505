#pragma once

#include "service/core/Journal.h"
#include "service/line/LineActions.h"
#include "service/line/LineState.h"

// A line as the engine's pieces see it, with nothing behind it: the call, the
// line's state and a journal; sending, dropping and the rest do nothing.
class QuietLine final : public LineActions {
public:
    explicit QuietLine(const Journal& journal)
        : m_journal(journal)
    {
    }
    const CurrentCall& call() const override { return current; }
    const LineState& state() const override { return lineState; }
    const Journal& journal() const override { return m_journal; }
    qint32 CurrentLine() const override { return 0; }
    bool send(qint32, const QString&) override { return false; }
    void SendLineStatus() override { }
    void DropCall() override { }
    void giveLineBack() override { }
    void setMessagePath(const QString&) override { }

    CurrentCall current;
    LineState lineState;

private:
    const Journal& m_journal;
};
