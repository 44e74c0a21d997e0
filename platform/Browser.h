#pragma once
// The embedded browser as the windows see it: navigate, hear about navigations
// and completed documents, read the page's text, repaint. One implementation
// runs QtWebEngine; tests use a fake.
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// What the top-level document looked like when its last load completed.
struct PageSnapshot {
    bool isHtml = false;   // the document is an HTML document
    bool hasBody = false;  // it has a body element
    QString topElementText; // rendered inner text of the element above the body
};

class Browser {
public:
    virtual ~Browser() = default;

    // The widget that shows the page; the window places it inside its clipping panel.
    virtual QWidget *widget() = 0;
    // Loads an address, as given, with no posted data or headers.
    virtual void Navigate(const QString &address) = 0;
    // The top-level document, or nothing before the first document has loaded.
    virtual std::optional<PageSnapshot> document() const = 0;
    // Paints whatever is waiting to be painted; nothing is reloaded.
    virtual void Repaint() = 0;

    // Before every navigation of the page or of any of its frames, form posts
    // included; the handler sets cancel to keep the browser where it is.
    std::function<void(const QString &address, bool &cancel)> OnBeforeNavigate;
    // After each document of the page or of a frame has finished loading; a
    // cancelled navigation completes nothing.
    std::function<void()> OnDocumentComplete;
};
