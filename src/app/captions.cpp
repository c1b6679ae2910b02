#include "app/captions.h"

namespace vantrel {

std::string captionOf(const platform::IniFile& hlp, const std::string& name, const std::string& fallback)
{
    return hlp.readString(name, "Caption", fallback);
}

void readCaptions(const platform::IniFile& hlp, framework::Form& form, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (auto* item = form.tryFind<framework::MenuItem>(name)) {
            item->setCaption(captionOf(hlp, name, item->caption()));
            continue;
        }
        auto& control = form.find<framework::Control>(name);
        control.setCaption(captionOf(hlp, name, control.caption()));
    }
}

} // namespace vantrel
