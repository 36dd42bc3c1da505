#include "desktop/settings/frmTrans.h"

#include "common/TranslationFile.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/settings/frmTranser.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

frmTrans::frmTrans(frmTranser* editor)
    : QDialog(editor)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("frmTrans"));
    setWindowTitle(QStringLiteral("Translation"));
    setLayoutDirection(Qt::LeftToRight);
    lblCode = new QLabel(this);
    lblCat = new QLabel(this);
    txtSrc = new QPlainTextEdit(this);
    txtSrc->setReadOnly(true);
    txtTrn = new QPlainTextEdit(this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("Close"), this);
    cmdOK->setDefault(true);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Code:"), this), 0, 0);
    grid->addWidget(lblCode, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Category:"), this), 1, 0);
    grid->addWidget(lblCat, 1, 1);
    grid->addWidget(txtSrc, 2, 0, 1, 2);
    grid->addWidget(txtTrn, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    resize(420, 300);
    connect(cmdOK, &QPushButton::clicked, this, &frmTrans::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTrans::cmdCancel_Click);
}

void frmTrans::cmdOK_Click()
{
    bool number = false;
    const int code = lblCode->text().toInt(&number);
    if (!number || code <= TranslationFile::kDirectionLine || code > TranslationFile::kLineCount)
        return;
    const QString target = m_editor->cmbTrans->currentText();
    // The buffer holds the loaded translation's lines: saved under another
    // name they would replace that file.
    if (g_sTransEdit().fileName() != target) {
        ShowMessage(QStringLiteral("The translation chosen is not the one loaded: press Load first."), false);
        return;
    }
    g_sTransEdit().setEntry(code, txtTrn->toPlainText());
    if (!SaveTranslationFile(target)) {
        ShowWriteFailure(QStringLiteral("The translation could not be saved"));
        return;
    }
    m_editor->FillTable(lSelectedRowNum);
    accept();
}
