// Handles are kernel32 handles; error numbers are GetLastError's own.
#include "../platform.hpp"
#include "windows.hpp"

namespace platform {
namespace {

HANDLE Native(Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

Handle Ours(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kInvalidHandle : reinterpret_cast<Handle>(handle);
}

}  // namespace

int32_t LastError() {
  return static_cast<int32_t>(::GetLastError());
}

Handle GetStdHandle(StdHandle which) {
  const DWORD id = which == StdHandle::Input    ? STD_INPUT_HANDLE
                   : which == StdHandle::Output ? STD_OUTPUT_HANDLE
                                                : STD_ERROR_HANDLE;
  return Ours(::GetStdHandle(id));
}

Handle CreateForWriting(const char* name) {
  return Ours(::CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

HandleKind KindOf(Handle handle) {
  switch (::GetFileType(Native(handle))) {
    case FILE_TYPE_UNKNOWN:
      return HandleKind::Unknown;
    case FILE_TYPE_CHAR:
      return HandleKind::Char;
    default:
      return HandleKind::Other;
  }
}

bool ReadFile(Handle handle, void* buffer, uint32_t size, uint32_t& got) {
  DWORD count = 0;
  const bool done = ::ReadFile(Native(handle), buffer, size, &count, nullptr);
  got = done ? count : 0;
  return done;
}

bool WriteFile(Handle handle, const void* buffer, uint32_t size) {
  DWORD written = 0;
  return ::WriteFile(Native(handle), buffer, size, &written, nullptr);
}

bool CloseHandle(Handle handle) {
  return ::CloseHandle(Native(handle));
}

}  // namespace platform
