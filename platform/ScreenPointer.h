#pragma once
#include <QPoint>

// The pointer position and the primary display's width, in screen pixels.
class ScreenPointer {
public:
    virtual ~ScreenPointer() = default;
    virtual QPoint CursorPos() const = 0;
    virtual int PrimaryScreenWidth() const = 0;
};

class QtScreenPointer : public ScreenPointer {
public:
    QPoint CursorPos() const override;
    int PrimaryScreenWidth() const override;
};
