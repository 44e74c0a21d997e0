#pragma once
// A browser without a page: records navigations and lets a test complete
// documents with the text it chooses.
#include "Browser.h"

#include <QStringList>
#include <QWidget>

class FakeBrowser : public Browser {
public:
    explicit FakeBrowser(QWidget *parent) : m_widget(new QWidget(parent)) {}

    QWidget *widget() override { return m_widget; }
    void Navigate(const QString &address) override
    {
        navigations << address;
        if (log)
            log->append(QStringLiteral("navigate ") + address);
        // A real browser asks before it goes anywhere, also when told to go.
        bool cancel = false;
        if (OnBeforeNavigate)
            OnBeforeNavigate(address, cancel);
        if (cancel)
            cancelled << address;
    }
    std::optional<PageSnapshot> document() const override { return snapshot; }
    void Repaint() override { ++repaints; }

    // Simulates the page, or a frame, finishing its load with this text.
    void Complete(const QString &text, bool isHtml = true, bool hasBody = true)
    {
        snapshot = PageSnapshot{isHtml, hasBody, text};
        if (OnDocumentComplete)
            OnDocumentComplete();
    }
    // Simulates a navigation the page itself starts (a link, a frame, a form post).
    bool PageNavigates(const QString &address)
    {
        bool cancel = false;
        if (OnBeforeNavigate)
            OnBeforeNavigate(address, cancel);
        if (!cancel)
            navigations << address;
        return !cancel;
    }

    QStringList navigations;
    QStringList cancelled;
    std::optional<PageSnapshot> snapshot;
    int repaints = 0;
    QStringList *log = nullptr;

private:
    QWidget *m_widget;
};
