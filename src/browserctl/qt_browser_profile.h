#pragma once
// The one profile all browsers share, and the downloads their pages start.

#include <functional>
#include <string>

class QWebEngineProfile;

namespace browserctl {

// Kept: cookies, logins and site settings live in storageFolder and
// survive a restart, and the HTTP cache is on disk, at most cacheBytes.
// Private: nothing outlives the program. A relative folder is taken from
// the current directory when the profile is configured.
//
// Downloads: with refuseDownloads (a batch run writes nothing but its
// results) a page's download is cancelled before a byte is written. Else
// it goes to downloadFolder (the user's download folder when empty) under
// a name of its own: the last part of the name the page gives, reserved
// when the download starts, so downloads of one name at once never write
// into one file. Either way the browser whose navigation became the
// download raises PageFailed ("the page is a download"), and onDownload
// hears a line for the log when one starts, is refused and ends.
struct BrowserProfileSettings {
    std::string storageFolder;
    bool privateBrowsing = false;
    long long cacheBytes = 200LL * 1024 * 1024;
    std::string downloadFolder;
    bool refuseDownloads = false;
    std::function<void(const std::string& line)> onDownload;
};
// Before the first browser; it also installs the browsing-data clearer.
void configureBrowserProfile(BrowserProfileSettings settings);
// Drops the profile once no browser uses it, so the next browser opens it
// anew from its folder (the tests' restart of the program).
void closeBrowserProfile();
QWebEngineProfile* browserProfile();

} // namespace browserctl
