#include "desktop/contacts/ContactListOpeners.h"

#include "desktop/contacts/mdlContactList.h"

#include <cstdio>

namespace {

// The editor for real; the calls windows' dialer and search are not built yet.
class ProgramOpeners final : public RecordedContactListOpeners {
public:
    void NewContact(QWidget*) override { ::NewContact(QString(), QString(), QString()); }
    void OpenContactForEdit(QWidget*, const QString& contactName, qint32 recordNumber,
        const QString& callerName, const QString& callerNumber) override
    {
        ::OpenContactForEdit(contactName, recordNumber, callerName, callerNumber);
    }
    void ShowDialer(QWidget* owner, const QString& number) override
    {
        RecordedContactListOpeners::ShowDialer(owner, number);
        sayOnce(m_dialerSaid, "the dialer");
    }
    void ShowSearch(QWidget* owner, const QString& callerName, const QString& callerNumber) override
    {
        RecordedContactListOpeners::ShowSearch(owner, callerName, callerNumber);
        sayOnce(m_searchSaid, "the call search window");
    }

private:
    static void sayOnce(bool& said, const char* what)
    {
        if (said)
            return;
        said = true;
        std::fprintf(stderr, "Ringvale: %s is not part of this program yet\n", what);
        std::fflush(stderr);
    }
    bool m_dialerSaid = false;
    bool m_searchSaid = false;
};

ContactListOpeners*& installed()
{
    static ContactListOpeners* openers = nullptr;
    return openers;
}

} // namespace

void RecordedContactListOpeners::NewContact(QWidget*)
{
    opened << QStringLiteral("New");
}

void RecordedContactListOpeners::OpenContactForEdit(QWidget*, const QString& contactName, qint32 recordNumber,
    const QString& callerName, const QString& callerNumber)
{
    opened << QStringList{QStringLiteral("Edit"), contactName, QString::number(recordNumber), callerName,
        callerNumber}
                  .join(u'|');
}

void RecordedContactListOpeners::ShowDialer(QWidget*, const QString& number)
{
    opened << QStringLiteral("Dialer|") + number;
}

void RecordedContactListOpeners::ShowSearch(QWidget*, const QString& callerName, const QString& callerNumber)
{
    opened << QStringList{QStringLiteral("Search"), callerName, callerNumber}.join(u'|');
}

ContactListOpeners& CurrentContactListOpeners()
{
    static ProgramOpeners program;
    ContactListOpeners* openers = installed();
    return openers ? *openers : program;
}

void SetContactListOpeners(ContactListOpeners* openers)
{
    installed() = openers;
}
