#pragma once
// The framework's exception family, rooted at Exception. Each carries a French
// message, usually one of the resource strings formatted with its arguments.

#include <exception>
#include <initializer_list>

#include "runtime/Format.h"
#include "runtime/ResourceStrings.h"
#include "runtime/String.h"

namespace orvalis {

class Exception : public std::exception {
public:
    explicit Exception(String message) : message_(std::move(message)) {}
    explicit Exception(ResId id, std::initializer_list<FormatArg> args = {})
        : message_(Format(LoadResString(id), args)) {}

    const String& Message() const { return message_; }
    void SetMessage(String message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.CStr(); }

private:
    String message_;
};

// Declares an exception class that takes its base's constructors.
#define ORVALIS_EXCEPTION(Name, Base) \
    class Name : public Base {        \
    public:                           \
        using Base::Base;             \
    }

// Ends the current operation silently: the message loop shows nothing for it.
ORVALIS_EXCEPTION(EAbort, Exception);
ORVALIS_EXCEPTION(EAbstractError, Exception);
ORVALIS_EXCEPTION(EConvertError, Exception);
ORVALIS_EXCEPTION(EStreamError, Exception);
ORVALIS_EXCEPTION(EFilerError, EStreamError);
ORVALIS_EXCEPTION(EReadError, EFilerError);
ORVALIS_EXCEPTION(EWriteError, EFilerError);
ORVALIS_EXCEPTION(EClassNotFound, EFilerError);
ORVALIS_EXCEPTION(EFileStreamError, EStreamError);
// A file that cannot be opened: "Impossible d'ouvrir le fichier %s".
ORVALIS_EXCEPTION(EFileOpenError, EFileStreamError);
ORVALIS_EXCEPTION(EFileCreateError, EFileStreamError);
ORVALIS_EXCEPTION(EResNotFound, Exception);
ORVALIS_EXCEPTION(EComponentError, Exception);
ORVALIS_EXCEPTION(EInvalidOperation, Exception);
ORVALIS_EXCEPTION(EOutOfResources, Exception);
// An allocation that failed: "Mémoire insuffisante" (what the message loop shows for a
// std::bad_alloc, whose own text is the C++ library's English).
ORVALIS_EXCEPTION(EOutOfMemory, Exception);
ORVALIS_EXCEPTION(EInvalidGraphic, Exception);
ORVALIS_EXCEPTION(EInvalidGraphicOperation, Exception);

// A platform failure with its error code: "Erreur système.  Code : %d.\r\n%s".
class EOSError : public Exception {
public:
    EOSError(int code, const String& platformText) : Exception(ResId::SystemError, {code, platformText}), code_(code) {}
    int ErrorCode() const { return code_; }

private:
    int code_;
};

// A JPEG library failure: "Erreur JPEG #%d" with the library's message code.
class EJPEG : public EInvalidGraphic {
public:
    explicit EJPEG(int code) : EInvalidGraphic(ResId::JPEGError, {code}), code_(code) {}
    int ErrorCode() const { return code_; }

private:
    int code_;
};

// Raises EAbort.
[[noreturn]] void Abort();

}  // namespace orvalis
