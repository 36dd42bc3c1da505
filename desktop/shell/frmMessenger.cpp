#include "desktop/shell/frmMessenger.h"

#include "common/RegistryRoutines.h"
#include "common/SharedUtilities.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/Translation.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace {

constexpr int kSampleToolTip = 286;
constexpr int kSampleContact = 404;
constexpr int kSampleName = 153;
constexpr int kSampleNumber = 154;
constexpr qint32 kStepTwips = 50;

int px(qint64 twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / frmMessenger::kTwipsPerPixel));
}

QRect twipsRect(qint32 left, qint32 top, qint32 width, qint32 height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The Default look's skins, drawn here: a dark title strip and a light
// background with a soft edge.
QPixmap titleSkin(const QSize& size)
{
    QPixmap picture(size);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, QColor(0x2b, 0x55, 0x8c));
    gradient.setColorAt(1, QColor(0x12, 0x2c, 0x4f));
    painter.fillRect(picture.rect(), gradient);
    return picture;
}

QPixmap backgroundSkin(const QSize& size)
{
    QPixmap picture(size);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, QColor(0xf4, 0xf7, 0xfb));
    gradient.setColorAt(1, QColor(0xc9, 0xd6, 0xe8));
    painter.fillRect(picture.rect(), gradient);
    painter.setPen(QColor(0x6b, 0x84, 0xa8));
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}

QPixmap closeGlyph(const QSize& size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    const int side = qMin(size.width(), size.height()) / 3;
    const QPoint centre = picture.rect().center();
    painter.drawLine(centre + QPoint(-side / 2, -side / 2), centre + QPoint(side / 2, side / 2));
    painter.drawLine(centre + QPoint(-side / 2, side / 2), centre + QPoint(side / 2, -side / 2));
    return picture;
}

QLabel* textLabel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    // Callers' texts come from the telephone network: never rich text.
    label->setTextFormat(Qt::PlainText);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    label->setFont(font);
    label->setGeometry(geometry);
    return label;
}

