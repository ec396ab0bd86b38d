// Where a test run leaves its pictures: $MIREL_ARTIFACTS (a Unix path) when set, otherwise the
// "artifacts" folder of the build tree that holds the test executable (as tools/wine-run does),
// in a subfolder named $MIREL_ARTIFACT_NAME or after the executable. The pictures an earlier run
// left there are removed when a run first uses the folder.
#pragma once

#include <string>

#include "e2e/driver/screen_capture.h"

namespace mirel::e2e {

// The folder (a Windows path).
std::string ArtifactsFolder();

// Saves `image` as <folder>/<name>.bmp and returns the path written.
std::string SaveArtifact(const Image& image, const std::string& name);

}  // namespace mirel::e2e
