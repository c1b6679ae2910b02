// Form input: the theme text plus the entry typed into the search form of
// the page in the run's browser, then submitted.

#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/errors.h"
#include "sitetree/fm_ctrl.h"

void TFmCpp::PMPFormInputClick()
{
    InputText = EditThemas.text() + CurrentEntry;
    if (PageName == "Manip") {
        // The operation table is replayed with real keys and clicks instead.
        FmCtrl->PMMSrcRunClick();
        return;
    }
    if (PageName != "Base" && PageName != "Free")
        return;
    if (!ActiveBrowser)
        throw browserctl::DocumentCallError("Document: no browser is active");
    formInput(*ActiveBrowser);
}

void TFmCpp::formInput(framework::WebBrowserHost& host)
{
    // Each call replaces the objects of the previous form input; a failing
    // call ends the input there.
    InputField.reset();
    InputForm.reset();
    InputDocument = host.browser().Document();
    InputForm = InputDocument->form(FormName);
    InputField = InputForm->element(InputName);
    InputField->setValue(InputText);
    InputForm->submit();
}
