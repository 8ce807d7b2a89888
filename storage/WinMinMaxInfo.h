#pragma once
// Size limits of a window; all zero means the system's own.
#include <cstdint>

#include "framework/Events.h"

class TWinMinMaxInfo : public TObject {
 public:
  std::int32_t MaxPosLeft = 0;
  std::int32_t MaxPosTop = 0;
  std::int32_t MaxSizeHeight = 0;
  std::int32_t MaxSizeWidth = 0;
  std::int32_t MaxTrackHeight = 0;
  std::int32_t MaxTrackWidth = 0;
  std::int32_t MinTrackHeight = 0;
  std::int32_t MinTrackWidth = 0;

  bool DefaultMinMaxInfo() const {
    return MaxPosLeft == 0 && MaxPosTop == 0 && MaxSizeHeight == 0 && MaxSizeWidth == 0 &&
           MaxTrackHeight == 0 && MaxTrackWidth == 0 && MinTrackHeight == 0 && MinTrackWidth == 0;
  }
};
