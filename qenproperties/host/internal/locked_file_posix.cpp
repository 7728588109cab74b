// locked_file_posix.cpp: LockedFile and ReadRegularFile on POSIX systems.
//
// What the lock is taken on. The lock is flock() on the preset file itself, so nothing is created beside the
// preset for it and, flock needing no write access, taking it needs none either. A rename gives the path a new
// file, so a lock on the old file alone would let a second writer in. Two rules keep one writer at a time:
//  - a writer locks its temporary file before renaming it over the target: the path never names an unlocked
//    file while a writer holds the lock, and the lock moves with the content;
//  - a waiter that gets the lock checks that the path still names the file it locked; when a writer replaced
//    it meanwhile, the waiter lets go and waits for the new file instead.
// While the target does not exist there is no file to lock, so the lock is taken on its directory, and the
// holder checks after locking that the target is still missing (else it lets go and locks the file). A holder
// that creates the target locks the new file before renaming it in, so it never overlaps a later writer. This
// serializes the creation of different presets in one directory, for as long as a creation takes.
//
// Stale temporary files. Temporary files are only created by a holder of the lock, and each holder renames or
// removes its own before it lets go. One that is still there when the lock is next taken therefore belongs to a
// writer that was killed, and the new holder removes it (only names of the exact pattern for this target).
#include "qenproperties/host/internal/locked_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "qenproperties/host/internal/temp_name.h"
#include "qenproperties/host/internal/unique_handle.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

constexpr int kMaxLinks = 40;          // symbolic links followed before giving up, as the kernel does
constexpr int kMaxTempAttempts = 100;  // fresh temporary names tried when each one exists already

struct FdTraits {
  using Handle = int;
  static int Invalid() { return -1; }
  static void Close(int fd) { ::close(fd); }
};
using UniqueFd = UniqueHandle<FdTraits>;

std::string Reason(int code) { return std::strerror(code); }

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "a special file";
}

// ReadOpenFile reads the file open as `fd` from its start, when it is a regular file of at most `maxBytes`.
bool ReadOpenFile(int fd, std::size_t maxBytes, std::string* content, std::string* error) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    *error = Reason(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = NotRegularError(KindOf(info.st_mode));
    return false;
  }
  off_t offset = 0;
  const auto read = [fd, &offset](char* buffer, std::size_t size, std::string* failure) -> long long {
    for (;;) {
      const ssize_t got = ::pread(fd, buffer, size, offset);
      if (got >= 0) {
        offset += got;
        return got;
      }
      if (errno != EINTR) {
        *failure = Reason(errno);
        return -1;
      }
    }
  };
  return ReadBounded(static_cast<unsigned long long>(info.st_size), maxBytes, read, content, error);
}

bool WriteAll(int fd, const std::string& content, std::string* error) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t put = ::write(fd, content.data() + done, content.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      *error = "cannot write the temporary file: " + Reason(errno);
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// Target: where a path's file lives once links are followed, as the directory and the name in it.
struct Target {
  std::string dir;
  std::string name;
  bool operator==(const Target& other) const { return dir == other.dir && name == other.name; }
};

bool Split(const std::string& path, Target* target, std::string* error) {
  const std::size_t slash = path.rfind('/');
  target->name = slash == std::string::npos ? path : path.substr(slash + 1);
  target->dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (target->name.empty() || target->name == "." || target->name == "..") {
    *error = path.empty() ? "the file name is empty" : NotRegularError("a directory");
    return false;
  }
  return true;
}

// Resolve follows the symbolic links of the path's last component, so a symlinked preset is replaced where its
// link points and keeps its link. A link to nothing gives the place it points to: the file is created there.
bool Resolve(const std::string& path, Target* target, std::string* error) {
  std::string current = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    if (!Split(current, target, error)) return false;
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno == ENOENT) return true;  // a missing directory shows when it is opened
      *error = Reason(errno);
      return false;
    }
    if (!S_ISLNK(info.st_mode)) return true;
    std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    ssize_t length;
    while ((length = ::readlink(current.c_str(), &link[0], link.size())) == static_cast<ssize_t>(link.size())) {
      link.resize(link.size() * 2);  // the link grew since lstat
    }
    if (length < 0) {
      *error = Reason(errno);
      return false;
    }
    link.resize(static_cast<std::size_t>(length));
    current = !link.empty() && link[0] == '/' ? link : target->dir + "/" + link;
  }
  *error = Reason(ELOOP);
  return false;
}

