#include "desktop/settings/frmInfo.h"

#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

void caption(QAbstractButton* button, int entry)
{
    const QString text = g_sTrans(entry);
    if (!text.isEmpty())
        button->setText(text);
}

} // namespace

frmInfo::frmInfo(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    Image1 = named(new QLabel(this), "Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    lblTitle = named(new QLabel(QStringLiteral("Title"), this), "lblTitle");
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    txtDetails = named(new QPlainTextEdit(this), "txtDetails");
    txtDetails->setReadOnly(true);
    txtDetails->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    chkDontShowAgain
        = named(new QCheckBox(QStringLiteral("Don't show this message again"), this), "chkDontShowAgain");
    chkDontShowAgain->setVisible(false);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");

    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addWidget(lblTitle, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkDontShowAgain);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(txtDetails, 1);
    layout->addLayout(bottom);
    resize(380, 260);

    // 1
    setLayoutDirection(Qt::LeftToRight);
    if (g_bRTL()) {
        setLayoutDirection(Qt::RightToLeft);
        chkDontShowAgain->setLayoutDirection(Qt::RightToLeft);
        lblTitle->setLayoutDirection(Qt::RightToLeft);
        lblTitle->setAlignment(Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter);
    }
    // 2
    m_reg = RegistryRoutines::forProduct(QString());
    // 3
    caption(cmdOK, 11);
    caption(chkDontShowAgain, 431);

    connect(cmdOK, &QPushButton::clicked, this, &frmInfo::cmdOK_Click);
}

void frmInfo::cmdOK_Click()
{
    if (!sReg.isEmpty()) {
        const QString answer
            = chkDontShowAgain->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
        // A key that is not there is not made: the note shows again, no harm.
        (void)m_reg.setString(sReg, answer);
    }
    accept();
}

void ShowServiceExitNote(QWidget* owner)
{
    frmInfo info(owner);
    info.lblTitle->setText(g_sTrans(14));
    info.txtDetails->setPlainText(ReplacePlaceholder(g_sTrans(430), g_sProductTitle));
    info.sReg = QStringLiteral("ServiceMSG");
    info.chkDontShowAgain->setVisible(true);
    info.exec();
}
