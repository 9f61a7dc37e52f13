#include "platform/headless/Inspection.h"

#include <cairo.h>

#include "platform/Painting.h"
#include "platform/Window.h"

namespace orvalis::platform::headless {

std::vector<HWND> VisibleTopLevelWindows()
{
    std::vector<HWND> visible;
    for (HWND window : GetTopLevelWindows())
        if (IsWindowVisible(window)) visible.push_back(window);
    return visible;
}

HWND FindTopLevelWindow(std::string_view caption)
{
    for (HWND window : GetTopLevelWindows())
        if (GetWindowText(window) == caption) return window;
    return 0;
}

HWND FindChildWindow(HWND parent, std::string_view text)
{
    for (HWND child : GetChildWindows(parent)) {
        if (GetWindowText(child) == text) return child;
        if (HWND found = FindChildWindow(child, text)) return found;
    }
    return 0;
}

std::uint32_t PixelAt(HWND window, Point client)
{
    HWND top = GetTopLevelWindow(window);
    Point screen = ClientToScreen(window, client);
    Point inTop = ScreenToClient(top, screen);
    cairo_surface_t* surface = GetWindowSurface(top);
    cairo_surface_flush(surface);
    // The device pixel at the top left of the point.
    const int scale = GetWindowScale(top);
    inTop = {inTop.x * scale, inTop.y * scale};
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    if (inTop.x < 0 || inTop.y < 0 || inTop.x >= width || inTop.y >= height) return 0;
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + inTop.y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const std::uint32_t*>(row)[inTop.x] & 0x00FFFFFF;
}

}  // namespace orvalis::platform::headless
