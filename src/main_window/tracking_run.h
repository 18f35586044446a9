#pragma once

#include "main_window/form1.h"
#include "main_window/measuring_dialogs.h"
#include "tracking/object_tracker.h"

#include <QRect>
#include <QSize>
#include <memory>

// What the main window keeps while it follows an object.
struct Form1::Tracking {
    tracking::ObjectTracker tracker;
    int gap = 1;   // frames between marks
    int made = 0;  // automatic marks so far
    QRect shownAt; // where the full-size picture lies in the measuring area
    QSize picture; // its size
    std::unique_ptr<TrackingProgress> progress;
};
