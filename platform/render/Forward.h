#pragma once

// The public classes of the renderer, declared, for headers that only name them.

namespace render {
class LayerPainter;
class ScreenRenderer;
struct ImageDifference;
struct LayerState;
struct ReferenceComparison;
struct RenderOptions;
struct StatusBar;
}  // namespace render
