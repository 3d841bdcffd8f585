/* The yardstick for the wave text export: a plain C program that writes the same file as
   `sonvue-cli export-wave IN.wav OUT.txt --channels L,R,M` (a 16-bit stereo wave, default
   options) with one fprintf("%f") per row.
     wave_text_reference IN.wav OUT.txt
   The head is converted to CP932 with iconv once; rows are ASCII. */
#include <iconv.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static uint32_t u32(const unsigned char* p) {
  return p[0] | p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static int write_cp932(FILE* out, const char* utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  char buf[1024];
  char* in = (char*)utf8;
  size_t in_left = strlen(utf8);
  char* dst = buf;
  size_t dst_left = sizeof buf;
  if (cd == (iconv_t)-1 || iconv(cd, &in, &in_left, &dst, &dst_left) == (size_t)-1) return 0;
  iconv_close(cd);
  return fwrite(buf, 1, sizeof buf - dst_left, out) == sizeof buf - dst_left;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: wave_text_reference IN.wav OUT.txt\n");
    return 2;
  }
  FILE* in = fopen(argv[1], "rb");
  if (!in) return 1;
  fseek(in, 0, SEEK_END);
  long size = ftell(in);
  fseek(in, 0, SEEK_SET);
  unsigned char* file = malloc((size_t)size);
  if (!file || fread(file, 1, (size_t)size, in) != (size_t)size) return 1;
  fclose(in);

  /* The chunks of a RIFF WAVE file: "fmt " gives the rate, "data" the frames. */
  uint32_t rate = 0;
  const int16_t* samples = NULL;
  uint32_t frames = 0;
  for (long at = 12; at + 8 <= size;) {
    uint32_t length = u32(file + at + 4);
    if (memcmp(file + at, "fmt ", 4) == 0) rate = u32(file + at + 12);
    if (memcmp(file + at, "data", 4) == 0) {
      samples = (const int16_t*)(file + at + 8);
      frames = length / 4;
    }
    at += 8 + length + (length & 1);
  }
  if (!samples || rate == 0) return 1;

  FILE* out = fopen(argv[2], "wb");
  if (!out) return 1;
  char head[1024];
  snprintf(head, sizeof head,
           "ウェーブデータ\r\nサンプリング周波数(Hz) , %u\r\nデータビットサイズ(bits) , 16\r\n"
           "チャンネル数 , 2\r\n総サンプル数(samples) , %u\r\n"
           "時間(sec) , Ｌchレベル(%%) , Ｒchレベル(%%) , ＬＲ合成波レベル\r\n",
           rate, frames);
  if (!write_cp932(out, head)) return 1;
  const char* d = " , ";
  const double k = 0.0030517578125;
  for (uint32_t a = 0; a < frames; ++a) {
    int left = samples[2 * a];
    int right = samples[2 * a + 1];
    fprintf(out, "%f%s%f%s%f%s%f\r\n", (double)a / rate, d, left * k, d, right * k, d,
            (left + right) / 2 * k);
  }
  free(file);
  return fclose(out) == 0 ? 0 : 1;
}
