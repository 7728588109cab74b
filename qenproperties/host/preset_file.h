// preset_file.h: reading files with a size cap, and preset files that several processes change without losing
// an update.
//
//   std::string error;
//   std::unique_ptr<host::PresetFile> file = host::PresetFile::Open("p.json", &error);  // waits for the lock
//   if (!file) ... error ...
//   std::string next = Change(file->Exists() ? file->Text() : "");
//   if (!file->Replace(next, &error)) ... the file is as it was ...
//   // the lock is released when `file` is destroyed
//
// A preset file is only ever replaced whole, by renaming a complete temporary file over it. A reader that does
// not change it (ReadBoundedFile, ReadBoundedFileIfExists) therefore sees one whole version without taking the
// lock: it needs no write access and never waits for a writer. Only read-modify-write needs the lock.
//
// Paths are UTF-8. On Windows they are used as UTF-16 through the wide system calls, so any file name works.
#ifndef QENPROPERTIES_HOST_PRESET_FILE_H_
#define QENPROPERTIES_HOST_PRESET_FILE_H_

#include <cstddef>
#include <memory>
#include <string>

#include "qenproperties/host/host_export.h"

namespace Quenneth {
namespace host {

namespace detail {
class LockedFile;
}  // namespace detail

// kDefaultMaxFileBytes: the largest file the readers below accept unless told otherwise.
constexpr std::size_t kDefaultMaxFileBytes = 64u << 20;

// ReadBoundedFile reads a whole regular file (a symbolic link to a regular file is followed) into `content`.
// It returns false with a sentence in `error` for a file that cannot be opened (the system's reason), for
// anything that is not a regular file (a directory, FIFO, device or socket: it never blocks on a FIFO nor
// reads a device endlessly) and for a file larger than `maxBytes` ("it is larger than the 64 MiB limit").
QEN_HOST_API bool ReadBoundedFile(const std::string& path, std::string* content, std::string* error,
                                  std::size_t maxBytes = kDefaultMaxFileBytes);

// ReadBoundedFileIfExists is ReadBoundedFile for a file that may not exist yet: a missing file (or a link to
// a missing file) is no error; it returns true with *exists false and `content` empty.
QEN_HOST_API bool ReadBoundedFileIfExists(const std::string& path, std::string* content, bool* exists,
                                          std::string* error, std::size_t maxBytes = kDefaultMaxFileBytes);

// PresetFile: a preset file held under an exclusive advisory lock from Open until it is destroyed, so several
// processes (or threads) that read, change and write back one preset serialize and no update is lost. The lock
// belongs to the file the path names (after following a symbolic link) and follows it across Replace.
//
// Every writer of a preset must go through PresetFile or WriteFileAtomically. Taking the lock on a file that
// this process already holds waits forever, as it would for another process. Not thread-safe: one thread uses
// one PresetFile at a time.
class QEN_HOST_API PresetFile {
 public:
  // Open waits for the lock, removes temporary files that a killed writer of this preset left behind, then
  // reads the file (bounded as ReadBoundedFile). A missing file is not an error: Exists() is false and Text()
  // is empty. Returns null with `error` set when the file cannot be locked or read, or is not a regular file.
  static std::unique_ptr<PresetFile> Open(const std::string& path, std::string* error,
                                          std::size_t maxBytes = kDefaultMaxFileBytes);

  PresetFile(const PresetFile&) = delete;
  PresetFile& operator=(const PresetFile&) = delete;
  ~PresetFile();  // releases the lock

  // Exists tells whether the file existed when it was read (or has been written by Replace since).
  bool Exists() const;
  // Text is the content as read under the lock, or as last written by Replace.
  const std::string& Text() const;

  // Replace writes `content` atomically while the lock is held: a uniquely named temporary file in the
  // target's directory (created exclusively, never through a link), written, flushed to the disk, renamed over
  // the target, and the directory flushed. A symlinked preset keeps its link (the link's target is replaced).
  // The file mode is kept; a new file gets 0666 less the umask. On Windows the file attributes are kept and
  // the new file's access rights are those its directory gives. On failure the temporary file is removed, the
  // file is as it was, `error` says why, and it returns false. Replace may be called again.
  bool Replace(const std::string& content, std::string* error);

 private:
  explicit PresetFile(std::unique_ptr<detail::LockedFile> lock);

  std::unique_ptr<detail::LockedFile> lock_;
  std::string text_;
  bool exists_ = false;
};

// WriteFileAtomically replaces `path` as PresetFile::Replace does, taking the lock before and releasing it
// after. A path that names a directory, FIFO, device or socket is refused.
QEN_HOST_API bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* error);

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PRESET_FILE_H_
