// locked_file_windows.cpp: LockedFile and ReadRegularFile on Windows, through the wide (UTF-16) calls.
//
// What the lock is taken on. Windows refuses to rename a file over one that any handle holds open, so the
// preset itself cannot carry the lock across a replace as it does on POSIX. The lock is LockFileEx on a lock
// file beside the target, ".NAME.lock", which no replace touches. Its holder takes it away when letting go, so
// none stays beside the preset, and it does so by a rename rather than by deleting it under its name:
//  - a holder is a process that has the lock of the file the name ".NAME.lock" leads to, checked after
//    locking: a waiter that gets the lock of a file no longer so named lets go and starts again;
//  - the holder, while it still holds the lock, renames its lock file to a temporary name of the target, marks
//    it for deletion there, then unlocks and closes it.
// Only the holder of a file's lock renames it, so from the check on the name leads to the holder's file until
// the holder lets go: two holders would have to hold the lock of one file at once. This depends on no deletion
// semantics, which differ between Windows and compatibility layers (whether a handle shows a pending deletion,
// whether a doomed name can still be opened, whether it goes with the handle that doomed it or with the last
// one). Deleting the lock file under its own name depends on them all: where the name goes with the handle
// that doomed it, a waiter can check the name just before it goes and a newcomer lock a fresh file just after,
// and both hold "the" lock. A lock file left by a killed holder keeps its name and serves the next one; a
// renamed one left by a holder killed before marking it has the pattern of a temporary file and goes with them.
//
// The preset is opened, without any lock, with FILE_SHARE_DELETE and only for a moment, so readers never block
// a writer's rename for long; the rename is retried for a while when they do.
#include "qenproperties/host/internal/locked_file.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "qenproperties/host/internal/temp_name.h"
#include "qenproperties/host/internal/unique_handle.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

constexpr DWORD kRetryMillis = 5;
constexpr int kPendingRetries = 1000;  // about 5 s for a doomed lock file to go
constexpr int kRenameRetries = 200;    // about 1 s for readers to close the target
constexpr int kMaxTempAttempts = 100;  // fresh temporary names tried when each one exists already
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

struct HandleTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using OwnedHandle = UniqueHandle<HandleTraits>;

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], size, nullptr, nullptr);
  }
  return narrow;
}

// Widen converts a UTF-8 path; false for text that is not UTF-8 (it would name some other file).
bool Widen(const std::string& narrow, std::wstring* wide, std::string* error) {
  wide->clear();
  if (narrow.empty()) {
    *error = "the file name is empty";
    return false;
  }
  const int size =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
  if (size <= 0 || narrow.find('\0') != std::string::npos) {
    *error = "the file name is not valid UTF-8";
    return false;
  }
  wide->resize(static_cast<std::size_t>(size));
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.data(), static_cast<int>(narrow.size()), &(*wide)[0],
                        size);
  return true;
}

// Reason gives the system's sentence for an error code, without its closing period and line break.
std::string Reason(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length != 0 && text != nullptr ? Narrow(std::wstring(text, length)) : std::string();
  if (text != nullptr) ::LocalFree(text);
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason.empty() ? "system error " + std::to_string(code) : reason;
}

