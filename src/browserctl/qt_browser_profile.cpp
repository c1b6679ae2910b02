#include "browserctl/qt_browser_profile.h"

#include "ui/qt_keywords.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineCookieStore>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "browserctl/qt_web_browser.h"

namespace browserctl {

namespace {

BrowserProfileSettings& profileSettings()
{
    static BrowserProfileSettings settings;
    return settings;
}

QPointer<QWebEngineProfile>& sharedProfile()
{
    static QPointer<QWebEngineProfile> profile;
    return profile;
}

void tell(const std::string& line)
{
    if (profileSettings().onDownload)
        profileSettings().onDownload(line);
}

std::string absolute(const std::string& folder)
{
    if (folder.empty())
        return folder;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(folder, error);
    return error ? folder : path.lexically_normal().string();
}

// Reserves a name in the folder that no file has: "report.pdf", "report
// (2).pdf", ... The file is created, empty, exclusively, so a download
// that starts at the same time cannot take it too. Only the last part of
// the name the page gives counts: a page cannot name a path. Empty when
// the folder takes no file.
QString reserveName(const QDir& folder, const QString& wanted, std::string& failure)
{
    QString given = QFileInfo(wanted).fileName();
    if (given.isEmpty() || given == QLatin1String(".") || given == QLatin1String(".."))
        given = QStringLiteral("download");
    const QFileInfo info(given);
    const QString base = info.completeBaseName().isEmpty() ? given : info.completeBaseName();
    const QString suffix =
        info.completeBaseName().isEmpty() || info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1; n < 10000; ++n) {
        const QString name = n == 1 ? base + suffix : QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        const QByteArray path = QFile::encodeName(folder.absoluteFilePath(name));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) {
            failure = std::strerror(errno);
            return {};
        }
    }
    failure = "no free name";
    return {};
}

void takeDownload(QWebEngineDownloadRequest* download)
{
    const BrowserProfileSettings& settings = profileSettings();
    const std::string source = download->url().toString().toStdString();
    QtWebBrowser* browser = QtWebBrowser::forDownload(*download);
    if (settings.refuseDownloads) {
        download->cancel();
        tell("Download refused: " + source);
        if (browser)
            browser->becameDownload(source);
        return;
    }

    QString folderPath = QString::fromStdString(settings.downloadFolder);
    if (folderPath.isEmpty())
        folderPath = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folderPath.isEmpty())
        folderPath = QDir::homePath();
    QDir folder(folderPath);
    folder.mkpath(QStringLiteral("."));
    std::string failure;
    const QString suggested = download->suggestedFileName();
    const QString name = reserveName(folder, suggested.isEmpty() ? download->downloadFileName() : suggested, failure);
    if (name.isEmpty()) {
        download->cancel();
        tell("Download failed: " + source + " (" + folder.absolutePath().toStdString() + ": " + failure + ")");
        if (browser)
            browser->becameDownload(source);
        return;
    }
    download->setDownloadDirectory(folder.absolutePath());
    download->setDownloadFileName(name);
    const QString path = folder.absoluteFilePath(name);
    tell("Download: " + source + " -> " + path.toStdString());
    QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, download, [download, path] {
        if (!download->isFinished())
            return;
        if (download->state() == QWebEngineDownloadRequest::DownloadCompleted) {
            tell("Download finished: " + path.toStdString());
            return;
        }
        // The reserved name goes back when nothing came into it.
        if (QFileInfo(path).size() == 0)
            QFile::remove(path);
        tell("Download failed: " + path.toStdString() + " (" + download->interruptReasonString().toStdString() + ")");
    });
    download->accept();
    if (browser)
        browser->becameDownload(source);
}

} // namespace

void configureBrowserProfile(BrowserProfileSettings settings)
{
    // The engine takes the folders as they are; a relative one would mean
    // another folder for each helper process that starts elsewhere.
    settings.storageFolder = absolute(settings.storageFolder);
    settings.downloadFolder = absolute(settings.downloadFolder);
    profileSettings() = std::move(settings);
    setBrowsingDataClearer([] {
        QWebEngineProfile* profile = browserProfile();
        profile->cookieStore()->deleteAllCookies();
        profile->clearHttpCache();
        profile->clearAllVisitedLinks();
    });
}

void closeBrowserProfile()
{
    delete sharedProfile().data();
    sharedProfile() = nullptr;
}

QWebEngineProfile* browserProfile()
{
    if (sharedProfile())
        return sharedProfile();
    const BrowserProfileSettings& settings = profileSettings();
    QWebEngineProfile* profile = nullptr;
    if (settings.privateBrowsing || settings.storageFolder.empty()) {
        // Off the record: cookies, cache and history stay in memory.
        profile = new QWebEngineProfile(qApp);
    } else {
        profile = new QWebEngineProfile(QStringLiteral("vantrel"), qApp);
        const QString folder = QString::fromStdString(settings.storageFolder);
        profile->setPersistentStoragePath(folder + QStringLiteral("/storage"));
        profile->setCachePath(folder + QStringLiteral("/cache"));
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setHttpCacheMaximumSize(static_cast<int>(std::min<long long>(settings.cacheBytes, INT32_MAX)));
        profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    }
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile, takeDownload);
    sharedProfile() = profile;
    return profile;
}

} // namespace browserctl
