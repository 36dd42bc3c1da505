// What the hub's line-event handlers show in the main window: the details
// pane of the current call, the blink, the line's button and marks.
#include "desktop/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QStyle>

void frmMain::SetCallDetail(Detail which, const QString& text)
{
    QLabel* label = nullptr;
    switch (which) {
    case Detail::CallerName:
        label = lblMainCallerName;
        break;
    case Detail::CallerNumber:
        label = lblMainCallerNumber;
        break;
    case Detail::ContactName:
        label = lblMainContactName;
        break;
    case Detail::Date:
        label = lblMainDate;
        break;
    case Detail::Time:
        label = lblMainTime;
        break;
    case Detail::RingNumber:
        label = lblMainRingNum;
        break;
    }
    if (!label)
        return;
    label->setText(text);
    // The pane places its labels by hand: each is as wide as its text.
    label->adjustSize();
}

bool frmMain::SetCallerPicture(const QString& path)
{
    if (path.isEmpty()) {
        imgMainCallerPic->clear();
        return true;
    }
    QPixmap picture;
    if (!picture.load(path))
        return false;
    imgMainCallerPic->setPixmap(picture);
    return true;
}

void frmMain::StartBlink()
{
    if (!tmrBlink.isActive())
        tmrBlink.start();
}

void frmMain::SetLineButton(const QString& caption)
{
    if (!toolbar1Buttons.isEmpty())
        toolbar1Buttons.first()->setText(caption);
}

void frmMain::SetLineButtonImage(qint32 image)
{
    if (toolbar1Buttons.isEmpty() || (image != 0 && image != 1))
        return;
    // The load shows the closed look (image 1) until the first line state.
    const QStyle::StandardPixmap pictures[] = {QStyle::SP_DialogApplyButton, QStyle::SP_MediaPlay};
    toolbar1Buttons.first()->setIcon(QApplication::style()->standardIcon(pictures[image]));
    m_lineButtonImage = image;
}

void frmMain::SetLineMarks(bool open, bool closed)
{
    m_cMenu.SetChecked(m_cMenu.IndexForKey(QStringLiteral("stOpenLine")), open);
    m_cMenu.SetChecked(m_cMenu.IndexForKey(QStringLiteral("stCloseLine")), closed);
}
