#include "ScreenPointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

QPoint QtScreenPointer::CursorPos() const
{
    return QCursor::pos();
}

int QtScreenPointer::PrimaryScreenWidth() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}
