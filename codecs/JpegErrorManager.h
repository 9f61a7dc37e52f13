#pragma once
// The error manager of every libjpeg object of the system, and the boundary that
// brings a library failure back into C++ code.
//
// The library is C code not built for exceptions: an exception unwound through its
// frames would leave its state half-changed, and nothing promises unwind information
// for all of them. So no C++ exception may cross its frames. Every call into the library therefore goes through
// Run, which sets a jump buffer: the library's error_exit, and any callback of ours that
// caught an exception (a stream error, an EAbort from a progress handler), jump back
// there with longjmp. Run then destroys the library object, so that no library state
// outlives the failure, and throws from plain C++ code: EJPEG with the library's message
// code, or the callback's own exception. The only frames a jump skips are the library's
// and our callbacks', which hold no object with a destructor at that moment.
//
// Warnings and trace messages are ignored: emit_message, output_message and
// format_message do nothing, so a truncated file decodes with the missing rows filled
// by the library.

#include <cassert>
#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers
#include <exception>

#include <jpeglib.h>

namespace orvalis {

class JpegErrorManager : public jpeg_error_mgr {
public:
    JpegErrorManager();
    JpegErrorManager(const JpegErrorManager&) = delete;
    JpegErrorManager& operator=(const JpegErrorManager&) = delete;

    static JpegErrorManager& Of(j_common_ptr object) { return static_cast<JpegErrorManager&>(*object->err); }

    // Runs `call`, which calls into the library for `object`. When the library fails or
    // a callback leaves it, destroys `object` and throws what ended the call.
    template <typename Call>
    void Run(j_common_ptr object, Call&& call);

    // For a callback that the library calls: runs `body`; an exception from it is kept
    // and the library is left by a jump back to the running Run.
    template <typename Body>
    static void Shield(j_common_ptr object, Body&& body);

private:
    // Runs `call`; false when a jump ended it.
    template <typename Call>
    bool Protect(Call& call);
    // Throws the exception a callback kept, else EJPEG with the library's message code.
    [[noreturn]] void ThrowFailure();
    [[noreturn]] void Escape();

    static void ErrorExit(j_common_ptr object);
    static void EmitMessage(j_common_ptr object, int level);
    static void OutputMessage(j_common_ptr object);
    static void FormatMessage(j_common_ptr object, char* buffer);
    static void ResetErrorManager(j_common_ptr object);

    std::jmp_buf escape_;
    bool protecting_ = false;
    std::exception_ptr kept_;
};

template <typename Call>
void JpegErrorManager::Run(j_common_ptr object, Call&& call) {
    if (!Protect(call)) {
        jpeg_destroy(object);
        ThrowFailure();
    }
}

template <typename Call>
bool JpegErrorManager::Protect(Call& call) {
    assert(!protecting_ && "library calls do not nest");
    if (setjmp(escape_) != 0) {
        protecting_ = false;
        return false;
    }
    protecting_ = true;
    call();
    protecting_ = false;
    return true;
}

template <typename Body>
void JpegErrorManager::Shield(j_common_ptr object, Body&& body) {
    JpegErrorManager& self = Of(object);
    try {
        body();
        return;
    } catch (...) {
        self.kept_ = std::current_exception();
    }
    self.Escape();
}

}  // namespace orvalis
