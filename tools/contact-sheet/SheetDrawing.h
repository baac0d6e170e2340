// What the contact sheets share: owned Cairo objects and labels set in Inter.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>

namespace parlo::sheet {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// Labels are Inter, sized in user-space units so that they scale with the sheet.
class Text {
 public:
  Text(cairo_t* cr, const char* weight, double size) : layout_(pango_cairo_create_layout(cr)) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout_), options);
    cairo_font_options_destroy(options);
    PangoFontDescription* font = pango_font_description_from_string(weight);
    pango_font_description_set_family(font, "Inter");
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_layout_set_font_description(layout_, font);
    pango_font_description_free(font);
    pango_layout_context_changed(layout_);
  }
  ~Text() { g_object_unref(layout_); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;

  double width(const std::string& text) {
    pango_layout_set_text(layout_, text.c_str(), -1);
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    return static_cast<double>(logical.width) / PANGO_SCALE;
  }

  void draw(cairo_t* cr, const std::string& text, double centreX, double y) {
    double w = width(text);
    cairo_move_to(cr, centreX - w / 2, y);
    pango_cairo_update_layout(cr, layout_);
    pango_cairo_show_layout(cr, layout_);
  }

  void drawLeft(cairo_t* cr, const std::string& text, double x, double y) {
    pango_layout_set_text(layout_, text.c_str(), -1);
    cairo_move_to(cr, x, y);
    pango_cairo_update_layout(cr, layout_);
    pango_cairo_show_layout(cr, layout_);
  }

 private:
  PangoLayout* layout_;
};

}  // namespace parlo::sheet
