#include "app/Platform.h"

PlatformInfo DetectPlatform() { return ClassifyPlatform({2, 5, 2600}, false); }
