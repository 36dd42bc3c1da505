#pragma once

#include "common/CallRecord.h"
#include "common/CallStore.h"
#include "service/core/CallOptions.h"

#include <QString>

class Journal;

// The service's side of the call store (common/CallStore.h).

// AddCallRecord with its failure written to the system journal: "Cannot store
// the call in" the day folder (source "ErrAddCallRecord"), or "Cannot write
// the recent-calls list" ("ErrAddToLastList"). A call not stored leaves the
// list alone.
bool AddCallRecord(const Journal& journal, const CallRecord& record, const QString& dayFolder, bool skipList,
    qint32 itemsInLast);

// The record of an ended call, as both end-of-call handlers store it.
CallRecord MakeCallRecord(const CurrentCall& call, qint32 lineIndex);
