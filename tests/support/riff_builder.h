#pragma once
// Builds RIFF/WAVE files byte by byte for the reader's tests, including broken ones.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class RiffBuilder {
 public:
  // Appends a chunk with the given id and payload (and a pad byte when odd, unless told not).
  RiffBuilder& Chunk(const std::string& id, const std::vector<uint8_t>& payload, bool pad = true,
                     int64_t sizeOverride = -1) {
    Append(id);
    U32(sizeOverride >= 0 ? static_cast<uint32_t>(sizeOverride) : static_cast<uint32_t>(payload.size()));
    body_.insert(body_.end(), payload.begin(), payload.end());
    if (pad && (payload.size() & 1)) body_.push_back(0);
    return *this;
  }

  // A PCM "fmt " payload of the given length (16 or 18 are the usual ones).
  static std::vector<uint8_t> Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                                  size_t length = 16, int blockAlign = -1) {
    std::vector<uint8_t> p(std::max<size_t>(length, 18), 0);
    uint16_t align = blockAlign >= 0 ? static_cast<uint16_t>(blockAlign)
                                     : static_cast<uint16_t>(channels * bits / 8);
    uint32_t bps = rate * align;
    std::memcpy(&p[0], &tag, 2);
    std::memcpy(&p[2], &channels, 2);
    std::memcpy(&p[4], &rate, 4);
    std::memcpy(&p[8], &bps, 4);
    std::memcpy(&p[12], &align, 2);
    std::memcpy(&p[14], &bits, 2);
    p.resize(length);
    return p;
  }

  // The 40-byte extensible "fmt " payload (format tag 0xFFFE, extra size 22): valid bits,
  // channel mask and the sub-format identifier, whose first two bytes are the sub-format's
  // tag (1 PCM, 3 float) and the rest the registered tail (broken on request).
  static std::vector<uint8_t> ExtensibleFmt(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat,
                                            uint16_t validBits, uint32_t mask, bool registeredTail = true) {
    std::vector<uint8_t> p = Fmt(0xFFFE, channels, rate, bits, 18);
    const uint16_t extra = 22;
    std::memcpy(&p[16], &extra, 2);
    p.resize(40);
    std::memcpy(&p[18], &validBits, 2);
    std::memcpy(&p[20], &mask, 4);
    std::memcpy(&p[24], &subFormat, 2);
    const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    std::memcpy(&p[26], tail, sizeof tail);
    if (!registeredTail) p[39] ^= 0xFF;
    return p;
  }

  // The whole file: "RIFF", size (or the override), "WAVE", then the chunks.
  std::vector<uint8_t> Build(int64_t riffSizeOverride = -1, const char* form = "WAVE") const {
    std::vector<uint8_t> out;
    auto put = [&](const void* p, size_t n) {
      const auto* b = static_cast<const uint8_t*>(p);
      out.insert(out.end(), b, b + n);
    };
    put("RIFF", 4);
    uint32_t size = riffSizeOverride >= 0 ? static_cast<uint32_t>(riffSizeOverride)
                                          : static_cast<uint32_t>(4 + body_.size());
    put(&size, 4);
    put(form, 4);
    put(body_.data(), body_.size());
    return out;
  }

 private:
  void Append(const std::string& id) { body_.insert(body_.end(), id.begin(), id.begin() + 4); }
  void U32(uint32_t v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    body_.insert(body_.end(), b, b + 4);
  }
  std::vector<uint8_t> body_;
};
