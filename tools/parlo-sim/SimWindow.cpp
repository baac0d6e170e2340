#include "SimWindow.h"

#include <cstdio>

#ifdef PARLO_SIM_WINDOW
#include <SDL.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "ScriptRunner.h"
#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "render/ScreenRenderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UIKeyboard.h"

namespace sim {
namespace {

constexpr int kScreenWidth = 390;
constexpr int kScreenHeight = 844;
// Frames are drawn at 2x: sharp on most desktop screens and quick enough at 60 frames a second.
constexpr double kDrawScale = 2;

CGPoint mirrored(CGPoint point) {
  return {kScreenWidth - point.x, kScreenHeight - point.y};
}

// The hint: white text on a dark pill, drawn at the frame's scale into a texture of its own.
SDL_Texture* hintTexture(SDL_Renderer* renderer, const std::string& hint, SDL_Rect& place) {
  constexpr double kFontSize = 13, kPadX = 14, kPadY = 8;
  cairo_surface_t* measure = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(measure);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("Inter Medium");
  pango_font_description_set_absolute_size(font, kFontSize * kDrawScale * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, hint.c_str(), -1);
  int textWidth = 0, textHeight = 0;
  pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
  const int width = std::min(textWidth + static_cast<int>(2 * kPadX * kDrawScale),
                             static_cast<int>((kScreenWidth - 16) * kDrawScale));
  const int height = textHeight + static_cast<int>(2 * kPadY * kDrawScale);
  cairo_destroy(cr);
  cairo_surface_destroy(measure);

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cr = cairo_create(surface);
  const double r = height / 2.0;
  cairo_new_sub_path(cr);
  cairo_arc(cr, width - r, r, r, -M_PI / 2, M_PI / 2);
  cairo_arc(cr, r, r, r, M_PI / 2, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_set_source_rgba(cr, 0.1, 0.1, 0.12, 0.92);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, (width - textWidth) / 2.0, kPadY * kDrawScale);
  pango_cairo_update_layout(cr, layout);
  pango_cairo_show_layout(cr, layout);
  cairo_destroy(cr);
  g_object_unref(layout);
  cairo_surface_flush(surface);

  SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_STATIC, width, height);
  if (texture) {
    SDL_UpdateTexture(texture, nullptr, cairo_image_surface_get_data(surface),
                      cairo_image_surface_get_stride(surface));
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  }
  cairo_surface_destroy(surface);
  place.w = static_cast<int>(width / kDrawScale);
  place.h = static_cast<int>(height / kDrawScale);
  place.x = (kScreenWidth - place.w) / 2;
  // Above the home indicator, clear of the inbox's rows.
  place.y = kScreenHeight - 60 - place.h;
  return texture;
}

}  // namespace

