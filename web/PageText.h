#pragma once
// The text of the page a browser shows, as the navigation rules and the
// account window's height read it.
#include "Browser.h"

#include <QString>
#include <optional>

// The rendered text of the top-level document's top element (the body walked
// up to the element without a parent), with CR LF line breaks; nothing while
// the browser has no document. Throws ZorvelError when the document is not an
// HTML document or has no body element: there is no text to read then.
std::optional<QString> ReadPageText(const Browser &browser);
