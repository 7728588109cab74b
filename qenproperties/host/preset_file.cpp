#include "qenproperties/host/preset_file.h"

#include "qenproperties/host/internal/locked_file.h"

namespace Quenneth {
namespace host {

bool ReadBoundedFile(const std::string& path, std::string* content, std::string* error, std::size_t maxBytes) {
  switch (detail::ReadRegularFile(path, maxBytes, content, error)) {
    case detail::ReadResult::kRead: return true;
    case detail::ReadResult::kMissing: *error = "No such file or directory"; return false;
    case detail::ReadResult::kFailed: return false;
  }
  return false;
}

bool ReadBoundedFileIfExists(const std::string& path, std::string* content, bool* exists, std::string* error,
                             std::size_t maxBytes) {
  const detail::ReadResult result = detail::ReadRegularFile(path, maxBytes, content, error);
  *exists = result == detail::ReadResult::kRead;
  if (result == detail::ReadResult::kMissing) content->clear();
  return result != detail::ReadResult::kFailed;
}

PresetFile::PresetFile(std::unique_ptr<detail::LockedFile> lock) : lock_(std::move(lock)) {}

PresetFile::~PresetFile() = default;

std::unique_ptr<PresetFile> PresetFile::Open(const std::string& path, std::string* error, std::size_t maxBytes) {
  std::unique_ptr<detail::LockedFile> lock = detail::LockedFile::Acquire(path, error);
  if (!lock) return nullptr;
  std::unique_ptr<PresetFile> file(new PresetFile(std::move(lock)));
  file->exists_ = file->lock_->Exists();
  if (file->exists_ && !file->lock_->Read(maxBytes, &file->text_, error)) return nullptr;
  return file;
}

bool PresetFile::Exists() const { return exists_; }

const std::string& PresetFile::Text() const { return text_; }

bool PresetFile::Replace(const std::string& content, std::string* error) {
  if (!lock_->Replace(content, error)) return false;
  text_ = content;
  exists_ = true;
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* error) {
  const std::unique_ptr<detail::LockedFile> lock = detail::LockedFile::Acquire(path, error);
  return lock && lock->Replace(content, error);
}

}  // namespace host
}  // namespace Quenneth
