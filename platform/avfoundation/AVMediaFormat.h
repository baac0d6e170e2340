#pragma once

// Media types, layer gravities and the capture settings' keys, as the platform names them.

#include <string>

using AVMediaType = std::string;
inline const AVMediaType AVMediaTypeVideo = "vide";
inline const AVMediaType AVMediaTypeAudio = "soun";

// How a video layer fits its video into its bounds.
using AVLayerVideoGravity = std::string;
inline const AVLayerVideoGravity AVLayerVideoGravityResize = "AVLayerVideoGravityResize";
inline const AVLayerVideoGravity AVLayerVideoGravityResizeAspect =
    "AVLayerVideoGravityResizeAspect";
inline const AVLayerVideoGravity AVLayerVideoGravityResizeAspectFill =
    "AVLayerVideoGravityResizeAspectFill";

inline const std::string AVVideoCodecKey = "AVVideoCodecKey";
inline const std::string AVVideoCodecJPEG = "jpeg";
