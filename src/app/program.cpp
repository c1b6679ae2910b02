#include "app/program.h"

#include <cstdio>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app/places.h"
#include "browser/fm_cpp.h"
#include "docedit/fm_doc_edi.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

TFmMain* FmMain = nullptr;
TFmCtrl* FmCtrl = nullptr;
TFmSys* FmSys = nullptr;
TFmMemo* FmMemo = nullptr;
TFmCpp* FmCpp = nullptr;
TFmDocEdi* FmDocEdi = nullptr;

namespace vantrel {

namespace {
void createFormsInOrder(framework::Application& application);

// The window globals, each given to f by reference.
template <class F> void forEachWindowGlobal(F f)
{
    f(FmMain);
    f(FmCtrl);
    f(FmSys);
    f(FmMemo);
    f(FmCpp);
    f(FmDocEdi);
}

void forgetForm(const framework::Form* form)
{
    forEachWindowGlobal([form](auto*& global) {
        if (global == form)
            global = nullptr;
    });
}

platform::fs::path& folder()
{
    static platform::fs::path path;
    return path;
}
} // namespace

void setDataFolder(const platform::fs::path& path)
{
    folder() = path;
}

const platform::fs::path& dataFolder()
{
    return folder();
}

void createForms(framework::Application& application)
{
    // A save that fails where no exception can go (an INI file released by
    // a handler an error cut short) is shown like any other error, once the
    // running handler has ended.
    platform::setFailureReporter([](const std::string& text) {
        if (!framework::Application::exists()) {
            std::fprintf(stderr, "vantrel: %s\n", text.c_str());
            return;
        }
        framework::app().deliver(nullptr, [text] { framework::app().dialogs().showError(text); });
    });
    // A window's global goes with the window: the windows destroyed after
    // it see none, not freed memory.
    application.formDestroyed.connect([](const framework::Form* form) { forgetForm(form); });
    // The start-up is one handler: what arrives meanwhile (a close the
    // system asks for, a browser event) waits until every window exists
    // and has loaded its files.
    application.dispatch([&application] { createFormsInOrder(application); });
}

namespace {
void createFormsInOrder(framework::Application& application)
{
    application.setTitle(ApplicationTitle);
    // A save cut short by a crash or a kill leaves its temporary file
    // beside its target. Once per start, before any window saves: a minute
    // is far longer than a save takes, so a younger file may be a save in
    // progress in another instance.
    if (!dataFolder().empty())
        platform::removeLeftoverTemporaries(dataFolder(), std::chrono::minutes(1));
    // Every other window builds its paths from FmMain's ExeDir and LangName,
    // so the main window is created, and its creation finished, first.
    application.createForm(FmMain, false);
    application.createForm(FmCtrl, false);
    application.createForm(FmSys, false);
    application.createForm(FmMemo, false);
    application.createForm(FmCpp, false);
    application.createForm(FmDocEdi, false);
    // Every window where the user left it (the windows that read their own
    // place got the same one).
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        readWindowPlaces(base);
    }
    // Shown once all six exist: their show handlers load files that reach
    // into the other windows.
    for (framework::Form* form : {static_cast<framework::Form*>(FmMain), static_cast<framework::Form*>(FmCtrl),
                                  static_cast<framework::Form*>(FmCpp)})
        application.dispatch([form] { form->show(); });
}
} // namespace

void forgetForms()
{
    platform::setFailureReporter(nullptr);
    forEachWindowGlobal([](auto*& global) { global = nullptr; });
}

} // namespace vantrel
