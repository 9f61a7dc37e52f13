#pragma once
// Key events reported to the platform: each press with its virtual key, character and
// modifiers, and each release of a key whose press was reported. When the keyboard goes
// elsewhere (a menu opens, a dialog takes it, the window loses the focus) the keys still
// down are reported released, so that the platform never believes a key is held.

#include <gdk/gdk.h>

#include <map>

namespace orvalis::platform::gtk {

class KeyboardReports {
public:
    // False when the key has no code here (nothing was reported).
    bool Report(const GdkEventKey& event);
    void ReleaseAll();

private:
    std::map<guint16, int> down_;  // hardware key code -> the virtual key reported down
};

}  // namespace orvalis::platform::gtk
