#pragma once

#include "common/ContactRecord.h"
#include "service/core/CallOptions.h"

#include <QString>

// The service's reading of the contact file, through the shared index
// (ContactIndex). Nothing here writes or creates it; a missing file has no
// contacts.

// The first contact whose trimmed CallerNumber equals callerNumber exactly (the
// argument is not trimmed; the name takes no part): its overrides are applied
// to options, record holds it, and the result is its record number in decimal.
// "-1" when none matches.
QString FindContactByNumber(
    const QString& callerName, const QString& callerNumber, CallOptions& options, ContactRecord& record);

// The contact's own reactions on top of the options read from the settings:
// blocked caller, display, sound and speech (EventsMode), forwarding
// (ActionsMode: "2" switches mail and program forwarding off, "3" takes the
// contact's). A flag or number field that does not read as a number leaves its
// member as it was.
void ApplyContactCallSettings(CallOptions& options, const ContactRecord& record);

// The trimmed ContactName of the first contact whose trimmed CallerName and
// CallerNumber both equal the arguments exactly; empty when none does.
QString GetContactName(const QString& callerName, const QString& callerNumber);