bool IsMissing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// OpenExisting opens what a path names, following links, without blocking anyone: for reading when `read`,
// else only to look at it. A directory opens too, to be refused by name rather than as "access denied".
OwnedHandle OpenExisting(const std::wstring& path, bool read) {
  return OwnedHandle(::CreateFileW(path.c_str(), read ? GENERIC_READ : FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// CheckRegular tells whether the open handle is a regular file; else it says what it is.
bool CheckRegular(HANDLE handle, std::string* error) {
  const DWORD type = ::GetFileType(handle);
  if (type == FILE_TYPE_CHAR) {
    *error = NotRegularError("a device");
    return false;
  }
  if (type == FILE_TYPE_PIPE) {
    *error = NotRegularError("a pipe");
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (type != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)) {
    *error = NotRegularError("a special file");
    return false;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *error = NotRegularError("a directory");
    return false;
  }
  return true;
}

// ReadOpenFile reads the regular file open as `handle` from its start, up to `maxBytes`.
bool ReadOpenFile(HANDLE handle, std::size_t maxBytes, std::string* content, std::string* error) {
  if (!CheckRegular(handle, error)) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handle, &size)) {
    *error = Reason(::GetLastError());
    return false;
  }
  const auto read = [handle](char* buffer, std::size_t room, std::string* failure) -> long long {
    DWORD got = 0;
    if (::ReadFile(handle, buffer, static_cast<DWORD>(room), &got, nullptr)) return got;
    *failure = Reason(::GetLastError());
    return -1;
  };
  return ReadBounded(static_cast<unsigned long long>(size.QuadPart), maxBytes, read, content, error);
}

// FinalPath gives the path the system itself uses for an open file or directory: links followed, short names
// and case as stored. Every process thus derives the same lock file name for one preset.
bool FinalPath(HANDLE handle, std::wstring* path, std::string* error) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(handle, &buffer[0], static_cast<DWORD>(buffer.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) {
      *error = Reason(::GetLastError());
      return false;
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      *path = std::move(buffer);
      return true;
    }
    buffer.resize(length + 1);
  }
}

// Join gives the path of `name` in `dir`; a root directory ("C:\\") has its separator already.
std::wstring Join(const std::wstring& dir, const std::wstring& name) {
  return !dir.empty() && (dir.back() == L'\\' || dir.back() == L'/') ? dir + name : dir + L"\\" + name;
}

// Target: where a preset lives once links are followed.
struct Target {
  std::wstring dir;
  std::wstring name;
  std::wstring Path() const { return Join(dir, name); }
};

bool SplitFinal(const std::wstring& path, Target* target) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash + 1 == path.size()) return false;
  target->dir = path.substr(0, slash);
  if (target->dir.empty() || target->dir.back() == L':') target->dir = path.substr(0, slash + 1);  // a root
  target->name = path.substr(slash + 1);
  return true;
}

// Resolve finds the target of a path; *exists tells whether a regular file is there. Anything other than a
// regular file is refused, and so is a link to nothing (replacing it would replace the link).
bool Resolve(const std::string& narrow, Target* target, bool* exists, std::string* error) {
  std::wstring path;
  if (!Widen(narrow, &path, error)) return false;
  OwnedHandle file = OpenExisting(path, false);
  if (file.Valid()) {
    std::wstring final;
    if (!CheckRegular(file.Get(), error) || !FinalPath(file.Get(), &final, error)) return false;
    if (!SplitFinal(final, target)) {
      *error = "cannot find the directory of " + narrow;
      return false;
    }
    *exists = true;
    return true;
  }
  const DWORD code = ::GetLastError();
  if (!IsMissing(code)) {
    *error = Reason(code);
    return false;
  }
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    *error = "it is a link to a file that does not exist";
    return false;
  }
  // Missing: the target is the name in the directory's own final path.
  std::wstring full(MAX_PATH, L'\0');
  wchar_t* namePart = nullptr;
  DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], &namePart);
  if (length >= full.size()) {
    full.resize(length + 1);
    length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], &namePart);
  }
  full.resize(length);
  Target given;
  if (length == 0 || !SplitFinal(full, &given)) {
    *error = "cannot find the directory of " + narrow;
    return false;
  }
  OwnedHandle dir = OpenExisting(given.dir, false);
  std::wstring finalDir;
  if (!dir.Valid()) {
    *error = "cannot open the directory " + Narrow(given.dir) + ": " + Reason(::GetLastError());
    return false;
  }
  if (!FinalPath(dir.Get(), &finalDir, error)) return false;
  target->dir = finalDir;
  target->name = given.name;
  *exists = false;
  return true;
}

// DeletePending tells whether the lock file open as `handle` is marked for deletion: renamed away by a former
// holder, or deleted under its name by a build that let go that way.
bool DeletePending(HANDLE handle) {
  FILE_STANDARD_INFO info{};
  return ::GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof(info)) && info.DeletePending;
}

