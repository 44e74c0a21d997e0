#include "PageText.h"

#include "ErrorReporter.h"

std::optional<QString> ReadPageText(const Browser &browser)
{
    const std::optional<PageSnapshot> document = browser.document();
    if (!document)
        return std::nullopt;
    if (!document->isHtml)
        throw ZorvelError(QStringLiteral("The page is not an HTML document"));
    if (!document->hasBody)
        throw ZorvelError(QStringLiteral("The page has no body element"));
    return document->topElementText;
}
