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

// Waits until `fd` is ready for `events`; true when the call should be tried again.
bool WaitIfWouldBlock(int fd, short events) {
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
  int fd = RetryOnEintr(
      [&] { return ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); });
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

bool ReadFile(Handle handle, void* buffer, uint32_t size, uint32_t& got) {
  const int fd = static_cast<int>(handle);
  for (;;) {
    const ssize_t n = RetryOnEintr([&] { return ::read(fd, buffer, size); });
    if (n >= 0) {
      got = static_cast<uint32_t>(n);
      return true;
    }
    if (!WaitIfWouldBlock(fd, POLLIN)) break;
  }
  got = 0;
  posix::SetLastErrorFromErrno();
  return false;
}

bool WriteFile(Handle handle, const void* buffer, uint32_t size) {
  const int fd = static_cast<int>(handle);
  const char* next = static_cast<const char*>(buffer);
  while (size > 0) {
    const ssize_t n = RetryOnEintr([&] { return ::write(fd, next, size); });
    if (n < 0) {
      if (WaitIfWouldBlock(fd, POLLOUT)) continue;
      posix::SetLastErrorFromErrno();
      return false;
    }
    next += n;
    size -= static_cast<uint32_t>(n);
  }
  return true;
}

bool CloseHandle(Handle handle) {
  // Linux releases the descriptor even when close reports EINTR: retrying could close
  // another file, so EINTR counts as done.
  if (::close(static_cast<int>(handle)) == 0 || errno == EINTR) return true;
  posix::SetLastErrorFromErrno();
  return false;
}

}  // namespace platform
