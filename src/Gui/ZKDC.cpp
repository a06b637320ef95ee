#include "Gui/ZKDC.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <cstring>

#include "Platform/Cp1252.h"

namespace {

void SetColour(cairo_t* cr, ZKRGB c) {
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

// Byte offset in the UTF-8 text of the character at `index` of the 8-bit text.
int Utf8Offset(const std::string& text, int index) {
    return static_cast<int>(zk::Cp1252ToUtf8(text.substr(0, index)).size());
}

}  // namespace

// --- ZKBitmap ---

ZKBitmap::ZKBitmap(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 1), std::max(height, 1))) {}

ZKBitmap::~ZKBitmap() {
    cairo_surface_destroy(surface_);
}

std::unique_ptr<ZKBitmap> ZKBitmap::FromPngFile(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return std::unique_ptr<ZKBitmap>(new ZKBitmap(s));
}

std::unique_ptr<ZKBitmap> ZKBitmap::FromPngData(std::span<const unsigned char> data) {
    struct Reader {
        std::span<const unsigned char> data;
        size_t pos = 0;
    } reader{data};
    auto read = [](void* closure, unsigned char* out, unsigned int length) -> cairo_status_t {
        auto* r = static_cast<Reader*>(closure);
        if (r->data.size() - r->pos < length) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(out, r->data.data() + r->pos, length);
        r->pos += length;
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(read, &reader);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return std::unique_ptr<ZKBitmap>(new ZKBitmap(s));
}

bool ZKBitmap::SavePng(const std::string& path) const {
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

int ZKBitmap::Width() const {
    return cairo_image_surface_get_width(surface_);
}
int ZKBitmap::Height() const {
    return cairo_image_surface_get_height(surface_);
}

ZKRGB ZKBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return {};
    cairo_surface_flush(surface_);
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t p;
    std::memcpy(&p, row + 4 * x, 4);
    return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
            static_cast<std::uint8_t>(p)};
}

// --- ZKDC ---

ZKDC::ZKDC(cairo_t* cr, ZKColourContext colours, Resolution resolution)
    : cr_(cr), colours_(colours), fonts_(&ZKFontSet::Screen()) {
    if (resolution.dpiX != 96 || resolution.dpiY != 96) {
        const ZKDeviceMetrics m = ZKGDI::DeviceMetrics(resolution.dpiX, resolution.dpiY,
                                                       resolution.widthPixels, resolution.heightPixels);
        scaleX_ = m.scaleX;
        scaleY_ = m.scaleY;
        if (m.OwnFontSet()) {
            ownFonts_ = std::make_unique<ZKFontSet>(m.fontHeight);
            fonts_ = ownFonts_.get();
        }
    }
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
}

ZKDC::ZKDC(ZKBitmap& bitmap) : ZKDC(cairo_create(bitmap.Surface())) {
    ownsCairo_ = true;
}

ZKDC::ZKDC(const zk::PAINTSTRUCT& ps, ZKColourContext colours) : ZKDC(ps.cr, colours) {}

ZKDC::~ZKDC() {
    if (ownsCairo_) cairo_destroy(cr_);
}

PangoLayout* ZKDC::Layout(const std::string& text, ZKFontSet::Which font) const {
    PangoLayout* layout = pango_cairo_create_layout(cr_);
    pango_layout_set_font_description(layout, fonts_->Get(font).description);
    const std::string utf8 = zk::Cp1252ToUtf8(text);
    pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
    return layout;
}

zk::Size ZKDC::TextExtent(const std::string& text, ZKFontSet::Which font) const {
    PangoLayout* layout = Layout(text, font);
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    const ZKFontSet::Font& f = fonts_->Get(font);
    if (f.vertical) return {f.height, width};
    return {width, f.height};
}

void ZKDC::TextOut(int x, int y, const std::string& text, ZKFontSet::Which font, ZKRGB colour, Align align,
                   int underline) {
    PangoLayout* layout = Layout(text, font);
    if (underline >= 0 && underline < static_cast<int>(text.size())) {
        PangoAttrList* attrs = pango_attr_list_new();
        PangoAttribute* attr = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        attr->start_index = static_cast<guint>(Utf8Offset(text, underline));
        attr->end_index = static_cast<guint>(Utf8Offset(text, underline + 1));
        pango_attr_list_insert(attrs, attr);
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    const ZKFontSet::Font& f = fonts_->Get(font);
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_DEFAULT);
    SetColour(cr_, colour);
    if (f.vertical) {
        // Written upwards, starting at (x, y) as its bottom-left.
        cairo_move_to(cr_, x, align == Align::Right ? y + width : y);
        cairo_rotate(cr_, -M_PI / 2);
    } else {
        cairo_move_to(cr_, align == Align::Right ? x - width : x, y + (f.height - height) / 2);
    }
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
    // The path outlives save and restore: leave no current point for the next shape to draw a line from.
    cairo_new_path(cr_);
    g_object_unref(layout);
}

void ZKDC::FillRect(const zk::Rect& r, ZKRGB colour) {
    if (r.IsEmpty()) return;
    SetColour(cr_, colour);
    cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
    cairo_fill(cr_);
}

void ZKDC::FrameRect(const zk::Rect& r, ZKRGB colour) {
    if (r.IsEmpty()) return;
    FillRect({r.left, r.top, r.right, r.top + 1}, colour);
    FillRect({r.left, r.bottom - 1, r.right, r.bottom}, colour);
    FillRect({r.left, r.top, r.left + 1, r.bottom}, colour);
    FillRect({r.right - 1, r.top, r.right, r.bottom}, colour);
}