// OpenFailure words why `path` could not be opened, given the open's errno.
std::string OpenFailure(const std::string& path, int code) {
  struct stat info {};
  if (code == ENXIO && ::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) return NotRegularError("a socket");
  return Reason(code);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool LockWait(int fd, const std::string& what, std::string* error) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      *error = "cannot lock " + what + ": " + Reason(errno);
      return false;
    }
  }
  return true;
}

// StillNames tells whether `path` still leads to `target` and `target` is the file open as `fd`.
bool StillNames(const std::string& path, const Target& target, int dir, int fd) {
  Target now;
  std::string ignored;
  struct stat named {};
  struct stat locked {};
  return Resolve(path, &now, &ignored) && now == target &&
         ::fstatat(dir, target.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &locked) == 0 &&
         SameFile(named, locked);
}

// StillMissing tells whether `path` still leads to `target` and nothing is there.
bool StillMissing(const std::string& path, const Target& target, int dir) {
  Target now;
  std::string ignored;
  struct stat named {};
  return Resolve(path, &now, &ignored) && now == target &&
         ::fstatat(dir, target.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
}

}  // namespace

struct LockedFile::State {
  Target target;
  UniqueFd dir;            // the target's directory: where temporary files are made, renamed and flushed
  UniqueFd file;           // the target, locked, when it exists
  bool dirLocked = false;  // the lock on the target's absence is held on `dir`
};

LockedFile::LockedFile(std::unique_ptr<State> state) : state_(std::move(state)) {}

LockedFile::~LockedFile() = default;

