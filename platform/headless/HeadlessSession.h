#pragma once
// Installs the headless backend for the life of a test (or of an end-to-end run) and
// removes it afterwards, with every window that remains.

#include "platform/ScreenMetrics.h"
#include "platform/headless/HeadlessBackend.h"

namespace orvalis::platform::headless {

class HeadlessSession {
public:
    explicit HeadlessSession(ScreenMetrics screen = {});
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    HeadlessBackend& Backend() { return *backend_; }
    UserScript& Script() { return backend_->Script(); }

private:
    HeadlessBackend* backend_;  // owned by the platform layer while installed
};

}  // namespace orvalis::platform::headless
