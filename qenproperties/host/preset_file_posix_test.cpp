// The file layer on POSIX systems: special files, links, modes, and writes that fail half way.
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "qenproperties/host/internal/temp_name.h"
#include "qenproperties/host/preset_file.h"
#include "qenproperties/host/preset_file_test.h"

namespace Quenneth {
namespace host {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using PosixFilesTest = ScratchDirTest;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

std::string LinkOf(const std::string& path) {
  std::error_code ec;
  return fs::read_symlink(path, ec).string();
}

TEST_F(PosixFilesTest, RefusesFifosDevicesAndSocketsWithoutWaiting) {
  const std::string fifo = PathOf("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = PathOf("sock");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

  const auto start = std::chrono::steady_clock::now();
  std::string content = "kept";
  std::string error;
  EXPECT_FALSE(ReadBoundedFile(fifo, &content, &error));
  EXPECT_EQ(error, "it is a FIFO, not a regular file");
  EXPECT_FALSE(PresetFile::Open(fifo, &error));
  EXPECT_EQ(error, "it is a FIFO, not a regular file");
  EXPECT_FALSE(WriteFileAtomically(fifo, "text", &error));
  EXPECT_EQ(error, "it is a FIFO, not a regular file");
  EXPECT_TRUE(S_ISFIFO(ModeOf(fifo))) << "the FIFO was replaced";

  EXPECT_FALSE(ReadBoundedFile("/dev/zero", &content, &error));
  EXPECT_EQ(error, "it is a device, not a regular file");
  EXPECT_FALSE(PresetFile::Open("/dev/zero", &error));
  EXPECT_EQ(error, "it is a device, not a regular file");

  EXPECT_FALSE(ReadBoundedFile(socketPath, &content, &error));
  EXPECT_EQ(error, "it is a socket, not a regular file");
  EXPECT_FALSE(PresetFile::Open(socketPath, &error));
  EXPECT_EQ(error, "it is a socket, not a regular file");
  ::close(listener);

  EXPECT_EQ(content, "kept");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(PosixFilesTest, ASymlinkedPresetKeepsItsLinkAndItsTargetIsReplaced) {
  fs::create_directory(dir_ / "real");
  Put(PathOf("real/target.json"), "old");
  fs::create_symlink("real/target.json", dir_ / "p.json");
  fs::create_symlink("p.json", dir_ / "chain.json");
  std::string error;
  {
    const auto file = PresetFile::Open(PathOf("p.json"), &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Text(), "old");
    ASSERT_TRUE(file->Replace("new", &error)) << error;
  }
  EXPECT_EQ(LinkOf(PathOf("p.json")), "real/target.json");
  EXPECT_EQ(Get(PathOf("real/target.json")), "new");

  ASSERT_TRUE(WriteFileAtomically(PathOf("chain.json"), "newer", &error)) << error;
  EXPECT_EQ(LinkOf(PathOf("chain.json")), "p.json");
  EXPECT_EQ(LinkOf(PathOf("p.json")), "real/target.json");
  EXPECT_EQ(Get(PathOf("real/target.json")), "newer");
  EXPECT_THAT(Names(), ElementsAre("chain.json", "p.json", "real"));
  EXPECT_THAT(Names("real"), ElementsAre("target.json"));

  // A link to nothing yet: the file is created where it points.
  fs::create_symlink("real/later.json", dir_ / "later-link.json");
  {
    const auto file = PresetFile::Open(PathOf("later-link.json"), &error);
    ASSERT_TRUE(file) << error;
    EXPECT_FALSE(file->Exists());
    ASSERT_TRUE(file->Replace("created", &error)) << error;
  }
  EXPECT_EQ(LinkOf(PathOf("later-link.json")), "real/later.json");
  EXPECT_EQ(Get(PathOf("real/later.json")), "created");

  fs::create_symlink("loop-b", dir_ / "loop-a");
  fs::create_symlink("loop-a", dir_ / "loop-b");
  EXPECT_FALSE(PresetFile::Open(PathOf("loop-a"), &error));
  EXPECT_EQ(error, std::strerror(ELOOP));
}

TEST_F(PosixFilesTest, KeepsTheModeOfAPresetAndGivesANewOneTheUmask) {
  std::string error;
  for (const mode_t mode : {0600, 0640, 0604, 0755, 0444}) {
    const std::string path = PathOf("mode-" + std::to_string(mode));
    Put(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new", &error)) << error;
    EXPECT_EQ(ModeOf(path) & 07777, mode);
    EXPECT_EQ(Get(path), "new");
  }
  const mode_t saved = ::umask(027);
  ASSERT_TRUE(WriteFileAtomically(PathOf("new-027"), "x", &error)) << error;
  ::umask(077);
  ASSERT_TRUE(WriteFileAtomically(PathOf("new-077"), "x", &error)) << error;
  ::umask(saved);
  EXPECT_EQ(ModeOf(PathOf("new-027")) & 07777, 0640u);
  EXPECT_EQ(ModeOf(PathOf("new-077")) & 07777, 0600u);
}

std::atomic<std::uint64_t> nextRandom{0};
std::uint64_t Sequence() { return nextRandom++; }

TEST_F(PosixFilesTest, NeverWritesThroughALinkPlantedAtTheTemporaryName) {
  Put(PathOf("victim"), "precious");
  Put(PathOf("p.json"), "old");
  const auto previous = detail::SetTempRandomSourceForTesting(Sequence);
  nextRandom = 0;
  const std::string first = detail::NewTempName("p.json");
  const std::string second = detail::NewTempName("p.json");
  nextRandom = 0;

  std::string error;
  {
    const auto file = PresetFile::Open(PathOf("p.json"), &error);
    ASSERT_TRUE(file) << error;
    // Planted after the holder looked for leftovers, at the very names it tries first.
    fs::create_symlink("victim", dir_ / first);
    fs::create_symlink("made-through-a-link", dir_ / second);
    ASSERT_TRUE(file->Replace("new", &error)) << error;
  }
  detail::SetTempRandomSourceForTesting(previous);
  EXPECT_EQ(Get(PathOf("victim")), "precious");
  EXPECT_FALSE(fs::exists(dir_ / "made-through-a-link"));
  EXPECT_EQ(Get(PathOf("p.json")), "new");
  EXPECT_FALSE(fs::is_symlink(dir_ / "p.json"));
  EXPECT_TRUE(fs::is_symlink(dir_ / first));

  // Links of the pattern are leftovers to the next holder: the links go, what they point to stays.
  ASSERT_TRUE(PresetFile::Open(PathOf("p.json"), &error)) << error;
  EXPECT_THAT(Names(), ElementsAre("p.json", "victim"));
  EXPECT_EQ(Get(PathOf("victim")), "precious");
}

// FileSizeLimit lowers this process's file size limit while it lives: a write past it fails with EFBIG, as
// on a full disk (the signal that would stop the process is ignored meanwhile).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    handler_ = ::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, handler_);
  }

 private:
  rlimit saved_{};
  sighandler_t handler_ = SIG_DFL;
};

TEST_F(PosixFilesTest, AWriteThatFailsHalfWayLeavesTheOldFileAndNoTemporary) {
  const std::string path = PathOf("p.json");
  Put(path, "old");
  const std::string large(100000, 'x');
  std::string error;
  {
    const FileSizeLimit limit(4096);
    {
      const auto file = PresetFile::Open(path, &error);
      ASSERT_TRUE(file) << error;
      EXPECT_FALSE(file->Replace(large, &error));
      EXPECT_EQ(error, std::string("cannot write the temporary file: ") + std::strerror(EFBIG));
      EXPECT_EQ(file->Text(), "old");
    }
    EXPECT_FALSE(WriteFileAtomically(PathOf("new.json"), large, &error));
    EXPECT_FALSE(WriteFileAtomically(path, large, &error));
  }
  EXPECT_EQ(Get(path), "old");
  EXPECT_THAT(Names(), ElementsAre("p.json"));
}

TEST_F(PosixFilesTest, AnUnwritableDirectoryLeavesTheOldFile) {
  const std::string path = PathOf("p.json");
  Put(path, "old");
  ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
  if (::access(dir_.c_str(), W_OK) == 0) GTEST_SKIP() << "this user may write into any directory";
  std::string error;
  const auto file = PresetFile::Open(path, &error);  // locking and reading need no write access
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(file->Text(), "old");
  EXPECT_FALSE(file->Replace("new", &error));
  EXPECT_THAT(error, HasSubstr("cannot create a file in"));
  EXPECT_EQ(Get(path), "old");
  EXPECT_THAT(Names(), ElementsAre("p.json"));
}

}  // namespace
}  // namespace testing
}  // namespace host
}  // namespace Quenneth
