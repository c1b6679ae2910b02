#pragma once
// Typed exceptions of the program. Every event entry point runs inside
// Application::dispatch, which shows what() in the error box and goes on.

#include <stdexcept>
#include <string>

namespace framework {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "'abc' is not a valid integer value"
class ConversionError : public Error {
public:
    using Error::Error;
};

// A file that cannot be read or written, or text that cannot be stored in
// the chosen code page.
class FileError : public Error {
public:
    using Error::Error;
};

// A tree file line more than one level deeper than the line before it.
class InvalidLevelError : public Error {
public:
    using Error::Error;
};

// A control looked up by a name the form does not hold.
class ComponentNotFound : public Error {
public:
    using Error::Error;
};

} // namespace framework
