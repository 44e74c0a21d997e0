#pragma once
// The bar's window procedure: sees every X event the program receives before
// Qt does, and picks out the hook library's messages to the bar.
#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

class QWidget;

class BarWndProc : public QAbstractNativeEventFilter {
public:
    // Installs itself on the application for as long as it lives.
    BarWndProc(QWidget &bar, std::function<void(std::uint8_t code)> handleHookMessage);
    ~BarWndProc() override;
    BarWndProc(const BarWndProc &) = delete;
    BarWndProc &operator=(const BarWndProc &) = delete;

    // Every event other than a hook message takes its ordinary course. A
    // hook message (a ClientMessage of type HookMessageId, format 32) to the
    // bar's own X window hands the low byte of its first word, the event code,
    // to the handler. Hook messages are consumed, also those the library sends
    // to the program's other windows: Qt has no use for them and would only
    // log each one as unknown.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    QWidget &m_bar;
    std::function<void(std::uint8_t)> m_handleHookMessage;
};
