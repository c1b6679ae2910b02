#pragma once
// Names the user types become part of file names ("TVFThema" + category +
// ".tvf", "ListBunch" + name + ".INI"); one that would reach outside the
// language folder is refused.

#include <string>

#include "framework/errors.h"

namespace sitetree {

// Returns the name, or throws framework::FileError naming what it is.
inline std::string checkedNamePart(const std::string& what, const std::string& name)
{
    if (name.find_first_of("/\\") != std::string::npos || name.find('\0') != std::string::npos)
        throw framework::FileError("The " + what + " name \"" + name + "\" must not contain / or \\");
    return name;
}

// Whether a name read from data may name a folder of its own (the language
// folder): not empty, not ".", no separator and no "..", which would climb
// out of the folder it belongs in.
inline bool isPlainFolderName(const std::string& name)
{
    return !name.empty() && name != "." && name.find_first_of("/\\") == std::string::npos &&
           name.find("..") == std::string::npos && name.find('\0') == std::string::npos;
}

} // namespace sitetree
