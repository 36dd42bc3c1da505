#pragma once

#include "tests/desktop/contacts/ContactEditorFixture.h"

#include "desktop/contacts/ContactListOpeners.h"
#include "desktop/contacts/frmContactList.h"
#include "desktop/contacts/mdlContactList.h"
#include "platform/grid/vbalGrid.h"
#include "tests/support/DataFiles.h"

#include <QFileInfo>

// The editor's program folder with a contact file built in code, the list's
// openers recorded, and line 856 holding the placeholder the question needs.
class ContactListFixture : public ContactEditorFixture {
protected:
    void SetUp() override
    {
        ContactEditorFixture::SetUp();
        loadTranslationWith856(QStringLiteral("LTR"));
        SetContactListOpeners(&openers);
    }
    void TearDown() override
    {
        list.reset();
        SetContactListOpeners(nullptr);
        UnloadContactEditor();
        ContactEditorFixture::TearDown();
    }

    void loadTranslationWith856(const QString& direction)
    {
        loadTranslation(direction);
        QFile file(home() + QStringLiteral("/Trans/Test.txt"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        file.close();
        lines[855] = "#856 <%S>?\r";
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join('\n'));
        file.close();
        ASSERT_EQ(LoadTranslation(file.fileName()), 0);
    }

    // A contact with the fields the list shows; the others as the editor
    // writes them.
    static ContactRecord contact(const QString& name, const QString& callerName, const QString& number,
        const QString& handling = QStringLiteral("1"), const QString& events = QStringLiteral("1"),
        const QString& actions = QStringLiteral("1"), const QString& emergency = QStringLiteral("0"),
        const QString& picture = QString())
    {
        ContactRecord record = contactAsEditorWrites(name, number);
        record.CallerName = callerName;
        record.CallHandling = handling;
        record.EventsMode = events;
        record.ActionsMode = actions;
        record.EmergencyMark = emergency;
        record.PictureFile = picture;
        return record;
    }

    frmContactList& open()
    {
        list = std::make_unique<frmContactList>();
        return *list;
    }
    vbalGrid& grid() { return *list->GridContactList; }

    // One column's texts, top to bottom.
    QStringList column(qint32 c)
    {
        QStringList texts;
        for (qint32 r = 1; r <= grid().Rows(); ++r)
            texts << grid().CellText(r, c);
        return texts;
    }

    static qint64 fileSize() { return QFileInfo(ContactFile::path()).size(); }

    RecordedContactListOpeners openers;
    std::unique_ptr<frmContactList> list;
};
