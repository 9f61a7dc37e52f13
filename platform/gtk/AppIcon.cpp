#include "platform/gtk/AppIcon.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <array>

#include "runtime/LittleEndian.h"

namespace orvalis::platform::gtk {

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

GdkPixbuf* DecodePng(std::span<const std::uint8_t> png) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
    if (!loader) return nullptr;
    GdkPixbuf* pixbuf = nullptr;
    if (gdk_pixbuf_loader_write(loader, png.data(), png.size(), nullptr) && gdk_pixbuf_loader_close(loader, nullptr)) {
        pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
        if (pixbuf) g_object_ref(pixbuf);
    } else {
        gdk_pixbuf_loader_close(loader, nullptr);
    }
    g_object_unref(loader);
    return pixbuf;
}

}  // namespace

std::vector<std::span<const std::uint8_t>> IconGroupImages(std::span<const std::uint8_t> group) {
    std::vector<std::span<const std::uint8_t>> images;
    if (group.size() < kHeaderSize || ReadLittleEndian(group.data(), 2) != 0 ||
        ReadLittleEndian(group.data() + 2, 2) != 1)
        return images;
    std::size_t count = ReadLittleEndian(group.data() + 4, 2);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t entry = kHeaderSize + i * kEntrySize;
        if (entry + kEntrySize > group.size()) break;
        std::size_t size = ReadLittleEndian(group.data() + entry + 8, 4);
        std::size_t offset = ReadLittleEndian(group.data() + entry + 12, 4);
        if (offset > group.size() || size > group.size() - offset || size < kPngSignature.size()) continue;
        std::span<const std::uint8_t> image = group.subspan(offset, size);
        if (std::equal(kPngSignature.begin(), kPngSignature.end(), image.begin())) images.push_back(image);
    }
    return images;
}

bool SetDefaultWindowIcon(std::span<const std::uint8_t> group) {
    GList* pixbufs = nullptr;
    for (std::span<const std::uint8_t> image : IconGroupImages(group))
        if (GdkPixbuf* pixbuf = DecodePng(image)) pixbufs = g_list_append(pixbufs, pixbuf);
    if (!pixbufs) return false;
    gtk_window_set_default_icon_list(pixbufs);
    g_list_free_full(pixbufs, g_object_unref);
    return true;
}

}  // namespace orvalis::platform::gtk
