// MeanShift: the normal filters of the view (mean shift, sphere jump, median filter)
// and their working state.
#pragma once

// Which filter runs, as the mean shift page numbers them.
enum class FilterMode : int { MeanShift = 0, SphereJump = 1, Median = 2 };

class MeanShift {
  public:
};
