#include "core/graph/box_factory.h"

#include "core/graph/fft3d_box.h"
#include "core/graph/fft_box.h"
#include "core/graph/info_box.h"
#include "core/graph/wave_box.h"

int ChannelOfBoxType(int type) {
  if (type < 0 || type > kBoxFft3dMono) return 0;
  return type % 3 + 1;
}

std::unique_ptr<CBox> NewBoxOfType(int type) {
  switch (type) {
    case kBoxWaveLeft:
    case kBoxWaveRight:
    case kBoxWaveMono:
      return std::make_unique<CWaveBox>();
    case kBoxFftLeft:
    case kBoxFftRight:
    case kBoxFftMono:
      return std::make_unique<CFFTBox>();
    case kBoxFft3dLeft:
    case kBoxFft3dRight:
    case kBoxFft3dMono:
      return std::make_unique<CFFT3DBox>();
    case kBoxInfo:
      return std::make_unique<CInfoBox>();
    default:
      return nullptr;
  }
}