void RemoveStaleTemps(const Target& target) {
  const std::string name = Narrow(target.name);
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = Join(target.dir, L"." + target.name + L".tmp-*");
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> stale;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsTempNameOf(Narrow(found.cFileName), name)) {
      stale.emplace_back(found.cFileName);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  for (const std::wstring& file : stale) ::DeleteFileW(Join(target.dir, file).c_str());  // a link, not its target
}

// StillNamed tells whether `path` still names the file open as `handle`.
bool StillNamed(HANDLE handle, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION held{};
  BY_HANDLE_FILE_INFORMATION named{};
  const OwnedHandle again = OpenExisting(path, false);
  return again.Valid() && ::GetFileInformationByHandle(handle, &held) &&
         ::GetFileInformationByHandle(again.Get(), &named) && held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

// LockLockFile opens the lock file at `lockPath` (creating it when missing) and waits for its lock.
bool LockLockFile(const std::wstring& lockPath, OwnedHandle* held, std::string* error) {
  for (int pending = 0;;) {
    OwnedHandle lock(::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kShareAll, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!lock.Valid()) {
      const DWORD code = ::GetLastError();
      // A lock file whose deletion is pending (a build that deleted it under its name) cannot be opened until
      // its last handle closes.
      if ((code == ERROR_ACCESS_DENIED || code == ERROR_DELETE_PENDING) && ++pending < kPendingRetries) {
        ::Sleep(kRetryMillis);
        continue;
      }
      *error = "cannot create the lock file " + Narrow(lockPath) + ": " + Reason(code);
      return false;
    }
    OVERLAPPED whole{};
    if (!::LockFileEx(lock.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
      *error = "cannot lock " + Narrow(lockPath) + ": " + Reason(::GetLastError());
      return false;
    }
    // Renamed away by the holder it waited for, or doomed: let go without touching it, and start again. Each
    // time another writer finished, so the bound only stops a file system that never answers the same.
    if (DeletePending(lock.Get()) || !StillNamed(lock.Get(), lockPath)) {
      if (++pending < kPendingRetries) continue;
      *error = "cannot lock " + Narrow(lockPath) + ": it keeps being replaced";
      return false;
    }
    *held = std::move(lock);
    return true;
  }
}

// NtPath gives the native form of a full path (with a drive, the \\?\ prefix or a server share), which a
// rename by handle takes: the Win32 form is not converted there.
std::wstring NtPath(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + path.substr(4);
  if (path.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + path.substr(2);
  return L"\\??\\" + path;
}

// RenameAway gives the held lock file a fresh temporary name of the target in the target's directory. False
// leaves it where it is, which is safe: it then serves the next holder.
bool RenameAway(HANDLE lock, const Target& target) {
  for (int attempt = 0; attempt < kMaxTempAttempts; ++attempt) {
    std::wstring name;
    std::string ignored;
    if (!Widen(NewTempName(Narrow(target.name)), &name, &ignored)) return false;
    // A full path: a bare name is taken relative to the current directory by some implementations, and some
    // refuse a directory handle as the root.
    name = NtPath(Join(target.dir, name));
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->FileName);
    if (::SetFileInformationByHandle(lock, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) return true;
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

}  // namespace

struct LockedFile::State {
  Target target;
  OwnedHandle lock;  // the lock file, locked
  bool exists = false;
};

LockedFile::LockedFile(std::unique_ptr<State> state) : state_(std::move(state)) {}

LockedFile::~LockedFile() {
  if (!state_->lock.Valid()) return;
  // Renamed and marked while the lock is still held, so that the next one to get it knows to start again.
  if (RenameAway(state_->lock.Get(), state_->target)) {
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    ::SetFileInformationByHandle(state_->lock.Get(), FileDispositionInfo, &dispose, sizeof(dispose));
  }
  OVERLAPPED whole{};
  ::UnlockFileEx(state_->lock.Get(), 0, 1, 0, &whole);
}

std::unique_ptr<LockedFile> LockedFile::Acquire(const std::string& path, std::string* error) {
  for (;;) {
    auto state = std::make_unique<State>();
    if (!Resolve(path, &state->target, &state->exists, error)) return nullptr;
    if (!LockLockFile(Join(state->target.dir, L"." + state->target.name + L".lock"), &state->lock, error)) {
      return nullptr;
    }
    auto locked = std::make_unique<LockedFile>(std::move(state));
    // The lock belongs to the target the path led to before the wait; it counts if the path still leads there.
    Target now;
    if (!Resolve(path, &now, &locked->state_->exists, error)) return nullptr;
    if (now.Path() != locked->state_->target.Path()) continue;  // let go (destructor) and lock the new target
    RemoveStaleTemps(now);
    return locked;
  }
}

bool LockedFile::Exists() const { return state_->exists; }

bool LockedFile::Read(std::size_t maxBytes, std::string* content, std::string* error) {
  OwnedHandle file = OpenExisting(state_->target.Path(), true);
  if (!file.Valid()) {
    *error = Reason(::GetLastError());
    return false;
  }
  return ReadOpenFile(file.Get(), maxBytes, content, error);
}

bool LockedFile::Replace(const std::string& content, std::string* error) {
  const Target& target = state_->target;
  const std::wstring path = target.Path();
  const DWORD old = ::GetFileAttributesW(path.c_str());
  const DWORD kept =
      old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes) != 0 ? old & kKeptAttributes : FILE_ATTRIBUTE_NORMAL;

  // CREATE_NEW fails on any existing name, a link included, so nothing is ever written through a link. The file
  // shares nothing while it is written.
  std::wstring tempPath;
  OwnedHandle temp;
  const std::string name = Narrow(target.name);
  for (int attempt = 0; attempt < kMaxTempAttempts && !temp.Valid(); ++attempt) {
    std::wstring tempName;
    if (!Widen(NewTempName(name), &tempName, error)) return false;
    tempPath = Join(target.dir, tempName);
    temp.Reset(::CreateFileW(tempPath.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, kept, nullptr));
    const DWORD code = temp.Valid() ? ERROR_SUCCESS : ::GetLastError();
    if (!temp.Valid() && code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
      *error = "cannot create a file in " + Narrow(target.dir) + ": " + Reason(code);
      return false;
    }
  }
  if (!temp.Valid()) {
    *error = "cannot create a file in " + Narrow(target.dir) + ": every temporary name tried exists";
    return false;
  }

  bool ok = true;
  for (std::size_t done = 0; ok && done < content.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
    DWORD put = 0;
    ok = ::WriteFile(temp.Get(), content.data() + done, chunk, &put, nullptr) != 0;
    if (!ok) *error = "cannot write the temporary file: " + Reason(::GetLastError());
    done += put;
  }
  if (ok && !::FlushFileBuffers(temp.Get())) {
    *error = "cannot flush the temporary file to the disk: " + Reason(::GetLastError());
    ok = false;
  }
  temp.Reset();  // the rename opens it again
  for (int attempt = 0; ok; ++attempt) {
    if (::MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) break;
    const DWORD code = ::GetLastError();
    if ((code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) && attempt < kRenameRetries) {
      ::Sleep(kRetryMillis);  // a reader has the target open for a moment
      continue;
    }
    *error = "cannot rename the temporary file over " + name + ": " + Reason(code);
    ok = false;
  }
  if (!ok) {
    ::DeleteFileW(tempPath.c_str());
    return false;
  }
  state_->exists = true;
  return true;
}

ReadResult ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* content, std::string* error) {
  std::wstring wide;
  if (!Widen(path, &wide, error)) return ReadResult::kFailed;
  OwnedHandle file = OpenExisting(wide, true);
  if (!file.Valid()) {
    const DWORD code = ::GetLastError();
    if (IsMissing(code)) return ReadResult::kMissing;
    *error = Reason(code);
    return ReadResult::kFailed;
  }
  return ReadOpenFile(file.Get(), maxBytes, content, error) ? ReadResult::kRead : ReadResult::kFailed;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
