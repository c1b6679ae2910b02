// Program entry: options, data folder, the Qt application, the six windows.

#include <QApplication>
#include <QIcon>
#include <QWidget>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/batch_run.h"
#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "app/program.h"
#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_engine.h"
#include "framework/application.h"
#include "framework/errors.h"
#include "memo/fm_memo.h"
#include "platform/data_folder.h"
#include "platform/ini_file.h"
#include "ui/binder.h"
#include "ui/qt_services.h"
#include "ui/quit_signals.h"
#include "ui/screenshots.h"

namespace {

const char* usage = "Usage: vantrel [--data-dir DIR] [--help] [--version]\n"
                    "       vantrel run [--data-dir DIR] --theme TEXT (--list NAME | --words a,b,c |\n"
                    "                   --words-file FILE) [options]   (vantrel run --help)\n"
                    "\n"
                    "Runs bulk searches through many embedded browser tabs.\n"
                    "\n"
                    "  --data-dir DIR  use DIR as the data folder (also VANTREL_DATA_DIR)\n"
                    "  --help          show this help and exit\n"
                    "  --version       show the version and exit\n"
                    "  run ...         a list run without windows, for scripts (see vantrel run --help)\n"
                    "\n"
                    "Without a data folder option the program uses its own folder when it\n"
                    "holds 0Language.txt, otherwise $XDG_DATA_HOME/vantrel, seeded on first\n"
                    "start from the installed data set.\n";

// A common desktop browser window's page.
constexpr int BatchViewWidth = 1280;
constexpr int BatchViewHeight = 800;

std::string envText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

void prepareBrowserEngine(bool batch)
{
    // One renderer process per site: 51 tabs of one search site share one
    // renderer. Chromium refuses its sandbox when run as root.
    std::string flags = envText("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.find("--process-per-site") == std::string::npos)
        flags += " --process-per-site";
    // A batch run shows none of its pages, and a page out of sight gets its
    // timers once a second: results a script draws one by one would take a
    // second each, and a page would settle a second late.
    if (batch && flags.find("--disable-background-timer-throttling") == std::string::npos)
        flags += " --disable-background-timer-throttling";
    if (::geteuid() == 0 && flags.find("--no-sandbox") == std::string::npos)
        flags += " --no-sandbox";
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
}

// The working directory at start: every relative path the user gives is
// taken against it, once (the browser engine's processes do not share it).
const platform::fs::path& startDirectory()
{
    static const platform::fs::path directory = [] {
        std::error_code ec;
        return platform::fs::current_path(ec);
    }();
    return directory;
}

platform::fs::path chooseDataFolder(const std::string& dataDir)
{
    platform::DataFolderInputs inputs;
    inputs.dataDirOption = dataDir;
    inputs.envDataDir = envText("VANTREL_DATA_DIR");
    inputs.workingDirectory = startDirectory();
    // Read before Qt starts, so that a batch run can refuse a missing data
    // folder before the engine says anything.
    std::error_code ec;
    inputs.exeDir = platform::fs::read_symlink("/proc/self/exe", ec).parent_path();
    // A relative XDG_DATA_HOME is not valid and is ignored.
    const platform::fs::path xdgData = envText("XDG_DATA_HOME");
    inputs.xdgDataHome = xdgData.is_absolute() ? xdgData : platform::fs::path(envText("HOME")) / ".local" / "share";
    if (!inputs.exeDir.empty())
        inputs.distribution = inputs.exeDir.parent_path() / "share" / "vantrel";
    return platform::resolveDataFolder(inputs);
}

// The name and icon the desktop shows for the windows, matching the
// installed desktop entry (its StartupWMClass is the application name).
void identifyApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("vantrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID));
    // Qt sends every size of the window icon to the X server for each
    // window it creates; window managers draw at most 128 pixels. The
    // 256-pixel image alone was three quarters of that data, about a
    // third of the work of showing the first windows.
    const QIcon themed = QIcon::fromTheme(QStringLiteral(VANTREL_APP_ID));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        if (themed.isNull())
            icon.addFile(QStringLiteral(":/icons/vantrel-%1.png").arg(size));
        else
            icon.addPixmap(themed.pixmap(QSize(size, size), 1.0));
    }
    QApplication::setWindowIcon(icon);
}

// The browsers of the windows, or of a batch run: those refuse downloads
// (the run writes nothing but its results) and lay their pages out as on
// a desktop screen, since nobody sizes their views (a page narrower than
// its layout's breakpoint hides what a person would use, such as a
// sidebar's search box).
void useQtBrowsers(const platform::fs::path& dataFolder, std::function<void(const std::string&)> tell, bool batch)
{
    // One profile for every tab, kept in the data folder unless the user
    // chose private browsing.
    browserctl::BrowserProfileSettings profile;
    profile.storageFolder = platform::pathText(dataFolder / "Browser");
    {
        const platform::IniFile base(dataFolder / "0Base.INI");
        profile.privateBrowsing = base.readBool("Begin", "PrivateBrowsing", false);
    }
    profile.refuseDownloads = batch;
    profile.onDownload = [tell = std::move(tell)](const std::string& line) {
        tell(line);
        if (framework::Application::exists())
            framework::app().deliver(nullptr, [line] {
                if (FmMemo)
                    FmMemo->MemoLog.addLine(line);
            });
    };
    browserctl::engine::configureProfile(std::move(profile));
    framework::WebBrowserHost::setFactory([batch](framework::WebBrowserHost&) {
        std::shared_ptr<browserctl::WebBrowser> browser = browserctl::engine::makeBrowser();
        if (QWidget* view = batch ? browserctl::engine::browserWidget(*browser) : nullptr)
            view->resize(BatchViewWidth, BatchViewHeight);
        return browser;
    });
}

// The batch run's standard error holds its own lines. Chromium's processes
// and Qt's messages write to descriptor 2 as well (thirty lines of start-up
// report, the pages' console messages, complaints about the graphics);
// unless --verbose that descriptor goes to /dev/null, and the run writes to
// a copy of the original one.
int batchOutput = STDERR_FILENO;

void writeLine(int fd, std::string text)
{
    text += '\n';
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        left -= static_cast<size_t>(written);
    }
}

