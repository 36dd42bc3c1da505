#include "platform/widgets/BalloonTip.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

namespace {

constexpr int kMargin = 10;
constexpr int kIconSize = 16;
constexpr int kGap = 6; // between the icon and the texts, and the title and the text
constexpr int kTextWidth = 320;
constexpr int kTailHeight = 12;
constexpr int kTailWidth = 16;
constexpr int kTailOffset = 22; // from the bubble's near edge to the tail's tip
constexpr int kRadius = 6;

QPointer<BalloonTip>& currentBalloon()
{
    static QPointer<BalloonTip> balloon;
    return balloon;
}

QIcon iconFor(int icon, const QStyle* style)
{
    switch (icon) {
    case BalloonTip::Information:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case BalloonTip::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case BalloonTip::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    default:
        return {};
    }
}

QFont titleFont(const QFont& base)
{
    QFont font = base;
    font.setBold(true);
    return font;
}

} // namespace

void BalloonTip::showFor(QWidget* anchor, int icon, const QString& title, const QString& text, int timeoutMs)
{
    if (BalloonTip* old = currentBalloon())
        old->close();
    if (!anchor)
        return;
    auto* balloon = new BalloonTip(anchor, icon, title, text, timeoutMs);
    currentBalloon() = balloon;
    balloon->show();
}

void BalloonTip::hideFor(QWidget* anchor)
{
    if (BalloonTip* balloon = currentBalloon(); balloon && balloon->m_anchor == anchor)
        balloon->close();
}

BalloonTip* BalloonTip::current()
{
    BalloonTip* balloon = currentBalloon();
    return balloon && balloon->isVisible() ? balloon : nullptr;
}

BalloonTip::BalloonTip(QWidget* anchor, int icon, const QString& title, const QString& text, int timeoutMs)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint)
    , m_anchor(anchor)
    , m_icon(icon)
    , m_title(title)
    , m_text(text)
{
    setObjectName(QStringLiteral("BalloonTip"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setLayoutDirection(anchor->layoutDirection());
    setPalette(QToolTip::palette());
    anchor->installEventFilter(this);
    connect(anchor, &QObject::destroyed, this, &QWidget::close);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::close);
    if (timeoutMs > 0)
        m_timer.start(timeoutMs);
    layoutAt(anchor);
}

void BalloonTip::layoutAt(QWidget* anchor)
{
    const QFontMetrics titleMetrics(titleFont(font()));
    const QFontMetrics textMetrics(font());
    const int iconWidth = hasIcon() ? kIconSize + kGap : 0;
    const int flags = Qt::TextWordWrap;
    const QRect titleRect
        = m_title.isEmpty() ? QRect() : titleMetrics.boundingRect(0, 0, kTextWidth, 1000, flags, m_title);
    const QRect textRect
        = m_text.isEmpty() ? QRect() : textMetrics.boundingRect(0, 0, kTextWidth, 1000, flags, m_text);
    const int textsWidth = qMax(titleRect.width(), textRect.width());
    const int textsHeight
        = titleRect.height() + textRect.height() + (titleRect.isEmpty() || textRect.isEmpty() ? 0 : kGap);
    const QSize bubble(
        kMargin * 2 + iconWidth + textsWidth, kMargin * 2 + qMax(textsHeight, hasIcon() ? kIconSize : 0));
    const QSize whole(qMax(bubble.width(), kTailOffset + kTailWidth), bubble.height() + kTailHeight);

    // The tail touches the box near its leading edge, below it when the
    // balloon fits under the box, else above it.
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const int alongBox = qMin(20, anchor->width() / 2);
    const int boxX = rtl ? anchor->width() - 1 - alongBox : alongBox;
    const QScreen* screen = anchor->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
    QPoint tip = anchor->mapToGlobal(QPoint(boxX, anchor->height() - 2));
    m_tailOnTop = tip.y() + whole.height() <= area.bottom() + 1;
    if (!m_tailOnTop)
        tip = anchor->mapToGlobal(QPoint(boxX, 2));

    int left = rtl ? tip.x() - (whole.width() - 1 - kTailOffset) : tip.x() - kTailOffset;
    left = qBound(area.left(), left, qMax(area.left(), area.right() + 1 - whole.width()));
    const int top = m_tailOnTop ? tip.y() : tip.y() - whole.height() + 1;
    m_tip = tip;
    m_tailX = tip.x() - left;
    m_bubble = QRect(QPoint(0, m_tailOnTop ? kTailHeight : 0), bubble);
    setGeometry(left, top, whole.width(), whole.height());
    setMask(QRegion(outline().toFillPolygon().toPolygon()));
}

QPainterPath BalloonTip::outline() const
{
    QPainterPath path;
    path.addRoundedRect(QRectF(m_bubble).adjusted(0, 0, -1, -1), kRadius, kRadius);
    const qreal x = qBound<qreal>(kRadius, m_tailX, m_bubble.width() - kRadius - 1);
    // The tail leans away from the balloon's middle, as a pointer does.
    const qreal baseNear = x < m_bubble.width() / 2 ? x : x - kTailWidth;
    QPolygonF tail;
    if (m_tailOnTop) {
        const qreal edge = m_bubble.top() + 1;
        tail << QPointF(baseNear, edge) << QPointF(m_tailX, 0) << QPointF(baseNear + kTailWidth, edge);
    } else {
        const qreal edge = m_bubble.bottom() - 1;
        tail << QPointF(baseNear, edge) << QPointF(m_tailX, height() - 1)
             << QPointF(baseNear + kTailWidth, edge);
    }
    QPainterPath tailPath;
    tailPath.addPolygon(tail);
    tailPath.closeSubpath();
    return path.united(tailPath);
}

void BalloonTip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::ToolTipText), 1));
    painter.setBrush(palette().color(QPalette::ToolTipBase));
    painter.drawPath(outline());

    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const QRect inner = m_bubble.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    QRect texts = inner;
    if (hasIcon()) {
        const QRect iconRect = QStyle::alignedRect(
            layoutDirection(), Qt::AlignLeft | Qt::AlignTop, QSize(kIconSize, kIconSize), inner);
        iconFor(m_icon, style()).paint(&painter, iconRect);
        if (rtl)
            texts.setRight(iconRect.left() - kGap);
        else
            texts.setLeft(iconRect.right() + 1 + kGap);
    }
    painter.setPen(palette().color(QPalette::ToolTipText));
    const int align = Qt::TextWordWrap | (rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop;
    if (!m_title.isEmpty()) {
        painter.setFont(titleFont(font()));
        QRect used;
        painter.drawText(texts, align, m_title, &used);
        texts.setTop(used.bottom() + 1 + kGap);
    }
    painter.setFont(font());
    painter.drawText(texts, align, m_text);
}

bool BalloonTip::eventFilter(QObject* watched, QEvent* event)
{
    // The balloon never keeps the user in its box: it goes when the focus
    // moves on.
    if (watched == m_anchor
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::Hide
            || event->type() == QEvent::FocusOut))
        close();
    return QWidget::eventFilter(watched, event);
}

void BalloonTip::mousePressEvent(QMouseEvent*)
{
    close();
}
