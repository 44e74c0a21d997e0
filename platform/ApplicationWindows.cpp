#include "ApplicationWindows.h"

#include <QPointer>
#include <QWidget>

#include <vector>

namespace {
std::vector<QPointer<QWidget>> &adopted()
{
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}
}

namespace ApplicationWindows {

void Adopt(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    adopted().emplace_back(window);
}

void DestroyAll()
{
    std::vector<QPointer<QWidget>> windows;
    windows.swap(adopted());
    for (QPointer<QWidget> &w : windows)
        delete w.data();
}

}
