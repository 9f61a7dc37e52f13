#include "graphics/detail/CanvasText.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "platform/CairoPointers.h"

namespace orvalis::canvastext {
namespace {

// The font map and the context that every text of this thread is laid out in.
struct ThreadContext {
    ThreadContext() : fontMap(pango_cairo_font_map_new()) {
        pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap.get()), TFont::kPixelsPerInch);
        context.reset(pango_font_map_create_context(fontMap.get()));
        const platform::FontOptionsPtr options(cairo_font_options_create());
        cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(context.get(), options.get());
        pango_context_set_language(context.get(), pango_language_from_string("fr"));
    }

    GObjectPtr<PangoFontMap> fontMap;
    GObjectPtr<PangoContext> context;
};

PangoContext* SharedContext() {
    thread_local ThreadContext shared;
    return shared.context.get();
}

void AddAttribute(PangoLayout* layout, PangoAttribute* attribute, std::size_t start, std::size_t end) {
    attribute->start_index = static_cast<guint>(start);
    attribute->end_index = static_cast<guint>(end);
    PangoAttrList* list = pango_layout_get_attributes(layout);
    if (list) {
        pango_attr_list_insert(list, attribute);
    } else {
        list = pango_attr_list_new();
        pango_attr_list_insert(list, attribute);
        pango_layout_set_attributes(layout, list);
        pango_attr_list_unref(list);
    }
}

}  // namespace

TextFace::TextFace(const TFont& font) : description_(pango_font_description_new()) {
    PangoFontDescription* description = description_.get();
    const std::string family(FontFamilyFor(font));
    pango_font_description_set_family(description, family.c_str());
    pango_font_description_set_weight(description, font.HasStyle(fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, font.HasStyle(fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    underline_ = font.HasStyle(fsUnderline);
    strikeOut_ = font.HasStyle(fsStrikeOut);

    // Negative: the em size; positive: the cell (ascent plus descent), which the em
    // size is derived from through the face's own metrics; 0: the default size.
    const std::int32_t height = font.Height() != 0 ? font.Height() : -11;
    pango_font_description_set_absolute_size(description, std::abs(height) * PANGO_SCALE);
    if (height > 0) {
        PangoFontMetrics* metrics = pango_context_get_metrics(SharedContext(), description, nullptr);
        const int cell = pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics);
        pango_font_metrics_unref(metrics);
        if (cell > 0)
            pango_font_description_set_absolute_size(
                description, static_cast<double>(height) * height * PANGO_SCALE * PANGO_SCALE / cell);
    }
}

TextLayout TextFace::Layout(std::string_view text) const {
    PangoLayout* layout = pango_layout_new(SharedContext());
    pango_layout_set_font_description(layout, description_.get());
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    if (underline_) AddAttribute(layout, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), 0, text.size());
    if (strikeOut_) AddAttribute(layout, pango_attr_strikethrough_new(TRUE), 0, text.size());
    return TextLayout(layout);
}

PixelSize TextFace::AverageCharSize() const {
    const PixelSize size = Layout("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz").Size();
    return {size.width / 52, size.height};
}

PixelSize TextLayout::Size() const {
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout_.get(), &width, &height);
    return {width, height};
}

void TextLayout::WrapAt(int width) {
    pango_layout_set_width(layout_.get(), std::max(width, 0) * PANGO_SCALE);
    pango_layout_set_wrap(layout_.get(), PANGO_WRAP_WORD);
}

void TextLayout::Align(int alignment) {
    static constexpr PangoAlignment kAlignments[] = {PANGO_ALIGN_LEFT, PANGO_ALIGN_CENTER, PANGO_ALIGN_RIGHT};
    assert(alignment >= 0 && alignment < 3);
    pango_layout_set_alignment(layout_.get(), kAlignments[alignment]);
}

void TextLayout::SetTabSpacing(int spacing) {
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, std::max(spacing, 1));
    pango_layout_set_tabs(layout_.get(), tabs);
    pango_tab_array_free(tabs);
}

void TextLayout::UnderlineAt(std::size_t index, std::size_t length) {
    AddAttribute(layout_.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), index, index + length);
}

void TextLayout::Show(cairo_t* context, double x, double y) {
    PangoContext* shared = SharedContext();
    pango_cairo_update_context(context, shared);
    pango_layout_context_changed(layout_.get());
    cairo_move_to(context, x, y);
    pango_cairo_show_layout(context, layout_.get());
    // Measuring goes on without a drawing context: no transformation of its own.
    pango_context_set_matrix(shared, nullptr);
}

}  // namespace orvalis::canvastext
