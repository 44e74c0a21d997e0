#pragma once
// Turns a left click on a widget that has no click signal of its own (a label)
// into a call of its handler, through the one guard.
#include <QObject>

#include <functional>

class QWidget;

class ClickFilter : public QObject {
public:
    ClickFilter(QWidget *target, std::function<void()> handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_handler;
};
