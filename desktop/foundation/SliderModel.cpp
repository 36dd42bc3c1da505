#include "desktop/foundation/SliderModel.h"

#include "desktop/foundation/mdlFunctions.h"

#include <cmath>
#include <limits>

namespace {

qint32 toInt32(double x)
{
    return qint32(qBound<double>(std::numeric_limits<qint32>::min(), x, std::numeric_limits<qint32>::max()));
}

} // namespace

void SliderModel::setMin(qint32 v)
{
    if (v > m_max)
        return;
    m_min = v;
    if (m_value < v)
        m_value = v;
    positionThumb();
}

void SliderModel::setMax(qint32 v)
{
    if (v <= m_min)
        return;
    m_max = v;
    if (m_value > v)
        m_value = v;
    positionThumb();
}

void SliderModel::setValue(qint32 v)
{
    m_value = qBound(m_min, v, m_max);
    positionThumb();
}

void SliderModel::setSliderWidth(qint32 v)
{
    if (v >= m_width)
        return;
    m_sliderWidth = v;
    m_thumbLength = v;
    m_thumbHeight = m_height;
    positionThumb();
}

void SliderModel::setOrientation(qint32 v)
{
    m_orientation = v;
    setSliderWidth(m_sliderWidth);
    layout();
}

void SliderModel::resize(double width, double height, double twipsPerPixelX, double twipsPerPixelY)
{
    m_width = width;
    m_height = height;
    if (twipsPerPixelX > 0)
        m_twipsPerPixelX = twipsPerPixelX;
    if (twipsPerPixelY > 0)
        m_twipsPerPixelY = twipsPerPixelY;
    layout();
}

void SliderModel::layout()
{
    const double w = RoundHalfEven(m_width - m_twipsPerPixelX);
    const double h = RoundHalfEven(m_height - m_twipsPerPixelY);
    m_groove = QLineF(kStep, h / 2, w - kStep, h / 2);
    m_thumbHeight = h;
    m_thumbLength = m_sliderWidth;
    positionThumb();
}

void SliderModel::positionThumb()
{
    const double range = double(m_max) - double(m_min);
    if (range == 0)
        return;
    m_thumbLeft = (m_width - m_sliderWidth) / range * (double(m_value) - double(m_min));
}

double SliderModel::thumbPositionFor(double p) const
{
    p = std::trunc(RoundHalfEven(p) / kStep) * kStep;
    if (p < 0)
        p = 0;
    else if (p > m_width - m_sliderWidth)
        p = RoundHalfEven(m_width - m_sliderWidth);
    return p;
}

void SliderModel::takeValueAt(double p, double length)
{
    // The scale is kept in single precision, as the positions were measured.
    const float scale = float((m_width - length) / (double(m_max) - double(m_min)));
    const double v = p / double(scale) + m_min;
    // No range (Max = Min) or no room: the thumb moves, the number stays.
    if (!std::isfinite(v) || m_max == m_min)
        return;
    m_value = qBound(m_min, toInt32(RoundHalfEven(v)), m_max);
}

void SliderModel::dragThumb(double x)
{
    const double p = thumbPositionFor(m_thumbLeft + x - m_sliderWidth / 2.0);
    m_thumbLeft = p;
    takeValueAt(p, m_sliderWidth);
}

void SliderModel::clickGroove(double x)
{
    const double p = thumbPositionFor(x - m_sliderWidth / 2.0);
    m_thumbLeft = p;
    takeValueAt(p, m_thumbLength);
}

namespace {

// The value stored under key (any case), or fallback when missing or not a number.
qint64 storedNumber(const QVariantMap& bag, const QString& key, qint64 fallback)
{
    for (auto it = bag.cbegin(); it != bag.cend(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const qint64 number = it.value().toLongLong(&ok);
        return ok ? number : fallback;
    }
    return fallback;
}

} // namespace

void SliderModel::readProperties(const QVariantMap& bag)
{
    auto int32 = [&bag](const QString& key, qint32 fallback) {
        const qint64 n = storedNumber(bag, key, fallback);
        return n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max() ? fallback
                                                                                                : qint32(n);
    };
    m_min = int32(QStringLiteral("Min"), kDefaultMin);
    m_max = int32(QStringLiteral("Max"), kDefaultMax);
    m_value = int32(QStringLiteral("Value"), kDefaultValue);
    m_sliderWidth = int32(QStringLiteral("SliderWidth"), kDefaultSliderWidth);
    m_thumbLength = m_sliderWidth;
    m_sliderColor = storedNumber(bag, QStringLiteral("SliderColor"), kDefaultSliderColor);
    setBorderStyle(int32(QStringLiteral("BorderStyle"), kDefaultBorderStyle));
    setOrientation(int32(QStringLiteral("Orientation"), kDefaultOrientation));
    positionThumb();
}

QVariantMap SliderModel::writeProperties() const
{
    QVariantMap bag;
    auto put = [&bag](const QString& key, qint64 v, qint64 fallback) {
        if (v != fallback)
            bag.insert(key, v);
    };
    put(QStringLiteral("Min"), m_min, kDefaultMin);
    put(QStringLiteral("Max"), m_max, kDefaultMax);
    put(QStringLiteral("Value"), m_value, kDefaultValue);
    put(QStringLiteral("SliderWidth"), m_sliderWidth, kDefaultSliderWidth);
    put(QStringLiteral("SliderColor"), m_sliderColor, kDefaultSliderColor);
    put(QStringLiteral("BorderStyle"), m_borderStyle, kDefaultBorderStyle);
    put(QStringLiteral("Orientation"), m_orientation, kDefaultOrientation);
    return bag;
}
