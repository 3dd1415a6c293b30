// The exception classes of the platform. Every error the framework raises derives from
// Exception; the application object shows an escaping one in a message box.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A system resource (window procedure stub, window, bitmap) could not be had.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// A picture file or stream that is not a picture the platform can read.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// An operation that the object's state does not allow.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};
