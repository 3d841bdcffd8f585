/* Reads a whole file into a buffer that the kernel can back with transparent huge pages: an
   anonymous mapping aligned to 2 MiB and advised with MADV_HUGEPAGE, filled by large read(2)
   calls. This is the floor for loading a WAVE file into fresh memory. Prints the time spent
   in the process from open to the last byte read ("read_ms"). */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#define HUGE_PAGE ((size_t)2 << 20)

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const double start = now_ms();
  int fd = open(argv[1], O_RDONLY);
  if (fd < 0) return 1;
  struct stat st;
  if (fstat(fd, &st) != 0) return 1;
  size_t size = (size_t)st.st_size;
  size_t length = (size + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
  uint8_t* raw = mmap(NULL, length + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return 1;
  uint8_t* buf = (uint8_t*)(((uintptr_t)raw + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE);
  madvise(buf, length, MADV_HUGEPAGE);
  size_t done = 0;
  while (done < size) {
    size_t piece = size - done < ((size_t)1 << 30) ? size - done : ((size_t)1 << 30);
    ssize_t got = read(fd, buf + done, piece);
    if (got <= 0) break;
    done += (size_t)got;
  }
  close(fd);
  const double elapsed = now_ms() - start;
  printf("%zu bytes, last %u\nread_ms: %.1f\n", done, done ? buf[done - 1] : 0u, elapsed);
  return done == size ? 0 : 1;
}
