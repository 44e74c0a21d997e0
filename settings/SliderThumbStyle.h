#pragma once
// The style's own look for a slider, with the thumb as long across the track
// as the form asks (the "thumbLength" property of the slider).
#include <QProxyStyle>

class QSlider;

class SliderThumbStyle : public QProxyStyle {
public:
    // Gives the slider a style of its own, owned by the slider, when it carries
    // a thumbLength; a slider without one keeps the application's style.
    static void Apply(QSlider *slider);

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;

private:
    explicit SliderThumbStyle(int thumbLength);
    int m_thumbLength;
};
