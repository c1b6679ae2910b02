#pragma once
// The document objects of a QtWebBrowser. Page objects cannot be held
// across calls, so a named form remembers its name or id and a field its
// name, and each call looks them up again; a form or field the browser
// found itself (it may have neither) is tagged in the application's world
// and found again by that tag. All of them belong to one document: every
// document gets an id when Document() is asked for, and a call made after
// the page was replaced fails instead of acting on the new page.

#include <memory>

#include "browserctl/web_browser.h"

namespace browserctl {
class QtWebBrowser;
}

namespace browserctl::detail {

// The document the browser shows now; throws DocumentCallError.
std::unique_ptr<HtmlDocument> openDocument(QtWebBrowser& browser, const std::shared_ptr<bool>& alive);

} // namespace browserctl::detail
