// The file layer on Windows: UTF-16 file names, devices and pipes, attributes, links, and the lock file that
// goes with its holder.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "qenproperties/host/preset_file.h"
#include "qenproperties/host/preset_file_test.h"

namespace Quenneth {
namespace host {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using WindowsFilesTest = ScratchDirTest;

TEST_F(WindowsFilesTest, NamesBeyondAsciiWorkEverywhere) {
  // "Préréglages 日本" / "ünïcödé 🎛.json": Latin, CJK and a character outside the BMP (a UTF-16 pair).
  const std::string folder = "Pr\xC3\xA9r\xC3\xA9glages \xE6\x97\xA5\xE6\x9C\xAC";
  const std::string name =
      "\xC3\xBCn\xC3\xAF"
      "c\xC3\xB6"
      "d\xC3\xA9 \xF0\x9F\x8E\x9B.json";
  fs::create_directory(dir_ / fs::u8path(folder));
  const std::string path = PathOf(folder + "/" + name);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "one", &error)) << error;
  EXPECT_TRUE(fs::exists(dir_ / fs::u8path(folder) / fs::u8path(name)));
  std::string content;
  ASSERT_TRUE(ReadBoundedFile(path, &content, &error)) << error;
  EXPECT_EQ(content, "one");
  {
    const auto file = PresetFile::Open(path, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Text(), "one");
    ASSERT_TRUE(file->Replace("two", &error)) << error;
  }
  EXPECT_EQ(Get(path), "two");
  EXPECT_THAT(Names(folder), ElementsAre(name));
}

TEST_F(WindowsFilesTest, RefusesANameThatIsNotUtf8) {
  const std::string dir = dir_.u8string() + "\\";
  std::string content;
  std::string error;
  EXPECT_FALSE(ReadBoundedFile(dir + "bad\xC0\x80.json", &content, &error));  // an overlong NUL
  EXPECT_EQ(error, "the file name is not valid UTF-8");
  EXPECT_FALSE(WriteFileAtomically(dir + "bad\xFF.json", "x", &error));
  EXPECT_EQ(error, "the file name is not valid UTF-8");
  EXPECT_FALSE(PresetFile::Open(dir + std::string("bad\0.json", 9), &error));
  EXPECT_EQ(error, "the file name is not valid UTF-8");
}

TEST_F(WindowsFilesTest, RefusesDevicesAndPipesWithoutWaiting) {
  const std::wstring pipeName = L"\\\\.\\pipe\\qen-files-" + std::to_wstring(::GetCurrentProcessId());
  const HANDLE server =
      ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const std::string pipe = "\\\\.\\pipe\\qen-files-" + std::to_string(::GetCurrentProcessId());

  const auto start = std::chrono::steady_clock::now();
  std::string content = "kept";
  std::string error;
  EXPECT_FALSE(ReadBoundedFile(pipe, &content, &error));
  EXPECT_EQ(error, "it is a pipe, not a regular file");
  EXPECT_FALSE(ReadBoundedFile("NUL", &content, &error));
  EXPECT_EQ(error, "it is a device, not a regular file");
  EXPECT_FALSE(WriteFileAtomically("NUL", "x", &error));
  EXPECT_EQ(error, "it is a device, not a regular file");
  EXPECT_EQ(content, "kept");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ::CloseHandle(server);
}

TEST_F(WindowsFilesTest, KeepsTheAttributesOfAPreset) {
  const std::string path = PathOf("p.json");
  Put(path, "old");
  const std::wstring wide = (dir_ / "p.json").wstring();
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "new", &error)) << error;
  EXPECT_NE(::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Get(path), "new");
}

