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

}  // namespace sitetree
