#include "app/captions.h"

#include "app/fm_main.h"
#include "app/globals.h"

namespace vantrel {

std::string captionOf(const platform::IniFile& hlp, const std::string& name, const std::string& fallback)
{
    return hlp.readString(name, "Caption", fallback);
}

std::string hintOf(const platform::IniFile& hlp, const std::string& name, const std::string& fallback)
{
    return hlp.readString(name, "Hint", fallback);
}

void readCaptions(const platform::IniFile& hlp, framework::Form& form, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (auto* item = form.tryFind<framework::MenuItem>(name)) {
            item->setCaption(captionOf(hlp, name, item->caption()));
            item->setHint(hintOf(hlp, name, item->hint()));
            continue;
        }
        // The window's own row is its title.
        auto& control = name == form.name() ? form : form.find<framework::Control>(name);
        if (auto* memo = dynamic_cast<framework::Memo*>(&control)) {
            // A memo's caption is its first text, in lines.
            if (hlp.valueExists(name, "Caption"))
                memo->setText(captionOf(hlp, name, ""));
        } else {
            control.setCaption(captionOf(hlp, name, control.caption()));
        }
        control.setHint(hintOf(hlp, name, control.hint()));
    }
}

void readHints(const platform::IniFile& hlp, framework::Form& form, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        auto& control = form.find<framework::Control>(name);
        control.setHint(hintOf(hlp, name, control.hint()));
    }
}

std::string formatText(const std::string& pattern, const std::vector<std::string>& values)
{
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const size_t index = static_cast<size_t>(pattern[i + 1] - '1');
            if (index < values.size()) {
                out += values[index];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string messageText(const platform::IniFile& hlp, const std::string& key, const std::string& fallback,
                        const std::vector<std::string>& values)
{
    return formatText(hlp.readString("Message", key, fallback), values);
}

std::string programText(const std::string& key, const std::string& fallback, const std::vector<std::string>& values)
{
    const platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    return messageText(hlp, key, fallback, values);
}

} // namespace vantrel
