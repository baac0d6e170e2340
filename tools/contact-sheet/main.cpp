// parlo-contact-sheet: draws every rendered asset of the build into one labelled PNG, light half
// beside dark half, at the sizes the product draws them; or checks the rendered assets.
//
//   parlo-contact-sheet [--scale N] [--only TEXT] MANIFEST OUT.png
//   parlo-contact-sheet --check MANIFEST
//   parlo-contact-sheet --tour FOLDER OUT.png
//
// MANIFEST is the build tree's assets/manifest.tsv. --only keeps the images whose name contains
// TEXT, which together with a large --scale gives a close look at a few icons. --tour lays out
// the snapshots of a tour's folder in name order, with captions.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "AssetCheck.h"
#include "ContactSheet.h"
#include "Manifest.h"
#include "TourSheet.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: parlo-contact-sheet [--scale N] [--only TEXT] MANIFEST OUT.png\n"
               "       parlo-contact-sheet --check MANIFEST\n"
               "       parlo-contact-sheet --tour FOLDER OUT.png\n");
  return 2;
}

int tourSheet(const std::string& folder, const std::string& out) {
  auto shots = parlo::sheet::tourShots(folder, out);
  if (shots.empty()) {
    std::fprintf(stderr, "parlo-contact-sheet: no snapshots in %s\n", folder.c_str());
    return 1;
  }
  std::vector<std::string> missing;
  std::string error;
  if (!parlo::sheet::writeTourSheet(shots, out, 6, 195, missing, error)) {
    std::fprintf(stderr, "parlo-contact-sheet: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& name : missing) {
    std::fprintf(stderr, "parlo-contact-sheet: %s: not a readable PNG\n", name.c_str());
  }
  return missing.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--tour") {
    return argc == 4 ? tourSheet(argv[2], argv[3]) : usage();
  }
  double scale = 2;
  bool check = false;
  std::string only;
  std::string manifestPath;
  std::string outPath;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--scale" && i + 1 < argc) {
      scale = std::atof(argv[++i]);
      if (!(scale > 0 && scale <= 16)) return usage();
    } else if (arg == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (arg == "--check") {
      check = true;
    } else if (!arg.empty() && arg.front() == '-') {
      return usage();
    } else if (manifestPath.empty()) {
      manifestPath = arg;
    } else if (outPath.empty() && !check) {
      outPath = arg;
    } else {
      return usage();
    }
  }
  if (manifestPath.empty() || (!check && outPath.empty())) return usage();

  std::string error;
  auto manifest = parlo::sheet::Manifest::read(manifestPath, error);
  if (!manifest) {
    std::fprintf(stderr, "parlo-contact-sheet: %s\n", error.c_str());
    return 1;
  }

  if (check) {
    auto problems = parlo::sheet::checkAssets(*manifest);
    for (const std::string& problem : problems) {
      std::fprintf(stderr, "parlo-contact-sheet: %s\n", problem.c_str());
    }
    return problems.empty() ? 0 : 1;
  }

  if (!only.empty()) {
    std::erase_if(manifest->entries,
                  [&](const auto& entry) { return entry.name.find(only) == std::string::npos; });
  }
  std::vector<std::string> missing;
  parlo::sheet::ContactSheet sheet(*manifest, scale);
  if (!sheet.write(outPath, missing, error)) {
    std::fprintf(stderr, "parlo-contact-sheet: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& name : missing) {
    std::fprintf(stderr, "parlo-contact-sheet: %s: image missing or unreadable\n", name.c_str());
  }
  return missing.empty() ? 0 : 1;
}