int runWindow(const std::string& title, const std::string& hintText,
              const std::function<void()>& afterFrame) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "no window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window =
      SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kScreenWidth,
                       kScreenHeight, SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  SDL_Renderer* renderer =
      window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC) : nullptr;
  if (!renderer) {
    std::fprintf(stderr, "no window: %s\n", SDL_GetError());
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
    return 1;
  }
  // Mouse positions come in screen points, whatever the window's size.
  SDL_RenderSetLogicalSize(renderer, kScreenWidth, kScreenHeight);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  SDL_Texture* texture = SDL_CreateTexture(
      renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
      static_cast<int>(kScreenWidth * kDrawScale), static_cast<int>(kScreenHeight * kDrawScale));
  SDL_StartTextInput();
  SDL_Rect hintPlace{};
  SDL_Texture* hint = hintText.empty() ? nullptr : hintTexture(renderer, hintText, hintPlace);

  // Redraws only what changed since the last frame, so an idle screen costs next to nothing.
  render::ScreenRenderer screen({kDrawScale, {kScreenWidth, kScreenHeight}});
  auto app = UIApplication::sharedApplication();
  bool running = true;
  bool pinching = false;
  double nextFrame = 0;
  while (running) {
    double now = Clock::now();
    double wait = std::max(0.0, nextFrame - now);
    if (auto due = RunLoop::nextDueTime()) wait = std::min(wait, std::max(0.0, *due - now));
    SDL_Event event;
    bool have = SDL_WaitEventTimeout(&event, static_cast<int>(wait * 1000));
    while (have) {
      switch (event.type) {
        case SDL_QUIT:
          running = false;
          break;
        case SDL_MOUSEBUTTONDOWN:
          if (event.button.button == SDL_BUTTON_LEFT) {
            CGPoint point{static_cast<CGFloat>(event.button.x),
                          static_cast<CGFloat>(event.button.y)};
            pinching = (SDL_GetModState() & KMOD_ALT) != 0;
            // The hint has done its work once someone touches the screen.
            if (hint) {
              SDL_DestroyTexture(hint);
              hint = nullptr;
            }
            app->touchDown(point, 0);
            if (pinching) app->touchDown(mirrored(point), 1);
          }
          break;
        case SDL_MOUSEMOTION:
          if (app->isFingerDown(0)) {
            CGPoint point{static_cast<CGFloat>(event.motion.x),
                          static_cast<CGFloat>(event.motion.y)};
            app->touchMove(point, 0);
            if (pinching) app->touchMove(mirrored(point), 1);
          }
          break;
        case SDL_MOUSEBUTTONUP:
          if (event.button.button == SDL_BUTTON_LEFT) {
            CGPoint point{static_cast<CGFloat>(event.button.x),
                          static_cast<CGFloat>(event.button.y)};
            app->touchUp(point, 0);
            if (pinching) app->touchUp(mirrored(point), 1);
            pinching = false;
          }
          break;
        case SDL_KEYDOWN:
          if (event.key.keysym.sym == SDLK_F2) {
            bool dark = UITraitCollection::currentTraitCollection()->userInterfaceStyle() ==
                        UIUserInterfaceStyleDark;
            app->setUserInterfaceStyle(dark ? UIUserInterfaceStyleLight : UIUserInterfaceStyleDark);
          } else if (UIKeyboard::shared().isVisible()) {
            if (event.key.keysym.sym == SDLK_RETURN) UIKeyboard::shared().pressReturn();
            if (event.key.keysym.sym == SDLK_BACKSPACE) UIKeyboard::shared().pressBackspace();
            if (event.key.keysym.sym == SDLK_v && (event.key.keysym.mod & KMOD_CTRL)) {
              if (char* text = SDL_GetClipboardText()) {
                UIKeyboard::shared().paste(text);
                SDL_free(text);
              }
            }
          }
          break;
        case SDL_TEXTINPUT:
          if (UIKeyboard::shared().isVisible() && !(SDL_GetModState() & KMOD_CTRL)) {
            UIKeyboard::shared().type(event.text.text);
          }
          break;
        default:
          break;
      }
      have = SDL_PollEvent(&event);
    }

    settleScreen();
    now = Clock::now();
    if (now >= nextFrame) {
      nextFrame = now + 1.0 / 60;
      if (!screen.renderFrame().empty()) {
        cairo_surface_t* surface = screen.surface();
        cairo_surface_flush(surface);
        SDL_UpdateTexture(texture, nullptr, cairo_image_surface_get_data(surface),
                          cairo_image_surface_get_stride(surface));
      }
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      if (hint) SDL_RenderCopy(renderer, hint, nullptr, &hintPlace);
      SDL_RenderPresent(renderer);
      if (afterFrame) afterFrame();
    }
  }
  if (hint) SDL_DestroyTexture(hint);
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}

}  // namespace sim

#else

namespace sim {

int runWindow(const std::string&, const std::string&, const std::function<void()>&) {
  std::fprintf(stderr,
               "This build has no desktop window (configured with -DPARLO_WINDOW=OFF); run a "
               "script with --script FILE instead.\n");
  return 1;
}

}  // namespace sim

#endif
