#include "SampleDevice.h"

#include <cairo.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "DirectInbox.h"
#include "HostApp.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/PropertyList.h"
#include "quartz/CGContext+Private.h"
#include "uikit/UIImage.h"

namespace {

struct SampleUser {
  const char* username;
  const char* fullName;
  double hue;  // of the picture's background, 0 to 1
};

struct SampleThread {
  std::vector<SampleUser> users;
  std::vector<std::pair<bool, const char*>> messages;  // outgoing, text
  const char* lastActivity;
};

const std::vector<SampleThread>& sampleThreads() {
  static const std::vector<SampleThread> threads{
      {{{"maya.lindqvist", "Maya Lindqvist", 0.95}},
       {{false, "Are you still coming on Saturday?"},
        {true, "Yes! I'll bring the cake"},
        {false, "Perfect, see you at 4"},
        {false, "Don't forget the candles 🎂"}},
       "2h"},
      {{{"theo.okafor", "Theo Okafor", 0.58}},
       {{true, "Did you see the match last night?"},
        {false, "That last goal was unreal"},
        {true, "I watched it three times"}},
       "5h"},
      {{{"june.park", "June Park", 0.33}},
       {{false, "Sent you the photos from the trip"}, {true, "They look amazing, thanks!"}},
       "1d"},
      {{{"sam.reyes", "Sam Reyes", 0.08}, {"ines.duarte", "Inês Duarte", 0.75}},
       {{false, "Who booked the table?"}, {true, "I did, 8 pm"}, {false, "Great 👍"}},
       "3d"},
  };
  return threads;
}

void hsvToRgb(double h, double s, double v, double& r, double& g, double& b) {
  double i = std::floor(h * 6), f = h * 6 - i;
  double p = v * (1 - s), q = v * (1 - f * s), t = v * (1 - (1 - f) * s);
  switch (static_cast<int>(i) % 6) {
    case 0:
      r = v, g = t, b = p;
      break;
    case 1:
      r = q, g = v, b = p;
      break;
    case 2:
      r = p, g = v, b = t;
      break;
    case 3:
      r = p, g = q, b = v;
      break;
    case 4:
      r = t, g = p, b = v;
      break;
    default:
      r = v, g = p, b = q;
      break;
  }
}

// A profile picture: a gradient in the person's colour with their initials.
std::vector<uint8_t> drawProfilePicture(const SampleUser& user) {
  constexpr int kSize = 240;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
  cairo_t* cr = cairo_create(surface);
  double r, g, b, r2, g2, b2;
  hsvToRgb(user.hue, 0.55, 0.95, r, g, b);
  hsvToRgb(std::fmod(user.hue + 0.08, 1.0), 0.75, 0.7, r2, g2, b2);
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, kSize, kSize);
  cairo_pattern_add_color_stop_rgb(gradient, 0, r, g, b);
  cairo_pattern_add_color_stop_rgb(gradient, 1, r2, g2, b2);
  cairo_set_source(cr, gradient);
  cairo_paint(cr);
  cairo_pattern_destroy(gradient);

  std::string initials;
  initials += static_cast<char>(std::toupper(static_cast<unsigned char>(user.fullName[0])));
  if (const char* space = std::strchr(user.fullName, ' ')) {
    initials += static_cast<char>(std::toupper(static_cast<unsigned char>(space[1])));
  }
  cairo_select_font_face(cr, "Inter", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 96);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, initials.c_str(), &extents);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.92);
  cairo_move_to(cr, (kSize - extents.width) / 2 - extents.x_bearing,
                (kSize - extents.height) / 2 - extents.y_bearing);
  cairo_show_text(cr, initials.c_str());
  cairo_destroy(cr);
  auto bytes = CGBitmapCopyPNGData(surface);
  cairo_surface_destroy(surface);
  return bytes;
}

// A landscape of bands and a sun, different for each photo, as a JPEG like the camera's.
std::vector<uint8_t> drawPhoto(int index) {
  constexpr int kWidth = 1200, kHeight = 900;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  double hue = std::fmod(0.07 + index * 0.21, 1.0), r, g, b;
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, kHeight);
  hsvToRgb(hue, 0.35, 1.0, r, g, b);
  cairo_pattern_add_color_stop_rgb(sky, 0, r, g, b);
  hsvToRgb(std::fmod(hue + 0.1, 1.0), 0.6, 0.85, r, g, b);
  cairo_pattern_add_color_stop_rgb(sky, 1, r, g, b);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  cairo_set_source_rgba(cr, 1, 0.95, 0.75, 0.9);
  cairo_arc(cr, 300 + index * 180, 260, 90, 0, 2 * M_PI);
  cairo_fill(cr);
  for (int band = 0; band < 3; ++band) {
    hsvToRgb(std::fmod(hue + 0.35 + band * 0.05, 1.0), 0.5, 0.55 - band * 0.12, r, g, b);
    cairo_set_source_rgb(cr, r, g, b);
    double base = 520 + band * 130;
    cairo_move_to(cr, 0, base);
    for (int x = 0; x <= kWidth; x += 40) {
      cairo_line_to(cr, x, base - 60 * std::sin((x + index * 97 + band * 300) / 170.0));
    }
    cairo_line_to(cr, kWidth, kHeight);
    cairo_line_to(cr, 0, kHeight);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  auto png = NSData::dataWithBytes(CGBitmapCopyPNGData(surface));
  cairo_surface_destroy(surface);
  auto jpeg = UIImageJPEGRepresentation(UIImage::imageWithData(png), 0.85);
  return jpeg ? jpeg->vector() : std::vector<uint8_t>();
}