// What ends the program still reaches the user, in the run's words.
volatile sig_atomic_t fatalTold = 0;

void onFatalMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg)
        return;
    writeLine(batchOutput, "vantrel run: stopped by a fatal error: " + message.toStdString());
    fatalTold = 1; // the abort that follows needs no second line
}

void onCrash(int number)
{
    static const char text[] = "vantrel run: the program crashed; run it again with --verbose to see the browser "
                               "engine's messages\n";
    if (!fatalTold) {
        [[maybe_unused]] auto written = ::write(batchOutput, text, sizeof text - 1);
    }
    ::signal(number, SIG_DFL);
    ::raise(number);
}

void quietenTheEngine()
{
    const int copy = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (copy < 0 || null < 0 || ::dup2(null, STDERR_FILENO) < 0) {
        if (copy >= 0)
            ::close(copy);
        if (null >= 0)
            ::close(null);
        return; // the chatter stays: better than losing the run's own lines
    }
    ::close(null);
    batchOutput = copy;
    qInstallMessageHandler(onFatalMessage);
    struct sigaction action {};
    action.sa_handler = onCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    for (int number : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP})
        sigaction(number, &action, nullptr);
}

// The end of either mode: every window saves what it keeps, then the
// browser profile, once no tab uses it, writes its own and closes.
void closeWindows(framework::Application& application)
{
    application.destroyForms();
    vantrel::forgetForms();
    framework::WebBrowserHost::setFactory(nullptr);
    browserctl::engine::closeProfile();
}

// `vantrel run`: the windows' models without windows, offscreen.
int runBatch(int argc, char** argv)
{
    std::vector<std::string> args(argv + 2, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end()) {
        std::fputs(vantrel::batchUsage(), stdout);
        return 0;
    }
    vantrel::BatchOptions options;
    platform::fs::path folder;
    try {
        options = vantrel::parseBatchOptions(args);
    } catch (const vantrel::BatchError& e) {
        std::fprintf(stderr, "vantrel run: %s\n\n%s", e.what(), vantrel::batchUsage());
        return vantrel::BatchFailed;
    }
    try {
        vantrel::makePathsAbsolute(options, startDirectory());
        folder = chooseDataFolder(options.dataDir);
        vantrel::checkDataFolder(folder);
    } catch (const framework::Error& e) {
        std::fprintf(stderr, "vantrel run: %s\n", e.what());
        return vantrel::BatchFailed;
    }
    if (!options.verbose)
        quietenTheEngine();
    const auto print = [](const std::string& line) { writeLine(batchOutput, line); };

    // No display is needed: the browsers render offscreen. The engine's
    // report on the graphics it could not find is noise in a script's log.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false;qt.qpa.*=false", 0);
    prepareBrowserEngine(true);
    browserctl::prepareBrowserGraphics();
    QApplication qtApp(argc, argv);
    identifyApplication();
    // Every word needs the browser engine: without it the run does not
    // start.
    try {
        browserctl::engine::require(true);
    } catch (const framework::Error& e) {
        writeLine(batchOutput, std::string("vantrel run: ") + e.what());
        return vantrel::BatchFailed;
    }
    vantrel::setDataFolder(folder);
    // The run reads the data folder and writes its results only.
    platform::setWriteFence(folder / "Results");

    framework::Application application(ui::makeQtServices());
    application.exeName = QCoreApplication::applicationFilePath().toStdString();
    application.setUnattended(true);
    vantrel::BatchRun batch(options, print);
    // The boxes the windows would show are the run's messages.
    application.unattendedOutput = [&batch](const std::string& text) { batch.report(text); };
    // A batch run promises to write nothing but its results: a page that
    // is a download fails its word instead.
    useQtBrowsers(
        folder, [&batch](const std::string& line) { batch.report(line); }, true);
    batch.onFinished = [] { QCoreApplication::exit(0); };

    // A signal ends the run within a second: what waits (a page's answer)
    // is cancelled, and the run ends once the handler in progress has.
    const ui::QuitSignals quitSignals(
        [&application, &batch](int number) { application.requestQuit([&batch, number] { batch.stop(number); }); });

    vantrel::createForms(application);
    bool started = false;
    application.dispatch([&] {
        try {
            batch.start();
            started = true;
        } catch (const vantrel::BatchError& e) {
            print("vantrel run: " + std::string(e.what()));
        }
    });
    if (started && !batch.finished())
        QApplication::exec();
    closeWindows(application);
    return started ? batch.exitCode() : vantrel::BatchFailed;
}

} // namespace

