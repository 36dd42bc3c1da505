#include "desktop/foundation/cSlider.h"

#include "desktop/foundation/mdlCommDialog.h"
#include "desktop/foundation/mdlFunctions.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr qint64 kSystemColourBit = 0x80000000;

qint16 buttonCode(Qt::MouseButtons buttons)
{
    qint16 code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

qint16 shiftCode(Qt::KeyboardModifiers modifiers)
{
    qint16 code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

// The frame's edge as the raised and sunken bits of the edge type ask.
void drawEdge(QPainter& painter, const QRect& rect, qint32 edge, const QPalette& palette)
{
    const bool raised = edge & (1 | 4);
    const bool sunken = edge & (2 | 8);
    if (!raised && !sunken)
        return;
    const int lineWidth = ((edge & 3) && (edge & 12)) ? 2 : 1;
    qDrawShadePanel(&painter, rect, palette, sunken && !raised, lineWidth);
}

} // namespace

// The thumb takes the mouse while a button is down on it, so a drag goes on
// when the pointer leaves it.
class SliderThumb : public QWidget {
public:
    explicit SliderThumb(cSlider* slider)
        : QWidget(slider)
        , m_slider(slider)
    {
        setObjectName(QStringLiteral("picSlider"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_slider->thumbColour());
        qDrawWinButton(&painter, rect(), palette(), false);
    }
    void mousePressEvent(QMouseEvent* event) override { m_slider->thumbPressed(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { m_slider->thumbReleased(event); }
    void mouseMoveEvent(QMouseEvent* event) override { m_slider->thumbMoved(event); }

private:
    cSlider* m_slider;
};

cSlider::cSlider(QWidget* parent)
    : QWidget(parent)
    , m_thumb(new SliderThumb(this))
{
    // The slider's numbers run left to right in every language.
    setLayoutDirection(Qt::LeftToRight);
    m_model.readProperties({});
    placeThumb();
}

QWidget* cSlider::thumb() const
{
    return m_thumb;
}

double cSlider::twipsPerPixelX() const
{
    return kTwipsPerInch / logicalDpiX();
}

double cSlider::twipsPerPixelY() const
{
    return kTwipsPerInch / logicalDpiY();
}

QSize cSlider::sizeHint() const
{
    return QSize(200, 22);
}

void cSlider::setMin(qint32 v)
{
    m_model.setMin(v);
    placeThumb();
}

void cSlider::setMax(qint32 v)
{
    m_model.setMax(v);
    placeThumb();
}

void cSlider::setValue(qint32 v)
{
    m_model.setValue(v);
    placeThumb();
    emit Changed();
}

void cSlider::setSliderWidth(qint32 v)
{
    m_model.setSliderWidth(v);
    placeThumb();
}

void cSlider::setSliderColor(qint64 colour)
{
    m_model.setSliderColor(colour);
    m_thumb->update();
}

void cSlider::setOrientation(qint32 v)
{
    m_model.setOrientation(v);
    placeThumb();
}

void cSlider::setBorderStyle(qint32 v)
{
    m_model.setBorderStyle(v);
    update();
}

void cSlider::ReadProperties(const QVariantMap& bag)
{
    m_model.readProperties(bag);
    placeThumb();
    update();
}

void cSlider::resizeEvent(QResizeEvent*)
{
    m_model.resize(
        width() * twipsPerPixelX(), height() * twipsPerPixelY(), twipsPerPixelX(), twipsPerPixelY());
    placeThumb();
}

void cSlider::placeThumb()
{
    const double x = twipsPerPixelX();
    const double y = twipsPerPixelY();
    m_thumb->setGeometry(int(RoundHalfEven(m_model.thumbLeft() / x)), 0,
        int(RoundHalfEven(m_model.thumbLength() / x)), int(RoundHalfEven(m_model.thumbHeight() / y)));
    m_thumb->update();
}

QColor cSlider::thumbColour() const
{
    const qint64 colour = m_model.SliderColor();
    if (colour & kSystemColourBit)
        return palette().color(QPalette::Button);
    return ColorFromColorRef(qint32(colour));
}

void cSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QLineF groove = m_model.groove();
    const double x = twipsPerPixelX();
    const double y = twipsPerPixelY();
    const QPoint from(int(RoundHalfEven(groove.x1() / x)), int(RoundHalfEven(groove.y1() / y)));
    const QPoint to(int(RoundHalfEven(groove.x2() / x)), from.y());
    // Two lines, one over the other: a sunken groove.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(from, to);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(from + QPoint(0, 1), to + QPoint(0, 1));
    drawEdge(painter, rect(), m_model.BorderStyle(), palette());
}

void cSlider::mousePressEvent(QMouseEvent* event)
{
    const float x = float(event->position().x() * twipsPerPixelX());
    const float y = float(event->position().y() * twipsPerPixelY());
    m_model.clickGroove(x);
    placeThumb();
    emit Changed();
    emit LineMouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), x, y);
}

void cSlider::thumbPressed(QMouseEvent* event)
{
    emit MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()),
        float(event->position().x() * twipsPerPixelX()), float(event->position().y() * twipsPerPixelY()));
}

void cSlider::thumbReleased(QMouseEvent* event)
{
    emit MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()),
        float(event->position().x() * twipsPerPixelX()), float(event->position().y() * twipsPerPixelY()));
}

void cSlider::thumbMoved(QMouseEvent* event)
{
    if (buttonCode(event->buttons()) != 1)
        return;
    m_model.dragThumb(event->position().x() * twipsPerPixelX());
    placeThumb();
    emit Changed();
}
