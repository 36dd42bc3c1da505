#pragma once

#include "desktop/foundation/SliderModel.h"

#include <QWidget>

class SliderThumb;

// The desktop's slider: a whole number between Min and Max, chosen by
// dragging the thumb (picSlider) along the groove with the left button or by
// clicking the groove. Positions in the events are twips.
class cSlider : public QWidget {
    Q_OBJECT
public:
    explicit cSlider(QWidget* parent = nullptr);

    qint32 Min() const { return m_model.Min(); }
    void setMin(qint32 v);
    qint32 Max() const { return m_model.Max(); }
    void setMax(qint32 v);
    qint32 value() const { return m_model.value(); }
    // Raises Changed, also when the number stays.
    void setValue(qint32 v);
    qint32 SliderWidth() const { return m_model.SliderWidth(); }
    void setSliderWidth(qint32 v);
    // A colour number: 0x00BBGGRR, or a system colour with the high bit set.
    qint64 SliderColor() const { return m_model.SliderColor(); }
    void setSliderColor(qint64 colour);
    qint32 Orientation() const { return m_model.Orientation(); }
    void setOrientation(qint32 v);
    // The frame's edge: 0 none; the raised (1, 4) and sunken (2, 8) bits.
    qint32 BorderStyle() const { return m_model.BorderStyle(); }
    void setBorderStyle(qint32 v);

    // The properties a window stores for this slider (SliderModel's keys).
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const { return m_model.writeProperties(); }

    const SliderModel& model() const { return m_model; }
    QWidget* thumb() const;
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

    QSize sizeHint() const override;

signals:
    void Changed();
    // Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt. X and
    // Y in twips from the thumb's corner.
    void MouseDown(qint16 Button, qint16 Shift, float X, float Y);
    void MouseUp(qint16 Button, qint16 Shift, float X, float Y);
    // The groove was clicked; X and Y from the control's corner.
    void LineMouseUp(qint16 Button, qint16 Shift, float X, float Y);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class SliderThumb;
    void thumbPressed(QMouseEvent* event);
    void thumbReleased(QMouseEvent* event);
    void thumbMoved(QMouseEvent* event);
    void placeThumb();
    QColor thumbColour() const;

    SliderModel m_model;
    SliderThumb* m_thumb = nullptr;
};
