// Handles are file descriptors. Every call is retried on EINTR, and a descriptor left
// non-blocking by another program is waited on rather than failed: a filter must not break
// because of how its pipe was set up.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "../platform.hpp"
#include "errors.hpp"

namespace platform {
namespace {

template <typename Call>
auto RetryOnEintr(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

// After a failed read or write: true when the call should be made again, at once for
// EINTR, once `fd` is ready for `events` for EAGAIN.
bool ShouldRetry(int fd, short events) {
  if (errno == EINTR) return true;
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  pollfd request{fd, events, 0};
  return RetryOnEintr([&] { return ::poll(&request, 1, -1); }) >= 0;
}

// A file we open must never take the number of a closed standard handle.
int MoveAboveStandardHandles(int fd) {
  if (fd > 2) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  const int saved_errno = errno;
  ::close(fd);
  errno = saved_errno;
  return moved;
}

// The end of a write whose first call was cut short or failed with `first`.
[[gnu::noinline]] bool WriteRest(int fd, const char* next, uint32_t size, ssize_t first) {
  for (ssize_t n = first;; n = ::write(fd, next, size)) {
    if (n < 0) {
      if (ShouldRetry(fd, POLLOUT)) continue;
      posix::SetLastErrorFromErrno();
      return false;
    }
    next += n;
    size -= static_cast<uint32_t>(n);
    if (size == 0) return true;
  }
}

}  // namespace

Handle GetStdHandle(StdHandle which) {
  switch (which) {
    case StdHandle::Input:
      return STDIN_FILENO;
    case StdHandle::Output:
      return STDOUT_FILENO;
    case StdHandle::Error:
      return STDERR_FILENO;
  }
  return kInvalidHandle;
}

Handle CreateForWriting(const char* name) {
  int fd =
      RetryOnEintr([&] { return ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); });
  if (fd >= 0) fd = MoveAboveStandardHandles(fd);
  if (fd < 0) {
    posix::SetLastErrorFromErrno(posix::Operation::CreateFile);
    return kInvalidHandle;
  }
  return fd;
}

HandleKind KindOf(Handle handle) {
  struct stat status;
  if (::fstat(static_cast<int>(handle), &status) != 0) return HandleKind::Unknown;
  return S_ISCHR(status.st_mode) ? HandleKind::Char : HandleKind::Other;
}

// The first call is made straight: retries are for the rare calls that need them.
bool ReadFile(Handle handle, void* buffer, uint32_t size, uint32_t& got) {
  const int fd = static_cast<int>(handle);
  ssize_t n = ::read(fd, buffer, size);
  while (n < 0 && ShouldRetry(fd, POLLIN)) {
    n = ::read(fd, buffer, size);
  }
  if (n >= 0) {
    got = static_cast<uint32_t>(n);
    return true;
  }
  got = 0;
  posix::SetLastErrorFromErrno();
  return false;
}

bool WriteFile(Handle handle, const void* buffer, uint32_t size) {
  const int fd = static_cast<int>(handle);
  if (size == 0) return true;
  const ssize_t n = ::write(fd, buffer, size);
  if (n == static_cast<ssize_t>(size)) [[likely]]
    return true;
  return WriteRest(fd, static_cast<const char*>(buffer), size, n);
}

bool CloseHandle(Handle handle) {
  // Linux releases the descriptor even when close reports EINTR: retrying could close
  // another file, so EINTR counts as done.
  if (::close(static_cast<int>(handle)) == 0 || errno == EINTR) return true;
  posix::SetLastErrorFromErrno();
  return false;
}

}  // namespace platform