// A text longer than its label ends in an ellipsis, never cut mid-letter;
// the whole text is the label's tooltip then.
void setFittedText(QLabel* label, const QString& text)
{
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

void setTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

frmMessenger::frmMessenger() = default;

frmMessenger::~frmMessenger()
{
    delete m_window.data();
}

void frmMessenger::Load()
{
    if (!m_window)
        Form_Load();
}

void frmMessenger::Unload()
{
    DestroyWindow();
}

void frmMessenger::Form_Load()
{
    lCloseTicks = 0;
    auto* window = new QWidget(nullptr,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    window->setObjectName(QStringLiteral("frmMessenger"));
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
    window->setAutoFillBackground(true);
    m_window = window;
    RegisterLoadedForm(window);
    BuildControls();
    // Topmost and shown, still above the screen's top edge.
    m_left = 0;
    m_top = kStoredTopTwips;
    window->setFixedSize(px(kWidthTwips), px(kHeightTwips));
    Place(m_left, m_top);
    window->show();
    ApplyLook();
}

void frmMessenger::BuildControls()
{
    QWidget* window = m_window;
    // Behind every other control.
    imgMain = new QLabel(window);
    imgMain->setObjectName(QStringLiteral("imgMain"));
    imgMain->setGeometry(twipsRect(-75, 240, 3360, 2940));
    imgMain->setPixmap(backgroundSkin(imgMain->size()));

    Picture1 = new QLabel(window);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twipsRect(0, 0, 2655, 375));
    Picture1->setAutoFillBackground(true);
    imgTop = new QLabel(Picture1);
    imgTop->setObjectName(QStringLiteral("imgTop"));
    imgTop->setGeometry(twipsRect(-2880, 0, 5580, 375));
    imgTop->setPixmap(titleSkin(imgTop->size()));
    imgClose = new QLabel(Picture1);
    imgClose->setObjectName(QStringLiteral("imgClose"));
    imgClose->setGeometry(twipsRect(2160, 0, 495, 375));
    imgClose->setPixmap(closeGlyph(imgClose->size()));

    lblTitle = textLabel(window, "lblTitle", twipsRect(120, 120, 2085, 195));
    setTextColour(lblTitle, QPalette::WindowText, Qt::white);
    Shape1 = new QFrame(window);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(twipsRect(600, 480, 1335, 1335));
    Shape1->setFrameShape(QFrame::Box);
    imgContact = new QLabel(window);
    imgContact->setObjectName(QStringLiteral("imgContact"));
    imgContact->setGeometry(Shape1->geometry());
    imgContact->setScaledContents(true);
    // No picture, no frame: an empty square says nothing.
    Shape1->hide();
    imgContact->hide();
    lblContact = textLabel(window, "lblContact", twipsRect(240, 1920, 2115, 195));
    lblCallerName = textLabel(window, "lblCallerName", twipsRect(240, 2160, 2115, 195));
    lblCallerNumber = textLabel(window, "lblCallerNumber", twipsRect(240, 2400, 2115, 195));
    // The title is drawn over the strip.
    lblTitle->raise();

    for (QWidget* control : std::initializer_list<QWidget*>{window, Picture1, imgTop, imgClose, lblTitle,
             imgMain, imgContact, lblContact, lblCallerName, lblCallerNumber})
        control->installEventFilter(this);

    tmrAnimate = new QTimer(window);
    tmrAnimate->setInterval(1);
    connect(tmrAnimate, &QTimer::timeout, this, &frmMessenger::tmrAnimate_Timer);
    tmrCloseAfter = new QTimer(window);
    tmrCloseAfter->setInterval(1000);
    connect(tmrCloseAfter, &QTimer::timeout, this, &frmMessenger::tmrCloseAfter_Timer);
}

void frmMessenger::ApplyLook()
{
    const RegistryRoutines advanced = RegistryRoutines::forProduct(QStringLiteral("Events\\Advanced"));
    if (advanced.getString(QStringLiteral("Style")) != u"Personal") {
        imgTop->show();
        imgMain->show();
        return;
    }
    imgTop->hide();
    imgMain->hide();
    // A colour not stored keeps the pop-up's own, never black on black.
    setTextColour(Picture1, QPalette::Window,
        ReadStoredColour(advanced, QStringLiteral("picTitle")).value_or(kPopUpTitleColour));
    setTextColour(m_window, QPalette::Window,
        ReadStoredColour(advanced, QStringLiteral("picBG")).value_or(kPopUpBackColour));
    const QColor text = ReadStoredColour(advanced, QStringLiteral("picFont")).value_or(kPopUpTextColour);
    for (QLabel* label : {lblContact, lblCallerName, lblCallerNumber})
        setTextColour(label, QPalette::WindowText, text);
}

void frmMessenger::Place(qint64 leftTwips, qint64 topTwips)
{
    m_left = leftTwips;
    m_top = topTwips;
    if (m_window)
        m_window->move(px(leftTwips), px(topTwips));
}

void frmMessenger::SetTitle(const QString& title)
{
    if (m_window)
        lblTitle->setText(title);
}

void frmMessenger::SetCallerName(const QString& text)
{
    if (m_window)
        setFittedText(lblCallerName, text);
}

void frmMessenger::SetCallerNumber(const QString& text)
{
    if (m_window)
        setFittedText(lblCallerNumber, text);
}

void frmMessenger::SetContact(const QString& text)
{
    if (m_window)
        setFittedText(lblContact, text);
}

void frmMessenger::SetPicture(const QString& path)
{
    if (!m_window)
        return;
    QPixmap picture;
    if (!picture.load(path))
        return;
    imgContact->setPixmap(picture);
    Shape1->show();
    imgContact->show();
}

void frmMessenger::Display()
{
    if (!m_window)
        Form_Load();
    if (bTest) {
        for (QWidget* control : std::initializer_list<QWidget*>{
                 imgMain, imgContact, lblContact, lblCallerName, lblCallerNumber, lblTitle, imgTop})
            control->setToolTip(g_sTrans(kSampleToolTip));
        lblContact->setText(g_sTrans(kSampleContact));
        lblCallerName->setText(g_sTrans(kSampleName));
        lblCallerNumber->setText(g_sTrans(kSampleNumber));
        const bool picture = !imgContact->pixmap().isNull();
        Shape1->setVisible(picture);
        imgContact->setVisible(picture);
    } else {
        // A window left from a preview or an earlier call shows nothing of
        // them: the contact is known only once the caller ID arrives.
        for (QWidget* control : std::initializer_list<QWidget*>{imgMain, imgContact, lblTitle, imgTop})
            control->setToolTip(QString());
        lblContact->clear();
        lblContact->setToolTip(QString());
        imgContact->clear();
        imgContact->hide();
        Shape1->hide();
    }
    if (bClose)
        tmrCloseAfter->start();
    if (bAnimate) {
        sStat = QStringLiteral("ON");
        Place(0, -kHeightTwips);
        tmrAnimate->start();
    } else {
        Place(0, 0);
    }
}

void frmMessenger::UnDisplay()
{
    if (!m_window)
        return;
    if (bAnimate) {
        sStat = QStringLiteral("OFF");
        tmrAnimate->start();
    } else {
        DestroyWindow();
    }
}

void frmMessenger::tmrAnimate_Timer()
{
    if (!m_window)
        return;
    const qint64 step = qint64(lAnimateFaster) + kStepTwips;
    if (sStat == u"ON" && m_top < 0) {
        if (-m_top > step) {
            Place(m_left, m_top + step);
        } else {
            Place(m_left, 0);
            tmrAnimate->stop();
        }
    }
    if (sStat == u"OFF") {
        if (m_top > -kHeightTwips) {
            Place(m_left, m_top - step);
        } else {
            Place(m_left, -kHeightTwips);
            DestroyWindow();
        }
    }
}

void frmMessenger::tmrCloseAfter_Timer()
{
    if (!m_window)
        return;
    if (lCloseTicks < lCloseAfter)
        ++lCloseTicks;
    else
        UnDisplay();
}

void frmMessenger::DestroyWindow()
{
    if (!m_window)
        return;
    QWidget* window = m_window;
    m_window = nullptr;
    tmrAnimate->stop();
    tmrCloseAfter->stop();
    UnregisterLoadedForm(window);
    window->hide();
    for (QObject* control : window->findChildren<QObject*>())
        control->removeEventFilter(this);
    window->removeEventFilter(this);
    // A click may be running inside the window: it goes once that is over.
    window->deleteLater();
    Picture1 = imgTop = imgClose = lblTitle = imgContact = lblContact = lblCallerName = lblCallerNumber
        = imgMain = nullptr;
    Shape1 = nullptr;
    tmrAnimate = tmrCloseAfter = nullptr;
    bTest = false;
}

bool frmMessenger::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonPress
        && event->type() != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    // The title strip, its skin and the title do not react, nor let the
    // window under them react.
    if (watched == Picture1 || watched == imgTop || watched == lblTitle)
        return true;
    if (event->type() == QEvent::MouseButtonRelease)
        UnDisplay();
    return true;
}
