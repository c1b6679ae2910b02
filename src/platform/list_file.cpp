#include "platform/list_file.h"

#include "framework/text_util.h"
#include "platform/text_store.h"

namespace platform {

void ListFile::load(const fs::path& path)
{
    guard_.load([&] { box_.setItems(loadLines(path)); });
}

void ListFile::loadOrCreate(const fs::path& path)
{
    guard_.load([&] {
        if (fileExists(path))
            box_.setItems(loadLines(path));
        else
            saveLines(path, box_.items());
    });
}

bool ListFile::save(const fs::path& path)
{
    if (!guard_.mayReplace(path))
        return false;
    saveLines(path, box_.items());
    return true;
}

bool ListFile::addChoice()
{
    if (framework::anyContains(box_.items(), box_.text()))
        return false;
    box_.addItem(box_.text());
    return true;
}

void ListFile::readChoice(const IniFile& ini)
{
    box_.setText(ini.readString(section_, key_, ""));
    choiceRead_ = true;
}

void ListFile::writeChoice(IniFile& ini) const
{
    if (!choiceRead_ && !guard_.loaded())
        return;
    ini.writeString(section_, key_, box_.text());
}

} // namespace platform
