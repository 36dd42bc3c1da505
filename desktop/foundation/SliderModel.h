#pragma once

#include <QLineF>
#include <QString>
#include <QVariantMap>

// The slider's state and geometry in twips (1/1440 inch), without a window:
// where the thumb sits for a value, and the value a drag or a click on the
// groove gives. Roundings to whole numbers go to the even number on halves.
class SliderModel {
public:
    static constexpr qint32 kDefaultMin = 0;
    static constexpr qint32 kDefaultMax = 100;
    static constexpr qint32 kDefaultValue = 50;
    static constexpr qint32 kDefaultSliderWidth = 315;
    // The system's button-face colour.
    static constexpr qint64 kDefaultSliderColor = 0x8000000F;
    static constexpr qint32 kDefaultOrientation = 0;
    static constexpr qint32 kDefaultBorderStyle = 0;
    // Drags and clicks move the thumb in steps of this many twips.
    static constexpr qint32 kStep = 15;

    qint32 Min() const { return m_min; }
    qint32 Max() const { return m_max; }
    qint32 value() const { return m_value; }
    qint32 SliderWidth() const { return m_sliderWidth; }
    qint64 SliderColor() const { return m_sliderColor; }
    qint32 Orientation() const { return m_orientation; }
    qint32 BorderStyle() const { return m_borderStyle; }

    // Ignored above Max; pulls the value up to the new bound.
    void setMin(qint32 v);
    // Ignored unless above Min; pulls the value down to the new bound.
    void setMax(qint32 v);
    // Limited to Min..Max. The holder raises Changed after every set, also
    // when the number stays.
    void setValue(qint32 v);
    // Ignored unless narrower than the control.
    void setSliderWidth(qint32 v);
    void setSliderColor(qint64 colour) { m_sliderColor = colour; }
    void setOrientation(qint32 v);
    void setBorderStyle(qint32 v) { m_borderStyle = v; }

    // The control's size in twips and the screen's twips per pixel; lays the
    // groove and the thumb out again.
    void resize(double width, double height, double twipsPerPixelX, double twipsPerPixelY);
    double width() const { return m_width; }
    double height() const { return m_height; }

    double thumbLeft() const { return m_thumbLeft; }
    double thumbLength() const { return m_thumbLength; }
    double thumbHeight() const { return m_thumbHeight; }
    QLineF groove() const { return m_groove; }

    // The mouse moved over the thumb, x twips from its left edge, with the
    // left button alone held. The holder raises Changed.
    void dragThumb(double x);
    // A button went down on the control outside the thumb, x twips from the
    // control's left edge. The holder raises Changed, then LineMouseUp.
    void clickGroove(double x);

    // The persisted form: keys "Min", "Max", "Value", "SliderWidth",
    // "SliderColor", "BorderStyle", "Orientation", matched without regard to
    // case; a missing or unreadable key means its default. Min, Max, Value and
    // SliderWidth are taken as stored.
    void readProperties(const QVariantMap& bag);
    // Only the properties that differ from their defaults.
    QVariantMap writeProperties() const;

private:
    void positionThumb();
    void layout();
    // p rounded, cut to whole steps toward zero and kept on the groove.
    double thumbPositionFor(double p) const;
    void takeValueAt(double p, double length);

    qint32 m_min = kDefaultMin;
    qint32 m_max = kDefaultMax;
    qint32 m_value = kDefaultValue;
    qint32 m_sliderWidth = kDefaultSliderWidth;
    qint64 m_sliderColor = kDefaultSliderColor;
    qint32 m_orientation = kDefaultOrientation;
    qint32 m_borderStyle = kDefaultBorderStyle;

    double m_width = 0;
    double m_height = 0;
    double m_twipsPerPixelX = 15;
    double m_twipsPerPixelY = 15;
    double m_thumbLeft = 0;
    double m_thumbLength = kDefaultSliderWidth;
    double m_thumbHeight = 0;
    QLineF m_groove;
};
