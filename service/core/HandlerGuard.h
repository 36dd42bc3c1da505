#pragma once

#include <QString>

#include <functional>

class Journal;

// Runs a procedure of the service so that no failure leaves it: one that
// escapes is written to journal's system journal under source (its description as
// the message, number 0) and the caller goes on. True when it ran through.
bool RunGuarded(const Journal& journal, const QString& source, const std::function<void()>& procedure);
