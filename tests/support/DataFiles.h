#pragma once

#include "common/ContactRecord.h"

#include <QByteArray>
#include <QList>

// A contact as the contact editor writes one that follows the defaults:
// normal handling, no emergency, the settings' reactions, no picture; its
// caller name is "CALLER " and the name.
ContactRecord contactAsEditorWrites(const QString& name, const QString& number);

// Writes Data/Contactes of the current program folder whole: the records in
// order, then tail (a torn record, for instance).
void writeContactFile(const QList<ContactRecord>& contacts, const QByteArray& tail = {});
