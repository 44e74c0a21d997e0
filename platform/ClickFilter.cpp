#include "ClickFilter.h"

#include "ErrorReporter.h"

#include <QMouseEvent>
#include <QWidget>

ClickFilter::ClickFilter(QWidget *target, std::function<void()> handler)
    : QObject(target), m_handler(std::move(handler))
{
    target->installEventFilter(this);
}

bool ClickFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        runGuarded(m_handler);
        return true;
    }
    return false;
}
