// What the hub's line-event handlers show in the main window: the details
// pane of the current call, the blink, the line's button and marks.
#include "desktop/shell/frmMain.h"

#include "desktop/foundation/ThemeIcons.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QStyle>

namespace {

// The text a pane label was given, before any cut.
constexpr char kWholeText[] = "wholeText";

} // namespace

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
    label->setProperty(kWholeText, text);
    FitPaneLabel(label);
}

void frmMain::FitPaneLabel(QLabel* label)
{
    const QString text = label->property(kWholeText).toString();
    // Each column ends where the next begins; the last one at the picture,
    // and every one at the pane's edge.
    const int gap = PixelsFromTwips(120);
    int right = PicCallDetails->width() - gap;
    if (label == lblMainDate || label == lblMainTime)
        right = qMin(right, lblMainCallerName->x() - gap);
    else if (label == lblMainCallerName || label == lblMainCallerNumber)
        right = qMin(right, lblMainContactName->x() - gap);
    else
        right = qMin(right, imgMainCallerPic->x() - gap);
    const int room = qMax(0, right - label->x());
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, room);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
    // The pane places its labels by hand: each is as wide as its text.
    label->adjustSize();
    label->resize(qMin(label->width(), room), label->height());
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
    toolbar1Buttons.first()->setIcon(SizedThemeIcon(QString::fromLatin1(kLinePictures[image]), 32));
    m_lineButtonImage = image;
}

void frmMain::SetLineMarks(bool open, bool closed)
{
    m_cMenu.SetChecked(m_cMenu.IndexForKey(QStringLiteral("stOpenLine")), open);
    m_cMenu.SetChecked(m_cMenu.IndexForKey(QStringLiteral("stCloseLine")), closed);
}
