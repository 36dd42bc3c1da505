#include "desktop/settings/frmAbout.h"

#include "desktop/contacts/ClickLabel.h"
#include "desktop/foundation/AddressOpener.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/ProductAddresses.h"

#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

QString supportMail()
{
    return SupportMailAddress(g_sInstallationId);
}

QString updateCheck()
{
    return UpdateCheckAddress(g_sInstallationId, g_sVersion);
}

} // namespace

frmAbout::frmAbout(const QIcon& icon, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(icon);
    // Fixed English: the box keeps left to right whatever the translation.
    setLayoutDirection(Qt::LeftToRight);

    lblTitle = new QLabel(QStringLiteral("Brask."), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    lblTitle->setFont(big);
    lblInfo = new QLabel(QStringLiteral("Ringvale caller ID"), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblVersion = new QLabel(QStringLiteral("Version:"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersionVal = new QLabel(g_sVersion, this);
    lblVersionVal->setObjectName(QStringLiteral("lblVersionVal"));

    lblURL = link(QStringLiteral("lblURL"), QString::fromLatin1(kMakerSite), &MakerSiteAddress);
    lblNotice = link(QStringLiteral("lblNotice"), QStringLiteral("Copyright 2026 Brask."), &MakerSiteAddress);
    lblProduct
        = link(QStringLiteral("lblProduct"), QStringLiteral("Ringvale Home Page"), &ProductPageAddress);
    lblMailSupport = link(QStringLiteral("lblMailSupport"), QStringLiteral("Support By Mail"), &supportMail);
    lblCheckForNewVersion = link(
        QStringLiteral("lblCheckForNewVersion"), QStringLiteral("Check For New Version"), &updateCheck);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Shape1"));
    frame->setFrameShape(QFrame::Box);
    auto* inner = new QGridLayout(frame);
    inner->addWidget(lblTitle, 0, 0, 1, 2);
    inner->addWidget(lblInfo, 1, 0, 1, 2);
    inner->addWidget(lblVersion, 2, 0);
    inner->addWidget(lblVersionVal, 2, 1);
    inner->addWidget(lblURL, 3, 0, 1, 2, Qt::AlignLeft);
    inner->addWidget(lblProduct, 4, 0, 1, 2, Qt::AlignLeft);
    inner->addWidget(lblMailSupport, 5, 0, 1, 2, Qt::AlignLeft);
    inner->addWidget(lblCheckForNewVersion, 6, 0, 1, 2, Qt::AlignLeft);
    inner->addWidget(lblNotice, 7, 0, 1, 2, Qt::AlignLeft);
    inner->setColumnStretch(1, 1);
    auto* window = new QVBoxLayout(this);
    window->addWidget(frame);
    window->addWidget(cmdOK, 0, Qt::AlignRight);
}

ClickLabel* frmAbout::link(const QString& name, const QString& text, QString (*address)())
{
    auto* label = new ClickLabel(text, this);
    label->setObjectName(name);
    label->setCursor(Qt::PointingHandCursor);
    QFont underlined = label->font();
    underlined.setUnderline(true);
    label->setFont(underlined);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0x1a, 0x4f, 0xa0));
    label->setPalette(palette);
    connect(label, &ClickLabel::clicked, this, [address] {
        const QString target = address();
        if (!CurrentAddressOpener().Open(target))
            std::fprintf(stderr, "Ringvale: cannot open %s\n", qPrintable(target));
    });
    return label;
}
