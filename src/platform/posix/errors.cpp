#include "errors.hpp"

#include <cerrno>

#include "../platform.hpp"

namespace platform::posix {
namespace {

thread_local int32_t last_error = 0;

struct ErrnoMapping {
  int errnum;
  int32_t code;
};

constexpr ErrnoMapping kErrnoMappings[] = {
    {ENOENT, error::kFileNotFound},
    {ENOTDIR, error::kPathNotFound},
    {EMFILE, error::kTooManyOpenFiles},
    {ENFILE, error::kTooManyOpenFiles},
    {EACCES, error::kAccessDenied},
    {EPERM, error::kAccessDenied},
    {EISDIR, error::kAccessDenied},
    {EBADF, error::kInvalidHandle},
    {EROFS, error::kWriteProtect},
    {ETXTBSY, error::kSharingViolation},
    {EBUSY, error::kSharingViolation},
    {EINVAL, error::kInvalidParameter},
    {ENOSPC, error::kDiskFull},
    {EDQUOT, error::kDiskFull},
    {ENAMETOOLONG, error::kFilenameTooLong},
    {EFBIG, error::kFileTooLarge},
    {EPIPE, error::kNoData},
    {EIO, error::kIoDevice},
    {ELOOP, error::kCantResolveFilename},
};

}  // namespace

int32_t TranslateErrno(int errnum, Operation operation) {
  // Creating a file fails with ENOENT only when a directory on its path is missing.
  if (errnum == ENOENT && operation == Operation::CreateFile) return error::kPathNotFound;
  for (const ErrnoMapping& mapping : kErrnoMappings) {
    if (mapping.errnum == errnum) return mapping.code;
  }
  return error::kGenFailure;
}

void SetLastErrorFromErrno(Operation operation) {
  last_error = TranslateErrno(errno, operation);
}

void SetLastError(int32_t code) {
  last_error = code;
}

}  // namespace platform::posix

int32_t platform::LastError() {
  return posix::last_error;
}