std::unique_ptr<LockedFile> LockedFile::Acquire(const std::string& path, std::string* error) {
  auto state = std::make_unique<State>();
  for (;;) {
    Target target;
    if (!Resolve(path, &target, error)) return nullptr;
    UniqueFd dir(::open(target.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid()) {
      *error = "cannot open the directory " + target.dir + ": " + Reason(errno);
      return nullptr;
    }
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    UniqueFd file(::openat(dir.Get(), target.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.Valid()) {
      struct stat info {};
      if (::fstat(file.Get(), &info) != 0) {
        *error = Reason(errno);
        return nullptr;
      }
      if (!S_ISREG(info.st_mode)) {
        *error = NotRegularError(KindOf(info.st_mode));
        return nullptr;
      }
      if (!LockWait(file.Get(), "the file", error)) return nullptr;
      if (!StillNames(path, target, dir.Get(), file.Get())) continue;  // replaced while waiting: lock the new one
      state->file = std::move(file);
    } else if (errno == ELOOP) {
      continue;  // it became a link after it was resolved: resolve again
    } else if (errno != ENOENT) {
      *error = OpenFailure(target.dir + "/" + target.name, errno);
      return nullptr;
    } else {
      if (!LockWait(dir.Get(), "the directory " + target.dir, error)) return nullptr;
      if (!StillMissing(path, target, dir.Get())) continue;  // created while waiting: lock the file
      state->dirLocked = true;
    }
    state->target = std::move(target);
    state->dir = std::move(dir);
    break;
  }

  // Under the lock, every temporary file of this target is a killed writer's.
  UniqueFd listing(::openat(state->dir.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (DIR* entries = listing.Valid() ? ::fdopendir(listing.Get()) : nullptr) {
    listing.Release();  // the stream owns it now
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(entries)) {
      if (IsTempNameOf(entry->d_name, state->target.name)) stale.emplace_back(entry->d_name);
    }
    ::closedir(entries);
    // A directory of such a name stays (unlinkat refuses it); a link goes, never what it points to.
    for (const std::string& name : stale) ::unlinkat(state->dir.Get(), name.c_str(), 0);
  }
  return std::make_unique<LockedFile>(std::move(state));
}

bool LockedFile::Exists() const { return state_->file.Valid(); }

bool LockedFile::Read(std::size_t maxBytes, std::string* content, std::string* error) {
  return ReadOpenFile(state_->file.Get(), maxBytes, content, error);
}

bool LockedFile::Replace(const std::string& content, std::string* error) {
  State& s = *state_;
  struct stat old {};
  const bool existed = s.file.Valid();
  if (existed && ::fstat(s.file.Get(), &old) != 0) {
    *error = Reason(errno);
    return false;
  }

  // O_EXCL with O_CREAT never follows a link, not even a dangling one planted at the name; a name that exists
  // is simply not ours. An existing preset's content is never readable by more users than its mode allows: the
  // file starts as 0600 and gets the old mode before anything is written. A new one gets 0666 less the umask.
  std::string tempName;
  UniqueFd temp;
  for (int attempt = 0; attempt < kMaxTempAttempts && !temp.Valid(); ++attempt) {
    tempName = NewTempName(s.target.name);
    temp.Reset(::openat(s.dir.Get(), tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        existed ? 0600 : 0666));
    if (!temp.Valid() && errno != EEXIST) {
      *error = "cannot create a file in " + s.target.dir + ": " + Reason(errno);
      return false;
    }
  }
  if (!temp.Valid()) {
    *error = "cannot create a file in " + s.target.dir + ": every temporary name tried exists";
    return false;
  }

  bool ok = true;
  if (existed) {
    // Keeping the owner works only for a privileged writer and is no failure otherwise. It comes first:
    // a change of owner clears the set-ID bits that fchmod then restores.
    [[maybe_unused]] const bool ownerKept = ::fchown(temp.Get(), old.st_uid, old.st_gid) == 0;
    if (::fchmod(temp.Get(), old.st_mode & 07777) != 0) {
      *error = "cannot give the temporary file the preset's mode: " + Reason(errno);
      ok = false;
    }
  }
  if (ok && ::flock(temp.Get(), LOCK_EX | LOCK_NB) != 0) {
    *error = "cannot lock the temporary file: " + Reason(errno);
    ok = false;
  }
  ok = ok && WriteAll(temp.Get(), content, error);
  if (ok && ::fsync(temp.Get()) != 0) {
    *error = "cannot flush the temporary file to the disk: " + Reason(errno);
    ok = false;
  }
  if (ok && ::renameat(s.dir.Get(), tempName.c_str(), s.dir.Get(), s.target.name.c_str()) != 0) {
    *error = "cannot rename the temporary file over " + s.target.name + ": " + Reason(errno);
    ok = false;
  }
  if (!ok) {
    ::unlinkat(s.dir.Get(), tempName.c_str(), 0);
    return false;
  }

  s.file = std::move(temp);  // the lock on the old file goes; the new file's, taken above, stays
  if (s.dirLocked) {
    ::flock(s.dir.Get(), LOCK_UN);  // the target exists now and its own lock is held
    s.dirLocked = false;
  }
  // Some file systems cannot flush a directory (EINVAL); the rename is then as durable as they make it.
  if (::fsync(s.dir.Get()) != 0 && errno != EINVAL) {
    *error = "the file is replaced, but its directory could not be flushed to the disk: " + Reason(errno);
    return false;
  }
  return true;
}

ReadResult ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* content, std::string* error) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused once open.
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!file.Valid()) {
    if (errno == ENOENT) return ReadResult::kMissing;
    *error = OpenFailure(path, errno);
    return ReadResult::kFailed;
  }
  return ReadOpenFile(file.Get(), maxBytes, content, error) ? ReadResult::kRead : ReadResult::kFailed;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
