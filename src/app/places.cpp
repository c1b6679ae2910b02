#include "app/places.h"

#include <algorithm>
#include <vector>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "docedit/fm_doc_edi.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

namespace vantrel {

namespace {

struct Place {
    framework::Form* form;
    // The main window's height is the program's (the info panel sets it).
    bool sized;
};

// The windows that exist: a close during the start-up finds some missing.
std::vector<Place> places()
{
    std::vector<Place> all{{FmMain, false}, {FmCtrl, true}, {FmSys, true},
                           {FmMemo, true},  {FmCpp, true},  {FmDocEdi, true}};
    std::erase_if(all, [](const Place& place) { return place.form == nullptr; });
    return all;
}

} // namespace

void readWindowPlaces(const platform::IniFile& base)
{
    for (const Place& place : places()) {
        framework::Form& form = *place.form;
        const std::string& section = form.name();
        const int left = base.readInteger(section, "Left", form.left());
        const int top = base.readInteger(section, "Top", form.top());
        int width = form.width();
        int height = form.height();
        if (place.sized) {
            // A size too small to hold anything is no place to come back to.
            width = std::max(40, base.readInteger(section, "Width", width));
            height = std::max(30, base.readInteger(section, "Height", height));
        }
        form.setBounds(left, top, width, height);
    }
}

void writeWindowPlaces(platform::IniFile& base)
{
    for (const Place& place : places()) {
        const framework::Form& form = *place.form;
        const std::string& section = form.name();
        base.writeInteger(section, "Left", form.left());
        base.writeInteger(section, "Top", form.top());
        if (place.sized) {
            base.writeInteger(section, "Width", form.width());
            base.writeInteger(section, "Height", form.height());
        }
    }
}

} // namespace vantrel
