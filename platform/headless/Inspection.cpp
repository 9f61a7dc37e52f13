#include "platform/headless/Inspection.h"

#include <cairo.h>

#include <functional>

#include "platform/Painting.h"
#include "platform/Window.h"

namespace orvalis::platform::headless {

std::vector<HWND> VisibleTopLevelWindows() {
    std::vector<HWND> visible;
    for (HWND window : GetTopLevelWindows())
        if (IsWindowVisible(window)) visible.push_back(window);
    return visible;
}

HWND FindTopLevelWindow(std::string_view caption) {
    for (HWND window : GetTopLevelWindows())
        if (GetWindowText(window) == caption) return window;
    return 0;
}

HWND FindChildWindow(HWND parent, std::string_view text) {
    for (HWND child : GetChildWindows(parent)) {
        if (GetWindowText(child) == text) return child;
        if (HWND found = FindChildWindow(child, text)) return found;
    }
    return 0;
}

std::uint32_t PixelAt(HWND window, Point client) {
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

namespace {

constexpr std::string_view kRoleWords[] = {"frame", "dialog",      "alert",        "panel",       "label",
                                           "entry", "spin button", "radio button", "push button", "image"};

std::string OutlineLine(const AccessibleElement& element, int depth) {
    std::string line(2 * depth, ' ');
    line += kRoleWords[static_cast<int>(element.role)];
    line += " \"" + element.name + "\" [";
    const std::pair<bool, std::string_view> states[] = {
        {element.states.showing, "showing"},     {element.states.enabled, "enabled"},
        {element.states.focusable, "focusable"}, {element.states.focused, "focused"},
        {element.states.checked, "checked"},     {element.states.isDefault, "default"},
        {element.states.editable, "editable"},   {element.states.modal, "modal"},
    };
    bool first = true;
    for (const auto& [held, word] : states)
        if (held) {
            line += first ? "" : " ";
            line += word;
            first = false;
        }
    line += "]";
    if (!element.description.empty()) line += " says \"" + element.description + "\"";
    if (element.hasText) line += " text \"" + element.text + "\" at " + std::to_string(element.caret);
    if (element.selectionStart != element.selectionEnd)
        line += " selected " + std::to_string(element.selectionStart) + ".." + std::to_string(element.selectionEnd);
    if (element.hasValue)
        line += " value " + std::to_string(element.value.current) + " in " + std::to_string(element.value.minimum) +
                ".." + std::to_string(element.value.maximum);
    if (!element.action.empty()) line += " " + element.action;
    return line;
}

}  // namespace

std::vector<std::string> AccessibleOutline(const AccessibleElement& root) {
    std::vector<std::string> lines;
    std::function<void(const AccessibleElement&, int)> add = [&](const AccessibleElement& element, int depth) {
        lines.push_back(OutlineLine(element, depth));
        for (const AccessibleElement& child : element.children) add(child, depth + 1);
    };
    add(root, 0);
    return lines;
}

}  // namespace orvalis::platform::headless
