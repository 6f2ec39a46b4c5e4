// The floor for kelvor's speed: the same buffering and the same system calls (reads of 128
// bytes; 128-byte blocks to the log and to standard output, a write at each line end when
// standard output is a character device) with no line rules and no conversion; lines only get
// kelvor's CR LF ends, so that both write the same number of bytes.
//
//   floor [/S] [log]      log defaults to kelVOR.txt
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

struct Block {
  int fd;
  bool line_by_line;
  unsigned used = 0;
  char bytes[128] = {};

  void Drain() {
    if (used > 0 && write(fd, bytes, used) < 0) _exit(1);
    used = 0;
  }
  void Put(const char* data, unsigned count) {
    while (count >= 128 - used) {
      const unsigned free = 128 - used;
      std::memcpy(bytes + used, data, free);
      used = 128;
      Drain();
      data += free;
      count -= free;
    }
    std::memcpy(bytes + used, data, count);
    used += count;
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool silent = false;
  const char* name = "kelVOR.txt";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "/S") == 0) {
      silent = true;
    } else {
      name = argv[i];
    }
  }
  const int log_fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (log_fd < 0) return 1;
  struct stat status;
  const bool console = fstat(1, &status) == 0 && S_ISCHR(status.st_mode);
  Block out{1, console};
  Block log{log_fd, false};

  char input[128];
  char previous = '\0';  // the last byte of the read before
  ssize_t got;
  while ((got = read(0, input, sizeof input)) > 0) {
    const char* at = input;
    const char* end = input + got;
    while (at < end) {
      const char* lf = static_cast<const char*>(std::memchr(at, '\n', end - at));
      const char* stop = lf ? lf : end;
      const unsigned count = static_cast<unsigned>(stop - at);
      // Every line ends in CR LF, as kelvor's do, so that LF input writes as many bytes.
      const bool needs_cr = lf && (lf == input ? previous : lf[-1]) != '\r';
      if (!silent) {
        out.Put(at, count);
        if (lf) out.Put("\r\n" + !needs_cr, needs_cr ? 2 : 1);
        if (lf && out.line_by_line) out.Drain();
      }
      log.Put(at, count);
      if (lf) log.Put("\r\n" + !needs_cr, needs_cr ? 2 : 1);
      at = lf ? lf + 1 : end;
    }
    previous = end[-1];
  }
  out.Drain();
  log.Drain();
  return close(log_fd) == 0 ? 0 : 1;
}