TEST_F(WindowsFilesTest, TheLockFileGoesWithItsHolderAndALeftOverOneWithTheNext) {
  const std::string path = PathOf("p.json");
  std::string error;
  {
    const auto file = PresetFile::Open(path, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_THAT(Names(), ElementsAre(".p.json.lock"));
    ASSERT_TRUE(file->Replace("one", &error)) << error;
  }
  EXPECT_THAT(Names(), ElementsAre("p.json"));

  Put(PathOf(".p.json.lock"), "");  // as a killed holder leaves it
  {
    const auto file = PresetFile::Open(path, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Text(), "one");
  }
  EXPECT_THAT(Names(), ElementsAre("p.json"));
}

// FileId identifies the file open as `handle` on its volume.
std::pair<DWORD, ULONGLONG> FileId(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  EXPECT_TRUE(::GetFileInformationByHandle(handle, &info));
  return {info.dwVolumeSerialNumber, (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

TEST_F(WindowsFilesTest, AWaiterLeftWithTheLockOfAReleasedLockFileHoldsNothing) {
  // A waiter opened the lock file and is still waiting when its holder lets go. However long its handle keeps
  // that file alive, the next writer must not find the lock there, or the waiter would get the lock as well.
  const std::string path = PathOf("p.json");
  const std::wstring lockName = (dir_ / ".p.json.lock").wstring();
  std::string error;
  auto holder = PresetFile::Open(path, &error);
  ASSERT_TRUE(holder) << error;
  const HANDLE waiter =
      ::CreateFileW(lockName.c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(waiter, INVALID_HANDLE_VALUE);
  const auto released = FileId(waiter);
  holder.reset();
  // Renamed beside the preset (not into the current directory), kept only by the waiter's handle.
  const std::vector<std::string> kept = Names();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].rfind(".p.json.tmp-", 0), 0u) << kept[0];
  OVERLAPPED whole{};
  ASSERT_TRUE(::LockFileEx(waiter, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole));

  // The next writer must not wait for the waiter: when it does, the waiter lets go after a while so that the
  // test ends.
  std::unique_ptr<PresetFile> next;
  std::atomic<bool> returned{false};
  std::thread writer([&] {
    next = PresetFile::Open(path, &error);
    returned = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!returned && std::chrono::steady_clock::now() < deadline) ::Sleep(10);
  const bool waited = !returned;
  ::UnlockFileEx(waiter, 0, 1, 0, &whole);
  writer.join();
  EXPECT_FALSE(waited) << "the next writer waited for the lock of the released lock file";
  ASSERT_TRUE(next) << error;
  const HANDLE current =
      ::CreateFileW(lockName.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(current, INVALID_HANDLE_VALUE);
  EXPECT_NE(FileId(current), released);
  ::CloseHandle(current);
  ::CloseHandle(waiter);
  next.reset();
  EXPECT_THAT(Names(), ::testing::IsEmpty());
}

// The child's part of the test below: run with QEN_INCREMENT_FILE set, it counts up the number in that file
// QEN_INCREMENT_TIMES times, each time under the lock.
TEST(WindowsFilesChild, Increment) {
  wchar_t path[MAX_PATH] = {};
  wchar_t times[16] = {};
  if (::GetEnvironmentVariableW(L"QEN_INCREMENT_FILE", path, MAX_PATH) == 0 ||
      ::GetEnvironmentVariableW(L"QEN_INCREMENT_TIMES", times, 16) == 0) {
    GTEST_SKIP() << "only run as a child of ProcessesCountingInOneFileLoseNothing";
  }
  const std::string file = fs::path(path).u8string();
  for (int i = 0; i < std::stoi(times); ++i) {
    std::string error;
    const auto counter = PresetFile::Open(file, &error);
    ASSERT_TRUE(counter) << error;
    ASSERT_TRUE(counter->Replace(std::to_string(std::stoi(counter->Text()) + 1), &error)) << error;
  }
}

TEST_F(WindowsFilesTest, ProcessesCountingInOneFileLoseNothing) {
  // Enough processes that several wait on each lock file when its holder lets go.
  constexpr int kChildren = 10;
  constexpr int kTimes = 10;
  const std::string path = PathOf("counter");
  Put(path, "0");
  wchar_t self[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  ::SetEnvironmentVariableW(L"QEN_INCREMENT_FILE", (dir_ / "counter").wstring().c_str());
  ::SetEnvironmentVariableW(L"QEN_INCREMENT_TIMES", std::to_wstring(kTimes).c_str());
  std::vector<PROCESS_INFORMATION> children;
  for (int i = 0; i < kChildren; ++i) {
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=WindowsFilesChild.Increment";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    children.push_back(child);
  }
  ::SetEnvironmentVariableW(L"QEN_INCREMENT_FILE", nullptr);
  ::SetEnvironmentVariableW(L"QEN_INCREMENT_TIMES", nullptr);
  for (const PROCESS_INFORMATION& child : children) {
    EXPECT_EQ(::WaitForSingleObject(child.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(code, 0u);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
  }
  EXPECT_EQ(Get(path), std::to_string(kChildren * kTimes));
  EXPECT_THAT(Names(), ElementsAre("counter"));
}

TEST_F(WindowsFilesTest, ALinkedPresetKeepsItsLink) {
  fs::create_directory(dir_ / "real");
  Put(PathOf("real/target.json"), "old");
  const std::wstring link = (dir_ / "p.json").wstring();
  const std::wstring target = (dir_ / "real" / "target.json").wstring();
  if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
      !fs::is_symlink(dir_ / "p.json")) {
    GTEST_SKIP() << "this system makes no links, or not for this user";  // Wine 8 reports success, makes none
  }
  std::string error;
  {
    const auto file = PresetFile::Open(PathOf("p.json"), &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Text(), "old");
    ASSERT_TRUE(file->Replace("new", &error)) << error;
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "p.json"));
  EXPECT_EQ(Get(PathOf("real/target.json")), "new");
  EXPECT_THAT(Names("real"), ElementsAre("target.json"));
}

}  // namespace
}  // namespace testing
}  // namespace host
}  // namespace Quenneth
