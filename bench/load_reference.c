/* Reads a whole file with one fread into a freshly allocated buffer of its size: the floor
   for loading a WAVE file, which is bound by the page faults of fresh memory. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  FILE* f = fopen(argv[1], "rb");
  if (!f) return 1;
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  unsigned char* buf = malloc((size_t)size);
  if (!buf) return 1;
  size_t got = fread(buf, 1, (size_t)size, f);
  fclose(f);
  printf("%zu bytes, last %u\n", got, got ? buf[got - 1] : 0u);
  free(buf);
  return got == (size_t)size ? 0 : 1;
}
