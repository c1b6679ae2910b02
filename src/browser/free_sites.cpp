// Free search sites: a list of named search pages, each with the id of its
// search form and the name of its text field.

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/text_util.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"

using namespace framework;

void TFmCpp::TabSheetMFreeShow()
{
    PageName = "Free";
    SiteTitle = ComboBoxFreeSite.text();
    PMFreeEFReadClick();
}

void TFmCpp::PMFreeCFLoadClick()
{
    // A missing list is reported by the load; the list stays as it was.
    freeSites_.load(FmMain->langPath("FreeSerchSite.txt"));
}

void TFmCpp::PMFreeEFReadClick()
{
    ComboBoxFreeSite.setVisible(true);
    FreeFolded = true;
    GroupBoxFreeClick();
    // On the Free page the site read is the one searched: the title and
    // the run's record name it.
    if (runs::pageOf(PageName) == runs::Page::Free)
        SiteTitle = ComboBoxFreeSite.text();
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        const std::string site = ComboBoxFreeSite.text();
        FormName = base.readString(site, "FormName", "");
        InputName = base.readString(site, "InputName", "");
        SiteURL = base.readString(site, "URL", "");
        run_.site = runs::readSiteOptions(base, site);
    }
    EditFreeFormName.setText(FormName);
    EditFreeInputName.setText(InputName);
    EditFreeURL.setText(SiteURL);
    LabelFreeKind.setCaption(siteKindText(runs::siteKindOf(SiteURL, FormName, InputName)));
    FmMain->showAddress(SiteURL);
    setCaption(SiteTitle + " : " + SiteURL);
}

void TFmCpp::PMFreeCFSaveClick()
{
    if (freeSites_.addChoice())
        freeSites_.save(FmMain->langPath("FreeSerchSite.txt"));
    PMFreeEFWriteClick();
    // The site saved on the Free page is the one its next run searches (the
    // main window's Save, on another page, leaves that page's site alone).
    if (runs::pageOf(PageName) == runs::Page::Free)
        PMFreeEFReadClick();
}

void TFmCpp::PMFreeEFWriteClick()
{
    platform::IniFile base(FmMain->langPath("Base.INI"));
    const std::string site = ComboBoxFreeSite.text();
    freeSites_.writeChoice(base);
    base.writeString(site, "FormName", EditFreeFormName.text());
    base.writeString(site, "InputName", EditFreeInputName.text());
    base.writeString(site, "URL", EditFreeURL.text());
    base.flush();
}

void TFmCpp::ComboBoxFreeSiteClick()
{
    PMFreeEFReadClick();
}

void TFmCpp::ToolButtonFreeSaveClick()
{
    PMFreeCFSaveClick();
}

void TFmCpp::PMFreeTTestClick()
{
    // The site as read last (an unsaved edit counts once it is saved and
    // read, as for a run), in the current tab of the Free page, where the
    // band is.
    // The finding may be longer than the band: its hint holds it whole.
    testSite([this](const std::string& finding) {
        LabelFreeKind.setCaption(finding);
        LabelFreeKind.setHint(finding);
    });
}

void TFmCpp::GroupBoxFreeClick()
{
    toggleBandFold(GroupBoxFree, FreeFolded, false, 65, " - Free");
}
