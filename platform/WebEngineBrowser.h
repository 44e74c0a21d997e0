#pragma once
#include "Browser.h"

#include <QObject>
#include <QPointer>

class QWebEngineProfile;
class QWebEngineView;
class BrowserPage;

// The browser over QtWebEngine. All browsers share one persistent profile so
// that a login made in one window holds in the others and survives a restart.
class WebEngineBrowser : public QObject, public Browser {
    Q_OBJECT
public:
    explicit WebEngineBrowser(QWidget *parent = nullptr);
    ~WebEngineBrowser() override;

    QWidget *widget() override;
    void Navigate(const QString &address) override;
    std::optional<PageSnapshot> document() const override;
    void Repaint() override;

    // The profile every browser of the program uses; its storage lives in
    // ${XDG_DATA_HOME:-$HOME/.local/share}/zorvel/.
    static QWebEngineProfile *sharedProfile();

private:
    friend class BrowserPage;
    bool beforeNavigate(const QString &address);
    void takeSnapshotThenComplete();

    QWebEngineView *m_view;
    BrowserPage *m_page;
    std::optional<PageSnapshot> m_document;
};