bool write(const std::string& devicePath, const std::vector<uint8_t>& bytes) {
  auto folder = DeviceRoot::resolve(stringByDeletingLastPathComponent(devicePath));
  std::error_code error;
  if (!folder || (std::filesystem::create_directories(*folder, error), error)) return false;
  return !bytes.empty() && DeviceRoot::writeFile(devicePath, bytes, true);
}

bool writeSampleContent(std::string& error) {
  std::string home = HostApp::containerPath(HostApp::kDefaultBundleIdentifier);
  std::string pictures = stringByAppendingPathComponent(home, "Library/Caches/ProfilePictures");

  plist::Array threads;
  for (const SampleThread& sample : sampleThreads()) {
    plist::Array users;
    for (const SampleUser& user : sample.users) {
      std::string picture =
          stringByAppendingPathComponent(pictures, std::string(user.username) + ".png");
      if (!write(picture, drawProfilePicture(user))) {
        error = "cannot write " + picture;
        return false;
      }
      users.push_back(
          plist::Dictionary{{"username", std::string(user.username)},
                            {"fullName", std::string(user.fullName)},
                            {"profilePicURL", NSURL::fileURLWithPath(picture)->absoluteString()}});
    }
    plist::Array messages;
    for (const auto& [outgoing, text] : sample.messages) {
      messages.push_back(plist::Dictionary{{"text", std::string(text)}, {"outgoing", outgoing}});
    }
    threads.push_back(plist::Dictionary{{"users", std::move(users)},
                                        {"messages", std::move(messages)},
                                        {"lastActivity", std::string(sample.lastActivity)}});
  }
  plist::Value inbox = plist::Dictionary{{"threads", std::move(threads)}};
  if (!write(DirectInbox::filePath(home), plist::writeXML(inbox))) {
    error = "cannot write the Direct inbox";
    return false;
  }

  const std::string library = "/var/mobile/Media/DCIM/100APPLE/";
  for (int i = 1; i <= 4; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
    if (!write(library + name, drawPhoto(i))) {
      error = std::string("cannot write the photo ") + name;
      return false;
    }
  }
  // Clips made at build time; the device works without them (no movie, no cameras).
  auto copyBuilt = [](const char* built, const std::string& devicePath, const char* what) {
    std::error_code copyError;
    auto target = DeviceRoot::resolve(devicePath);
    if (!target ||
        !std::filesystem::copy_file(built, *target,
                                    std::filesystem::copy_options::overwrite_existing, copyError)) {
      std::fprintf(stderr, "The %s %s could not be copied; the device has none.\n", what, built);
    }
  };
  copyBuilt(PARLO_SAMPLE_MOVIE, library + "IMG_0005.MP4", "sample movie");
  const std::string cameras = "/var/mobile/Library/ParloSim/Camera/";
  copyBuilt(PARLO_CAMERA_FRONT_CLIP, cameras + "front.mp4", "front camera's clip");
  copyBuilt(PARLO_CAMERA_BACK_CLIP, cameras + "back.mp4", "back camera's clip");

  plist::Value switchOn = plist::Dictionary{{"toggleParlo", true}};
  if (!write("/var/mobile/Library/Preferences/com.brisvale.ParloPrefs.plist",
             plist::writeXML(switchOn))) {
    error = "cannot write the add-on's switch";
    return false;
  }
  return true;
}

}  // namespace

bool SampleDevice::create(const std::string& hostRoot, Kind kind, std::string& error) {
  std::error_code fsError;
  if (std::filesystem::exists(hostRoot, fsError)) {
    error = hostRoot + " already exists";
    return false;
  }
  DeviceRoot::setPath(hostRoot);
  std::string home = HostApp::containerPath(HostApp::kDefaultBundleIdentifier);
  const std::vector<std::string> folders{
      "/var/LIY/Application Support/Parlo.bundle/Assets",
      "/var/LIY/Frameworks/BrisvaleKit.framework",
      "/var/LIY/Brisvale/Preferences",
      "/Library/MobileSubstrate/DynamicLibraries",
      "/Library/PreferenceBundles",
      "/System/Library/CoreServices/Symbols",
      "/var/mobile/Library/Preferences",
      "/var/mobile/Media/DCIM/100APPLE",
      "/var/mobile/Library/ParloSim/Camera",
      home + "/Documents",
      home + "/Library/Preferences",
      home + "/Library/Caches",
      home + "/tmp",
  };
  for (const std::string& folder : folders) {
    auto path = DeviceRoot::resolve(folder);
    if (!path || (std::filesystem::create_directories(*path, fsError), fsError)) {
      error =
          "cannot make " + folder + " in " + hostRoot + (fsError ? ": " + fsError.message() : "");
      return false;
    }
  }
  if (kind == Kind::Fresh) return true;
  return writeSampleContent(error);
}
