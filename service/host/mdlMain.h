#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ServiceMainForm;

using MainFormFactory = std::function<std::unique_ptr<ServiceMainForm>()>;

// The service program's start-up: decides whether and how it runs, then keeps
// the main form loaded for as long as it runs, saying on standard error what
// it does (started, stopped, another instance, why it cannot run). "--help"
// and "--version" print and return 0. Returns the exit status:
//   0  it ran and ended, another instance runs, or the settings forbid
//      running (ChkRunAsProc "0" without "-gc")
//   1  "This program must be started as a service." (ChkRunAsProc "1"
//      without NOTIFY_SOCKET), no private runtime folder for the lock, or a
//      settings store that cannot be read or holds no product key
// arguments: the command line without the program name. makeMainForm: the
// main form to keep loaded (empty: the program's own).
int Main(const QStringList& arguments, const MainFormFactory& makeMainForm = {});
