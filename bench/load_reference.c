/* Reads a whole file with one fread into a freshly allocated buffer of its size: the floor
   for loading a WAVE file into ordinary memory, which is bound by the page faults of the
   fresh 4 KiB pages. Prints the time spent in the process from fopen to the end of the
   fread ("read_ms"). */
#define _POSIX_C_SOURCE 199309L
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const double start = now_ms();
  FILE* f = fopen(argv[1], "rb");
  if (!f) return 1;
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  unsigned char* buf = malloc((size_t)size);
  if (!buf) return 1;
  size_t got = fread(buf, 1, (size_t)size, f);
  fclose(f);
  const double elapsed = now_ms() - start;
  printf("%zu bytes, last %u\nread_ms: %.1f\n", got, got ? buf[got - 1] : 0u, elapsed);
  free(buf);
  return got == (size_t)size ? 0 : 1;
}
