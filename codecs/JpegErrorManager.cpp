#include "codecs/JpegErrorManager.h"

#include <utility>

#include "runtime/Exceptions.h"

namespace orvalis {

JpegErrorManager::JpegErrorManager() {
    // The record starts all zero (no trace level, no message tables), with the five
    // routines of our own.
    static_cast<jpeg_error_mgr&>(*this) = jpeg_error_mgr{};
    error_exit = ErrorExit;
    emit_message = EmitMessage;
    output_message = OutputMessage;
    format_message = FormatMessage;
    reset_error_mgr = ResetErrorManager;
}

void JpegErrorManager::ThrowFailure() {
    if (kept_) {
        const std::exception_ptr kept = std::exchange(kept_, nullptr);
        std::rethrow_exception(kept);
    }
    throw EJPEG(msg_code);
}

void JpegErrorManager::Escape() {
    assert(protecting_ && "the library runs only under Run");
    std::longjmp(escape_, 1);
}

void JpegErrorManager::ErrorExit(j_common_ptr object) { Of(object).Escape(); }

void JpegErrorManager::EmitMessage(j_common_ptr, int) {}

void JpegErrorManager::OutputMessage(j_common_ptr) {}

void JpegErrorManager::FormatMessage(j_common_ptr, char*) {}

void JpegErrorManager::ResetErrorManager(j_common_ptr object) { object->err->msg_code = 0; }

}  // namespace orvalis
