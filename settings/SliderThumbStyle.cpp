#include "SliderThumbStyle.h"

#include <QApplication>
#include <QSlider>
#include <QStyleFactory>

void SliderThumbStyle::Apply(QSlider *slider)
{
    const QVariant length = slider->property("thumbLength");
    if (!length.isValid())
        return;
    auto *style = new SliderThumbStyle(length.toInt());
    style->setParent(slider);
    slider->setStyle(style);
}

SliderThumbStyle::SliderThumbStyle(int thumbLength)
    // A fresh base of the application's style: the proxy owns and deletes its
    // base, so it must never be the application's own object.
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name())), m_thumbLength(thumbLength)
{
}

int SliderThumbStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    // The thumb's extent across a horizontal track; Fusion and the common
    // style read one or the other.
    if (metric == PM_SliderThickness || metric == PM_SliderControlThickness)
        return m_thumbLength;
    return QProxyStyle::pixelMetric(metric, option, widget);
}
