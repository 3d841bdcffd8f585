#pragma once
// A sound device for the wave's tests: records what the wave asks for and marks the
// wave's slots queued the way the real device does.
#include <vector>

#include "core/wave/wave.h"
#include "core/wave/wave_device.h"

class FakeDevice : public WaveDevice {
 public:
  struct Request {
    int direction;
    uint32_t start;
    uint32_t count;
  };

  bool PlayBlock(CWave& wave, uint32_t start, uint32_t count) override { return Add(wave, kOutput, start, count); }
  bool RecordBlock(CWave& wave, uint32_t start, uint32_t count) override { return Add(wave, kInput, start, count); }
  bool CloseOutput() override { return Close(kOutput); }
  bool CloseInput() override { return Close(kInput); }
  uint32_t OutputPosition() override { return outputPosition; }
  uint32_t InputPosition() override { return inputPosition; }
  bool MapPosition(uint32_t position, int, int& slot, uint32_t& frame) override {
    slot = 0;
    frame = position;
    return true;
  }

  std::vector<Request> requests;
  int closes = 0;
  bool refuse = false;
  uint32_t outputPosition = 0;
  uint32_t inputPosition = 0;

 private:
  bool Add(CWave& wave, int direction, uint32_t start, uint32_t count) {
    if (refuse) return false;
    requests.push_back({direction, start, count});
    owners_.push_back(&wave);
    wave.MarkQueued(static_cast<int>(owners_.size() - 1) % kDeviceSlotCount);
    return true;
  }
  bool Close(int) {
    ++closes;
    for (size_t i = 0; i < owners_.size(); ++i) owners_[i]->ClearQueued(static_cast<int>(i) % kDeviceSlotCount);
    owners_.clear();
    return true;
  }
  std::vector<CWave*> owners_;
};
