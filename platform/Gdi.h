#pragma once
// Device contexts, pens, brushes, fonts, bitmaps, icons and the system colour table.
class IGdi {
 public:
  virtual ~IGdi() = default;
};
