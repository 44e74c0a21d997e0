#include "WebEngineBrowser.h"

#include "ErrorReporter.h"
#include "UserDirectories.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>
#include <QVariantMap>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {

// How deep the program is inside before-navigate callbacks of any browser.
int navigationRequestDepth = 0;

// A document's load is reported as a console message carrying this run's
// token, which no page can guess.
const QString &documentLoadToken()
{
    static const QString token = QStringLiteral("zorvel-document-loaded-%1")
                                     .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    return token;
}

// Reads the top-level document the way the page-text rule needs it: walk up
// from the body to the top element and take its rendered text.
const char *const snapshotScript = R"((function () {
  var d = window.document;
  var html = (typeof HTMLDocument !== 'undefined') && (d instanceof HTMLDocument);
  if (!html || !d.body) return { isHtml: html, hasBody: false, text: '' };
  var e = d.body;
  while (e.parentElement) e = e.parentElement;
  return { isHtml: true, hasBody: true, text: e.innerText };
})())";
}

class BrowserPage : public QWebEnginePage {
public:
    BrowserPage(QWebEngineProfile *profile, WebEngineBrowser *owner)
        : QWebEnginePage(profile, owner), m_owner(owner)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
    {
        return m_owner->beforeNavigate(url.toString(QUrl::FullyEncoded));
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int,
                                  const QString &) override
    {
        if (message == documentLoadToken())
            m_owner->takeSnapshotThenComplete();
    }

private:
    WebEngineBrowser *m_owner;
};

QWebEngineProfile *WebEngineBrowser::sharedProfile()
{
    static QWebEngineProfile *profile = [] {
        auto *p = new QWebEngineProfile(QStringLiteral("zorvel"), QCoreApplication::instance());
        const QString root = UserDataDirectory() + QStringLiteral("/zorvel/browser");
        p->setPersistentStoragePath(root + QStringLiteral("/storage"));
        p->setCachePath(root + QStringLiteral("/cache"));
        // Session cookies are kept too: the web application's login is one.
        p->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);

        QWebEngineScript documentLoaded;
        documentLoaded.setName(QStringLiteral("zorvel-document-loaded"));
        documentLoaded.setWorldId(QWebEngineScript::ApplicationWorld);
        documentLoaded.setInjectionPoint(QWebEngineScript::DocumentReady);
        documentLoaded.setRunsOnSubFrames(true);
        // Every document that finishes loading, the page's and each frame's, says
        // so once its load event has run (at once when it already has). This is
        // the one completion signal: the engine's own load signals merge a
        // navigation started while another still loads into one, and then
        // report neither the right document nor its end. The browser's own
        // error pages (server unreachable) run the script as well; a refused
        // navigation loads no document and so completes nothing.
        documentLoaded.setSourceCode(QStringLiteral(
            "(function () { function loaded() { console.info('%1'); }"
            " if (document.readyState === 'complete') loaded();"
            " else window.addEventListener('load', loaded); })();").arg(documentLoadToken()));
        p->scripts()->insert(documentLoaded);
        return p;
    }();
    return profile;
}

WebEngineBrowser::WebEngineBrowser(QWidget *parent)
    : QObject(parent), m_view(new QWebEngineView(parent)), m_page(new BrowserPage(sharedProfile(), this))
{
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
}

WebEngineBrowser::~WebEngineBrowser() = default;

QWidget *WebEngineBrowser::widget()
{
    return m_view;
}

void WebEngineBrowser::Navigate(const QString &address)
{
    // Starting a load while the engine waits for a navigation decision
    // destroys the request under its feet; such a load starts right after.
    if (navigationRequestDepth > 0) {
        QTimer::singleShot(0, this, [this, address] { m_page->load(QUrl(address)); });
        return;
    }
    m_page->load(QUrl(address));
}

std::optional<PageSnapshot> WebEngineBrowser::document() const
{
    return m_document;
}

void WebEngineBrowser::Repaint()
{
    m_view->update();
    if (QWidget *surface = m_view->focusProxy())
        surface->update();
}

bool WebEngineBrowser::beforeNavigate(const QString &address)
{
    bool cancel = false;
    ++navigationRequestDepth;
    // An error box would run its own event loop inside the engine's navigation
    // decision: the failure is reported right after it instead.
    if (OnBeforeNavigate) {
        if (std::optional<QString> failure = runCatching([&] { OnBeforeNavigate(address, cancel); }))
            QTimer::singleShot(0, this, [message = *failure] { errorReporter().report(message); });
    }
    --navigationRequestDepth;
    return !cancel;
}

void WebEngineBrowser::takeSnapshotThenComplete()
{
    QPointer<WebEngineBrowser> self(this);
    m_page->runJavaScript(QString::fromLatin1(snapshotScript), QWebEngineScript::ApplicationWorld,
                          [self](const QVariant &result) {
        if (!self)
            return;
        PageSnapshot snapshot;
        const QVariantMap map = result.toMap();
        if (map.isEmpty()) {
            // The browser's own error pages run no scripts: an HTML page without text.
            snapshot.isHtml = snapshot.hasBody = true;
        } else {
            snapshot.isHtml = map.value(QStringLiteral("isHtml")).toBool();
            snapshot.hasBody = map.value(QStringLiteral("hasBody")).toBool();
            // Rendered line breaks are CR LF pairs, as the page-height rule counts them.
            snapshot.topElementText = map.value(QStringLiteral("text")).toString()
                                          .replace(QLatin1String("\r\n"), QLatin1String("\n"))
                                          .replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        }
        self->m_document = snapshot;
        if (self->OnDocumentComplete)
            runGuarded([&] { self->OnDocumentComplete(); });
    });
}
