#pragma once

#include <pango/pango.h>

#include "uikit/UIFont.h"

struct UIFontDescription {
  PangoFontDescription* pango = pango_font_description_new();
  UIFontDescription() = default;
  UIFontDescription(const UIFontDescription&) = delete;
  UIFontDescription& operator=(const UIFontDescription&) = delete;
  ~UIFontDescription() { pango_font_description_free(pango); }
};
