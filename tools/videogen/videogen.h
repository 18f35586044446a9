#pragma once

// Generated AVI files for the media tests, the benchmark and the sample videos.
#include "videogen/avi_index.h"
#include "videogen/avi_writer.h"
#include "videogen/frame_code.h"
