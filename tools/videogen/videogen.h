#pragma once

// Generated AVI files for the media tests, the benchmark and the sample videos.
#include "videogen/avi_index.h"
#include "videogen/frame_code.h"
#include "videogen/video_settings.h"
