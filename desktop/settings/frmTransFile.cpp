#include "desktop/settings/frmTransFile.h"

#include "common/TranslationFile.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/settings/frmTranser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const QString kNameTaken = QStringLiteral("Translation name already exist");

// A name that stays a visible file of the folder.
bool plainName(const QString& name)
{
    return TranslationFile::pathFor(name).has_value() && !name.startsWith(u'.') && !name.contains(QChar(0));
}

bool listed(const QComboBox* list, const QString& name, const QString& except = QString())
{
    for (int i = 0; i < list->count(); ++i) {
        const QString other = list->itemText(i);
        if (other != except && other.toLower() == name.toLower())
            return true;
    }
    return false;
}

} // namespace

frmTransFile::frmTransFile(frmTranser* editor)
    : QDialog(editor)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("frmTransFile"));
    setWindowTitle(QStringLiteral("Translation Name"));
    setLayoutDirection(Qt::LeftToRight);
    txtTransFileName = new QLineEdit(this);
    chkRTL = new QCheckBox(QStringLiteral("RTL"), this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdOK->setDefault(true);
    auto* window = new QVBoxLayout(this);
    window->addWidget(txtTransFileName);
    window->addWidget(chkRTL);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    window->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &frmTransFile::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTransFile::cmdCancel_Click);
}

void frmTransFile::cmdOK_Click()
{
    const QString name = txtTransFileName->text();
    const bool renaming = sNewOrEdit == u"EDIT";
    // Another translation of that name, whatever the case of its letters.
    if (name.isEmpty() || listed(m_editor->cmbSource, name, renaming ? sOriginalTransName : QString())) {
        ShowMessage(kNameTaken, false);
        return;
    }
    if (!plainName(name)) {
        ShowMessage(
            QStringLiteral("A translation name is a plain file name: no folder, no leading dot."), false);
        return;
    }
    const bool done
        = renaming ? RenameTranslationFile(sOriginalTransName, name) : CreateTranslationFile(name);
    if (!done) {
        ShowWriteFailure(QStringLiteral("The translation file could not be written"));
        return;
    }
    m_editor->SetCmbs(QString(), name);
    m_editor->cmdLoad_Click();
    accept();
}

bool frmTransFile::CreateTranslationFile(const QString& name)
{
    const std::optional<QString> path = TranslationFile::pathFor(name);
    return path && TranslationFile::write(*path, TranslationFile::newTranslation(chkRTL->isChecked()));
}

bool frmTransFile::RenameTranslationFile(const QString& oldName, const QString& newName)
{
    const std::optional<QString> from = TranslationFile::pathFor(oldName);
    const std::optional<QString> to = TranslationFile::pathFor(newName);
    if (!from || !to)
        return false;
    TranslationFile::ReadResult read = TranslationFile::readLines(*from, TranslationFile::kLineCount);
    if (read.error != TranslationFile::NoError && read.error != TranslationFile::InputPastEnd)
        return false;
    read.lines.resize(TranslationFile::kLineCount);
    read.lines[TranslationFile::kDirectionLine - 1]
        = chkRTL->isChecked() ? TranslationFile::kRightToLeft : TranslationFile::kLeftToRight;
    if (!TranslationFile::write(*to, read.lines))
        return false;
    if (*to != *from && !QFile::remove(*from))
        std::fprintf(
            stderr, "Ringvale: the translation %s was copied but not removed\n", qPrintable(oldName));
    return true;
}
