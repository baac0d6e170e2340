// The settings file with a large profile photo in it, as the settings screen stores a picked
// photo: the original at full JPEG quality, about 5 MB. Every getter reads and parses the whole
// file, so one should cost what a bare read and parse of that file costs, and not much more.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ChatSamples.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSPropertyListSerialization.h"
#include "foundation/NSString.h"
#include "quartz/CGContext+Private.h"
#include "render/Renderer.h"
#include "settings/SettingManager.h"
#include "uikit/UIImage.h"

namespace {

// Camera-like detail everywhere (noise over a gradient) keeps the JPEG near 5 MB.
std::shared_ptr<NSData> largePhoto() {
  constexpr int kWidth = 2048, kHeight = 1536;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_surface_flush(surface);
  unsigned char* pixels = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  std::mt19937 noise(7);
  for (int y = 0; y < kHeight; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(pixels + y * stride);
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t grain = noise() & 0x7f7f7f;
      row[x] = (uint32_t(x * 120 / kWidth) << 16 | uint32_t(y * 120 / kHeight) << 8 | 0x40) + grain;
    }
  }
  cairo_surface_mark_dirty(surface);
  std::vector<uint8_t> png = CGBitmapCopyPNGData(surface);
  cairo_surface_destroy(surface);
  auto jpeg =
      UIImageJPEGRepresentation(UIImage::imageWithData(NSData::dataWithBytes(std::move(png))), 1.0);
  if (!jpeg) std::abort();
  return jpeg;
}

// A device whose settings file holds the photo and the other settings the screens write.
class SettingsWithPhoto {
 public:
  SettingsWithPhoto() {
    auto store = SettingManager::sharedInstance();
    photoBytes = largePhoto()->length();
    store->setObject(largePhoto(), "profileAvatar");
    store->setObject(NSString::string("jamie.fox"), "profileUsername");
    store->setBool(false, "autoSaveMessage");
    store->setFloat(3, "incomingCallDelay");
  }

  size_t photoBytes = 0;

 private:
  ChatSamples::ScratchDevice device_;
};

void BM_SettingsFileBareReadAndParse(benchmark::State& state) {
  SettingsWithPhoto settings;
  const std::string path = SettingManager::settingsFilePath();
  for (auto _ : state) {
    auto bytes = DeviceRoot::readFile(path);
    if (!bytes) std::abort();
    id root = NSPropertyListSerialization::propertyListWithData(*bytes, NSPropertyListImmutable,
                                                                nullptr, nullptr);
    if (!root) std::abort();
    benchmark::DoNotOptimize(root);
  }
  state.counters["photo_bytes"] = double(settings.photoBytes);
}
BENCHMARK(BM_SettingsFileBareReadAndParse)->Unit(benchmark::kMillisecond);

// What the chat screen does at load, four times: a getter for a small value beside the photo.
void BM_SettingsGetterBesideAPhoto(benchmark::State& state) {
  SettingsWithPhoto settings;
  auto store = SettingManager::sharedInstance();
  for (auto _ : state) {
    benchmark::DoNotOptimize(store->boolForKey("autoSaveMessage", true));
  }
  state.counters["photo_bytes"] = double(settings.photoBytes);
}
BENCHMARK(BM_SettingsGetterBesideAPhoto)->Unit(benchmark::kMillisecond);

void BM_SettingsProfileAvatarGetter(benchmark::State& state) {
  SettingsWithPhoto settings;
  auto store = SettingManager::sharedInstance();
  for (auto _ : state) {
    auto data = store->objectForKey("profileAvatar");
    if (!data) std::abort();
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_SettingsProfileAvatarGetter)->Unit(benchmark::kMillisecond);

// Storing a newly picked photo: the whole file is read and written again.
void BM_SettingsStoreAPickedPhoto(benchmark::State& state) {
  SettingsWithPhoto settings;
  auto store = SettingManager::sharedInstance();
  auto photo = largePhoto();
  for (auto _ : state) {
    if (!store->setObject(photo, "profileAvatar")) std::abort();
  }
}
BENCHMARK(BM_SettingsStoreAPickedPhoto)->Unit(benchmark::kMillisecond);

}  // namespace
