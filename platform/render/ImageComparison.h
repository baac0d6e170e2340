#pragma once

#include <cairo.h>

#include <string>

// Comparing rendered pictures with reference pictures, for snapshot tests.
namespace render {

struct ImageDifference {
  bool sameSize = false;
  // Pixels where some channel differs by more than the tolerance.
  long differingPixels = 0;
  // The largest difference of one channel anywhere (0 to 255).
  int largestDifference = 0;
};

// Compares two ARGB32 image surfaces channel by channel (premultiplied, as stored).
ImageDifference compareImages(cairo_surface_t* actual, cairo_surface_t* expected, int tolerance);

struct ReferenceComparison {
  bool matches = false;
  // Why it does not match, for a test's failure message; empty when it matches.
  std::string message;
  ImageDifference difference;
};

// Compares a picture with the reference PNG at referencePath. Up to `allowedPixels` pixels may
// differ by more than `tolerance` in some channel (text edges vary a little between machines).
// On a mismatch it writes "<name>.actual.png" and "<name>.diff.png" (the differing pixels in
// red over a faded copy of the reference) into outputDirectory, where name is the reference's
// file name without ".png". With PARLO_UPDATE_REFERENCES=1 in the environment it writes the
// picture as the new reference instead, and matches.
ReferenceComparison compareWithReference(cairo_surface_t* actual, const std::string& referencePath,
                                         const std::string& outputDirectory, int tolerance = 8,
                                         long allowedPixels = 0);

}  // namespace render