int main(int argc, char** argv)
{
    startDirectory();
    if (argc > 1 && std::string(argv[1]) == "run")
        return runBatch(argc, argv);

    std::string dataDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("vantrel %s\n", VANTREL_VERSION);
            return 0;
        }
        if (arg == "--data-dir" && i + 1 < argc) {
            dataDir = argv[++i];
        } else if (arg.rfind("--data-dir=", 0) == 0) {
            dataDir = arg.substr(std::strlen("--data-dir="));
        } else {
            std::fprintf(stderr, "vantrel: unknown option '%s'\n\n%s", arg.c_str(), usage);
            return 2;
        }
    }

    prepareBrowserEngine(false);
    // No OpenGL at start: the browser views draw in software (unless the
    // user chose another Qt Quick backend).
    browserctl::prepareBrowserGraphics();
    platform::fs::path folder;
    try {
        folder = chooseDataFolder(dataDir);
    } catch (const framework::Error& e) {
        std::fprintf(stderr, "vantrel: %s\n", e.what());
        return 1;
    }
    QApplication qtApp(argc, argv);
    // The engine loads with the first browser; a program installed without
    // it still edits and keeps its lists, and says why it shows no page.
    try {
        browserctl::engine::require(false);
    } catch (const framework::Error& e) {
        std::fprintf(stderr, "vantrel: %s: no page can be shown\n", e.what());
    }

    vantrel::setDataFolder(folder);

    framework::Application application(ui::makeQtServices());
    application.exeName = QCoreApplication::applicationFilePath().toStdString();
    identifyApplication();
    ui::Binder binder(application);
    // Browsers come to life on first use, and their views go into their tabs.
    useQtBrowsers(
        vantrel::dataFolder(), [](const std::string& line) { std::fprintf(stderr, "vantrel: %s\n", line.c_str()); },
        false);
    binder.setBrowserWidgetProvider([](framework::WebBrowserHost& host) -> QWidget* {
        auto* browser = host.browserIfCreated();
        return browser ? browserctl::engine::browserWidget(*browser) : nullptr;
    });
    qtApp.setQuitOnLastWindowClosed(false);
    // exit(), not quit(): quit() first asks every window to close, and the
    // windows leave that decision to their forms.
    application.terminating.connect([] { QCoreApplication::exit(0); });

    // SIGTERM, SIGINT and SIGHUP close the windows as the user does; failed
    // saves are reported on standard error.
    const auto quitSignals = ui::closeWindowsOnSignals(application);

    // make screenshots: every window as a picture, then the end. No box may
    // wait for an answer meanwhile.
    const QString screenshots = qEnvironmentVariable("VANTREL_SCREENSHOTS");
    if (!screenshots.isEmpty())
        application.setUnattended(true);
    vantrel::createForms(application);
    // The boxes' buttons speak the language of the windows.
    if (FmMain) {
        const platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
        ui::setDialogButtonTexts(vantrel::messageText(hlp, "DialogYes", ""), vantrel::messageText(hlp, "DialogNo", ""),
                                 vantrel::messageText(hlp, "DialogOK", ""),
                                 vantrel::messageText(hlp, "DialogCancel", ""));
    }
    int result = 0;
    if (!screenshots.isEmpty() && !application.terminated())
        ui::takeScreenshots(application, binder, screenshots);
    else if (!application.terminated())
        result = QApplication::exec();
    closeWindows(application);
    return result;
}