void ZKDC::Line(zk::Point from, zk::Point to, ZKRGB colour, int width) {
    SetColour(cr_, colour);
    if (from.y == to.y || from.x == to.x) {
        // Axis-aligned lines are filled rectangles: exact pixels, last point excluded.
        const int half = (width - 1) / 2;
        if (from.y == to.y) {
            const int a = std::min(from.x, to.x + (to.x < from.x ? 1 : 0));
            const int b = std::max(from.x + (to.x < from.x ? 1 : 0), to.x);
            FillRect({a, from.y - half, b, from.y - half + width}, colour);
        } else {
            const int a = std::min(from.y, to.y + (to.y < from.y ? 1 : 0));
            const int b = std::max(from.y + (to.y < from.y ? 1 : 0), to.y);
            FillRect({from.x - half, a, from.x - half + width, b}, colour);
        }
        return;
    }
    cairo_set_line_width(cr_, width);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_move_to(cr_, from.x + 0.5, from.y + 0.5);
    cairo_line_to(cr_, to.x + 0.5, to.y + 0.5);
    cairo_stroke(cr_);
}

void ZKDC::Ellipse(const zk::Rect& r, std::optional<ZKRGB> fill, std::optional<ZKRGB> pen) {
    if (r.IsEmpty()) return;
    cairo_new_path(cr_);  // an arc joins a current point with a line
    cairo_save(cr_);
    cairo_translate(cr_, r.left + r.Width() / 2.0, r.top + r.Height() / 2.0);
    cairo_scale(cr_, (r.Width() - 1) / 2.0, (r.Height() - 1) / 2.0);
    cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr_);
    if (fill) {
        SetColour(cr_, *fill);
        pen ? cairo_fill_preserve(cr_) : cairo_fill(cr_);
    }
    if (pen) {
        SetColour(cr_, *pen);
        cairo_set_line_width(cr_, 1);
        cairo_stroke(cr_);
    }
}

void ZKDC::GradientFill(const zk::Rect& r, ZKRGB from, ZKRGB to, bool vertical) {
    if (r.IsEmpty()) return;
    // One band per pixel row (or column), interpolated from the first to the last.
    const int steps = vertical ? r.Height() : r.Width();
    for (int i = 0; i < steps; ++i) {
        const double t = steps > 1 ? static_cast<double>(i) / (steps - 1) : 0.0;
        const ZKRGB c{static_cast<std::uint8_t>(std::lround(from.r + (to.r - from.r) * t)),
                      static_cast<std::uint8_t>(std::lround(from.g + (to.g - from.g) * t)),
                      static_cast<std::uint8_t>(std::lround(from.b + (to.b - from.b) * t))};
        if (vertical)
            FillRect({r.left, r.top + i, r.right, r.top + i + 1}, c);
        else
            FillRect({r.left + i, r.top, r.left + i + 1, r.bottom}, c);
    }
}

void ZKDC::FillCheckerboard(const zk::Rect& r, ZKRGB even, ZKRGB odd) {
    if (r.IsEmpty()) return;
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
    {
        cairo_t* t = cairo_create(tile);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                SetColour(t, (x + y) % 2 == 0 ? even : odd);
                cairo_rectangle(t, x, y, 1, 1);
                cairo_fill(t);
            }
        cairo_destroy(t);
    }
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_set_source(cr_, pattern);
    cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
    cairo_fill(cr_);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(tile);
}

void ZKDC::DrawBitmap(const ZKBitmap& bitmap, zk::Point at, std::optional<ZKRGB> transparent) {
    cairo_surface_t* source = bitmap.Surface();
    cairo_surface_t* masked = nullptr;
    if (transparent) {
        // A copy with the transparent colour's pixels made fully transparent.
        const int w = bitmap.Width();
        const int h = bitmap.Height();
        masked = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_surface_flush(masked);
        unsigned char* data = cairo_image_surface_get_data(masked);
        const int stride = cairo_image_surface_get_stride(masked);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const ZKRGB p = bitmap.Pixel(x, y);
                const std::uint32_t v = p == *transparent ? 0u
                                                          : 0xFF000000u | (std::uint32_t{p.r} << 16) |
                                                                (std::uint32_t{p.g} << 8) | p.b;
                std::memcpy(data + y * stride + 4 * x, &v, 4);
            }
        cairo_surface_mark_dirty(masked);
        source = masked;
    }
    cairo_set_source_surface(cr_, source, at.x, at.y);
    cairo_rectangle(cr_, at.x, at.y, bitmap.Width(), bitmap.Height());
    cairo_fill(cr_);
    if (masked) cairo_surface_destroy(masked);
}

void ZKDC::BitBlt(const zk::Rect& dst, const ZKDC& src, zk::Point srcOrigin) {
    cairo_save(cr_);
    cairo_set_source_surface(cr_, cairo_get_target(src.cr_), dst.left - srcOrigin.x, dst.top - srcOrigin.y);
    cairo_rectangle(cr_, dst.left, dst.top, dst.Width(), dst.Height());
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void ZKDC::StretchBlt(const zk::Rect& dst, const ZKDC& src, const zk::Rect& srcRect) {
    if (dst.IsEmpty() || srcRect.IsEmpty()) return;
    cairo_save(cr_);
    cairo_rectangle(cr_, dst.left, dst.top, dst.Width(), dst.Height());
    cairo_clip(cr_);
    cairo_translate(cr_, dst.left, dst.top);
    cairo_scale(cr_, static_cast<double>(dst.Width()) / srcRect.Width(),
                static_cast<double>(dst.Height()) / srcRect.Height());
    cairo_set_source_surface(cr_, cairo_get_target(src.cr_), -srcRect.left, -srcRect.top);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_paint(cr_);
    cairo_restore(cr_);
}
