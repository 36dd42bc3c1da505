#pragma once

#include "common/ContactRecord.h"

#include <QByteArray>
#include <QList>

// Writes Data/Contactes of the current program folder whole: the records in
// order, then tail (a torn record, for instance).
void writeContactFile(const QList<ContactRecord>& contacts, const QByteArray& tail = {});
