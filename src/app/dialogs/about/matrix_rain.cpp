#include "matrix_rain.h"

#include <chrono>
#include <memory>
#include <random>
#include <utility>

namespace braceform {

RandomSource ClockSeededRandom() {
  auto engine = std::make_shared<std::minstd_rand>(static_cast<std::minstd_rand::result_type>(
      std::chrono::steady_clock::now().time_since_epoch().count()));
  return [engine](int n) {
    if (n <= 0) return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(*engine);
  };
}

RainColour LevelColour(int level) { return {level * 150 / 255, level, level * 100 / 255}; }

RainColour HeadColour(int brightness) { return LevelColour(brightness * 255 / 100); }

RainColour TrailColour(int brightness) { return LevelColour(brightness * 255 / 100 / 3); }

MatrixRain::MatrixRain(std::string charset, RandomSource random)
    : charset_(std::move(charset)), random_(random ? std::move(random) : ClockSeededRandom()) {
  drops_.reserve(kMaxDrops);
}

void MatrixRain::Start(int width, int height) {
  frame_ = 0;
  Resize(width, height);
}

void MatrixRain::Resize(int width, int height) {
  matrixWidth_ = width > 0 ? width / kCharWidth : 0;
  matrixHeight_ = height > 0 ? height / kCharHeight : 0;
  ResetDrops();
}

void MatrixRain::ResetDrops() {
  drops_.clear();
  for (int i = 0; i < 2 * matrixWidth_; ++i) AddDrop();
}

void MatrixRain::AddDrop() {
  if (drops_.size() >= static_cast<std::size_t>(kMaxDrops) || matrixWidth_ <= 0) return;
  RainDrop drop;
  drop.column = static_cast<int>(drops_.size()) % matrixWidth_;
  drop.row = Random(matrixHeight_);
  NewLook(drop);
  drops_.push_back(drop);
}

void MatrixRain::NewLook(RainDrop& drop) {
  drop.speed = Random(3) + 1;
  drop.brightness = Random(100);
}

int MatrixRain::TrailEndRow(int row) const {
  const int cycle = matrixHeight_ + 1;
  int end = row - kTrailRows;
  if (end < 0) end = (end % cycle + cycle) % cycle;
  return end;
}

const std::vector<RainCell>& MatrixRain::Step() {
  changed_.clear();
  for (RainDrop& drop : drops_) {
    const char character =
        charset_.empty()
            ? ' '
            : charset_[static_cast<std::size_t>(Random(static_cast<int>(charset_.size())))];
    DrawDrop(drop, character);
    if (frame_ % drop.speed == 0) {
      ++drop.row;
      if (drop.row > matrixHeight_ + 1) {
        drop.row = 0;
        NewLook(drop);
      }
    }
  }
  ++frame_;
  return changed_;
}

void MatrixRain::DrawDrop(const RainDrop& drop, char character) {
  changed_.push_back({drop.column, TrailEndRow(drop.row), true, 0, {}});
  if (drop.row > 0)
    changed_.push_back({drop.column, drop.row - 1, false, character, TrailColour(drop.brightness)});
  changed_.push_back({drop.column, drop.row, false, character, HeadColour(drop.brightness)});
}

}  // namespace braceform
