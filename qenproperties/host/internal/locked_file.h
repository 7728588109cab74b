// locked_file.h: the platform layer under PresetFile: a file held under an exclusive lock and replaced whole,
// and bounded reading of regular files. locked_file_posix.cpp and locked_file_windows.cpp implement it; the
// build picks one.
#ifndef QENPROPERTIES_HOST_INTERNAL_LOCKED_FILE_H_
#define QENPROPERTIES_HOST_INTERNAL_LOCKED_FILE_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace Quenneth {
namespace host {
namespace detail {

// LockedFile: the exclusive lock on the file a path names (after following symbolic links in its last
// component), or, while no such file exists, on its absence. Each platform file says what the lock is taken on
// and why that serializes writers across a Replace.
class LockedFile {
 public:
  struct State;  // the platform's handles

  // Acquire waits for the lock and removes temporary files of this target that a killed writer left behind.
  // Returns null with `error` set when the path cannot be locked, or names something other than a regular file.
  static std::unique_ptr<LockedFile> Acquire(const std::string& path, std::string* error);

  explicit LockedFile(std::unique_ptr<State> state);
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  ~LockedFile();  // releases the lock

  // Exists tells whether the locked target exists (it does after a successful Replace).
  bool Exists() const;
  // Read reads the locked target whole, refusing more than `maxBytes`. Only when Exists().
  bool Read(std::size_t maxBytes, std::string* content, std::string* error);
  // Replace writes `content` to a new temporary file beside the target and renames it over the target; the
  // lock stays held. On failure the temporary file is gone and the target is as it was.
  bool Replace(const std::string& content, std::string* error);

 private:
  std::unique_ptr<State> state_;
};

// ReadResult: what ReadRegularFile found.
enum class ReadResult { kRead, kMissing, kFailed };

// ReadRegularFile reads the whole regular file at `path` without locking it, refusing anything else and more
// than `maxBytes`. kMissing when nothing is at the path (or a link points to nothing); kFailed sets `error`.
ReadResult ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* content, std::string* error);

// ChunkReader reads the next at most `size` bytes of a file into `buffer`: it returns how many (0 at the end),
// or -1 with `error` set.
using ChunkReader = std::function<long long(char* buffer, std::size_t size, std::string* error)>;

// ReadBounded reads a whole file through `read`, given the size the system reports for it. More than
// `maxBytes` is refused before reading and again while reading, as the file may grow in between. `content` is
// set only on success.
bool ReadBounded(unsigned long long size, std::size_t maxBytes, const ChunkReader& read, std::string* content,
                 std::string* error);

// The sentences both platforms give.
// TooLargeError: "it is larger than the 64 MiB limit".
std::string TooLargeError(std::size_t maxBytes);
// NotRegularError: "it is a directory, not a regular file", for `what` = "a directory".
std::string NotRegularError(const char* what);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_LOCKED_FILE_H_
