#include "fake_os.hpp"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace fake {
namespace {

std::map<platform::Handle, File> files;
std::map<std::string, platform::Handle> names;
std::map<std::string, int32_t> create_errors;
std::map<std::string, platform::HandleKind> kinds;
platform::Handle next_handle = 3;
int32_t last_error = 0;
std::vector<std::string> argument_texts;
std::vector<const char*> argument_list;
std::string raw_command_line;
platform::CharStep raw_step = nullptr;
bool raw_given = false;

}  // namespace

std::string File::Written() const {
  std::string all;
  for (std::size_t i = 0; i < writes.size(); ++i) {
    if (!write_errors.contains(static_cast<int>(i))) all += writes[i];
  }
  return all;
}

void Reset() {
  files.clear();
  names.clear();
  create_errors.clear();
  kinds.clear();
  next_handle = 3;
  last_error = 0;
  files[kStdIn];
  files[kStdOut];
  files[kStdErr];
  SetArguments({"kelvor"});
}

File& At(platform::Handle handle) {
  return files.at(handle);
}

File& Named(const std::string& name) {
  return files.at(names.at(name));
}

void SetKind(const std::string& name, platform::HandleKind kind) {
  kinds[name] = kind;
}

void FailCreate(const std::string& name, int32_t error) {
  create_errors[name] = error;
}

void FeedStdIn(const std::string& input, std::size_t chunk) {
  for (std::size_t at = 0; at < input.size(); at += chunk) {
    At(kStdIn).reads.push_back({input.substr(at, chunk)});
  }
}

void SetArguments(std::vector<std::string> argv) {
  argument_texts = std::move(argv);
  argument_list.clear();
  for (const std::string& text : argument_texts) argument_list.push_back(text.c_str());
  raw_given = false;
}

void SetRawCommandLine(std::string line, platform::CharStep step) {
  raw_command_line = std::move(line);
  raw_step = step;
  raw_given = true;
}

}  // namespace fake

namespace platform {

CommandLine ProgramCommandLine() {
  if (fake::raw_given) return RawCommandLine{fake::raw_command_line, fake::raw_step};
  return ArgumentList(fake::argument_list);
}

void StartProcess(int, char**) {}
void ExitProcess(int32_t code) {
  std::exit(code);
}
int32_t LastError() {
  return fake::last_error;
}

Handle GetStdHandle(StdHandle which) {
  if (which == StdHandle::Input) return fake::kStdIn;
  return which == StdHandle::Output ? fake::kStdOut : fake::kStdErr;
}

Handle CreateForWriting(const char* name) {
  if (auto error = fake::create_errors.find(name); error != fake::create_errors.end()) {
    fake::last_error = error->second;
    fake::create_errors.erase(error);
    return kInvalidHandle;
  }
  const Handle handle = fake::next_handle++;
  fake::files[handle] = fake::File{};
  if (auto kind = fake::kinds.find(name); kind != fake::kinds.end()) {
    fake::files[handle].kind = kind->second;
  }
  fake::names[name] = handle;
  return handle;
}

HandleKind KindOf(Handle handle) {
  auto file = fake::files.find(handle);
  return file == fake::files.end() ? HandleKind::Unknown : file->second.kind;
}

bool ReadFile(Handle handle, void* buffer, uint32_t size, uint32_t& got) {
  fake::File& file = fake::At(handle);
  file.read_sizes.push_back(size);
  got = 0;
  if (file.reads.empty()) return true;
  fake::Read read = file.reads.front();
  file.reads.pop_front();
  if (read.error != 0) {
    fake::last_error = read.error;
    return false;
  }
  // A scripted read longer than asked for is delivered over several calls.
  if (read.bytes.size() > size) {
    file.reads.push_front({read.bytes.substr(size)});
    read.bytes.resize(size);
  }
  std::memcpy(buffer, read.bytes.data(), read.bytes.size());
  got = static_cast<uint32_t>(read.bytes.size());
  return true;
}

bool WriteFile(Handle handle, const void* buffer, uint32_t size) {
  fake::File& file = fake::At(handle);
  const int index = static_cast<int>(file.writes.size());
  file.writes.emplace_back(static_cast<const char*>(buffer), size);
  if (auto error = file.write_errors.find(index); error != file.write_errors.end()) {
    fake::last_error = error->second;
    return false;
  }
  return true;
}

bool CloseHandle(Handle handle) {
  auto file = fake::files.find(handle);
  if (file == fake::files.end()) {
    fake::last_error = error::kInvalidHandle;
    return false;
  }
  ++file->second.closes;
  if (file->second.close_error != 0) {
    fake::last_error = file->second.close_error;
    return false;
  }
  return true;
}

void PrepareLargeBlock(void*, std::size_t) {}

}  // namespace platform
