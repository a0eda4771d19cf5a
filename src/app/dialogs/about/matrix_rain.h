#pragma once
// The falling characters behind the about dialog, without any drawing: each step says which
// cells change and how, so the window repaints only those and a test can follow every drop.
#include <functional>
#include <string>
#include <vector>

namespace braceform {

// A whole number from 0 to n - 1 (0 when n is 0 or less).
using RandomSource = std::function<int(int n)>;

// The default source: a generator seeded from the clock.
RandomSource ClockSeededRandom();

struct RainColour {
  int red = 0, green = 0, blue = 0;
  friend bool operator==(const RainColour&, const RainColour&) = default;
};

// A level from 0 to 255 as a dark-to-bright green.
RainColour LevelColour(int level);
RainColour HeadColour(int brightness);
RainColour TrailColour(int brightness);

struct RainDrop {
  int column = 0;
  int row = 0;
  int speed = 1;       // moves one row every speed-th step, 1 to 3
  int brightness = 0;  // 0 to 99
};

// One changed cell: filled black, then, unless `erase`, `character` drawn in `colour`.
struct RainCell {
  int column = 0;
  int row = 0;
  bool erase = false;
  char character = 0;
  RainColour colour;
};

class MatrixRain {
 public:
  static constexpr int kCharWidth = 8;
  static constexpr int kCharHeight = 12;
  static constexpr int kMaxDrops = 5000;
  static constexpr int kTrailRows = 40;

  MatrixRain(std::string charset, RandomSource random);

  // StartMatrix: the frame counter back to 0 and the matrix laid out for a surface of
  // `width` by `height` pixels.
  void Start(int width, int height);
  // ResizeMatrix: columns and rows for the surface, then a fresh set of drops.
  void Resize(int width, int height);
  void ResetDrops();
  void AddDrop();
  // StepMatrix: moves every drop and answers the cells that changed, in drawing order.
  const std::vector<RainCell>& Step();

  int matrixWidth() const { return matrixWidth_; }
  int matrixHeight() const { return matrixHeight_; }
  int frame() const { return frame_; }
  const std::vector<RainDrop>& drops() const { return drops_; }
  const std::string& charset() const { return charset_; }

  // The row erased by a drop at `row`: 40 rows up, wrapped into the matrix plus its two
  // rows below the bottom, where drops still fall before they start again.
  int TrailEndRow(int row) const;

 private:
  int Random(int n) const { return n > 0 ? random_(n) : 0; }
  void DrawDrop(const RainDrop& drop, char character);
  void NewLook(RainDrop& drop);

  std::string charset_;
  RandomSource random_;
  int matrixWidth_ = 0;
  int matrixHeight_ = 0;
  int frame_ = 0;
  std::vector<RainDrop> drops_;
  std::vector<RainCell> changed_;
};

}  // namespace braceform
