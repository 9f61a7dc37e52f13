#pragma once
// Starting and stopping the platform layer on a backend. The program installs the
// desktop backend at start-up; tests install the headless one. The thread that
// installs is the user-interface thread.

#include <memory>

#include "platform/Backend.h"

namespace orvalis::platform {

void InstallBackend(std::unique_ptr<Backend> backend);
// Destroys the remaining windows without sending them anything, then the backend.
void RemoveBackend();
bool IsBackendInstalled();
Backend& CurrentBackend();

}  // namespace orvalis::platform
