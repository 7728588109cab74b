// The file layer's behaviour on every platform: bounded reading, the locked read-modify-write of a preset,
// atomic replacement, and the temporary files it leaves (none).
#include "qenproperties/host/preset_file.h"

#include <chrono>
#include <future>
#include <set>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "qenproperties/host/internal/temp_name.h"
#include "qenproperties/host/preset_file_test.h"

namespace Quenneth {
namespace host {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// How long a waiter is given to show that it is (wrongly) not waiting.
constexpr std::chrono::milliseconds kPatience{300};

using ReadBoundedFileTest = ScratchDirTest;

TEST_F(ReadBoundedFileTest, ReadsEveryByteAsItIs) {
  std::string content("a\0b\r\n\xff\xfe", 7);
  while (content.size() < 200000) content += content;  // several read chunks
  Put(PathOf("f.bin"), content);
  std::string read;
  std::string error;
  ASSERT_TRUE(ReadBoundedFile(PathOf("f.bin"), &read, &error)) << error;
  EXPECT_EQ(read, content);
}

TEST_F(ReadBoundedFileTest, AMissingFileIsAnErrorOnlyWhenItMustExist) {
  std::string content = "kept";
  std::string error;
  EXPECT_FALSE(ReadBoundedFile(PathOf("none.json"), &content, &error));
  EXPECT_EQ(error, "No such file or directory");
  EXPECT_EQ(content, "kept");

  bool exists = true;
  error.clear();
  EXPECT_TRUE(ReadBoundedFileIfExists(PathOf("none.json"), &content, &exists, &error));
  EXPECT_FALSE(exists);
  EXPECT_EQ(content, "");
  EXPECT_EQ(error, "");
}

TEST_F(ReadBoundedFileTest, RefusesADirectory) {
  fs::create_directory(dir_ / "sub");
  std::string content = "kept";
  std::string error;
  bool exists = false;
  EXPECT_FALSE(ReadBoundedFile(PathOf("sub"), &content, &error));
  EXPECT_EQ(error, "it is a directory, not a regular file");
  error.clear();
  EXPECT_FALSE(ReadBoundedFileIfExists(PathOf("sub"), &content, &exists, &error));
  EXPECT_EQ(error, "it is a directory, not a regular file");
  EXPECT_EQ(content, "kept");
}

TEST_F(ReadBoundedFileTest, RefusesFilesAboveTheLimitAndSaysWhichLimit) {
  Put(PathOf("k.txt"), std::string(1024, 'x'));
  std::string content;
  std::string error;
  EXPECT_TRUE(ReadBoundedFile(PathOf("k.txt"), &content, &error, 1024)) << error;
  EXPECT_FALSE(ReadBoundedFile(PathOf("k.txt"), &content, &error, 1023));
  EXPECT_EQ(error, "it is larger than the 1023 bytes limit");
  EXPECT_FALSE(ReadBoundedFile(PathOf("k.txt"), &content, &error, 0));
  EXPECT_EQ(error, "it is larger than the 0 bytes limit");

  Put(PathOf("big.bin"), "");
  fs::resize_file(dir_ / "big.bin", kDefaultMaxFileBytes + 1);  // sparse where the file system allows
  EXPECT_FALSE(ReadBoundedFile(PathOf("big.bin"), &content, &error));
  EXPECT_EQ(error, "it is larger than the 64 MiB limit");
  EXPECT_FALSE(ReadBoundedFile(PathOf("big.bin"), &content, &error, 2048));
  EXPECT_EQ(error, "it is larger than the 2 KiB limit");
}

using PresetFileTest = ScratchDirTest;

// OpenElsewhere starts PresetFile::Open on another thread.
std::future<std::unique_ptr<PresetFile>> OpenElsewhere(const std::string& path) {
  return std::async(std::launch::async, [path] {
    std::string ignored;
    return PresetFile::Open(path, &ignored);
  });
}

TEST_F(PresetFileTest, AMissingPresetIsCreatedOnlyByReplace) {
  const std::string path = PathOf("p.json");
  std::string error;
  {
    const auto file = PresetFile::Open(path, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_FALSE(file->Exists());
    EXPECT_EQ(file->Text(), "");
  }
  EXPECT_THAT(Names(), IsEmpty()) << "opening a missing preset left something behind";

  const auto file = PresetFile::Open(path, &error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->Replace("{\"first\": 1}\n", &error)) << error;
  EXPECT_TRUE(file->Exists());
  EXPECT_EQ(file->Text(), "{\"first\": 1}\n");
  EXPECT_EQ(Get(path), "{\"first\": 1}\n");
}

TEST_F(PresetFileTest, ReplaceWritesTheWholeFileEachTimeAndLeavesNothingBeside) {
  const std::string path = PathOf("p.json");
  Put(path, "old content that is longer than the new one");
  std::string error;
  {
    const auto file = PresetFile::Open(path, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_TRUE(file->Exists());
    EXPECT_EQ(file->Text(), "old content that is longer than the new one");
    ASSERT_TRUE(file->Replace("new", &error)) << error;
    EXPECT_EQ(Get(path), "new");
    ASSERT_TRUE(file->Replace("", &error)) << error;
    EXPECT_EQ(Get(path), "");
    ASSERT_TRUE(file->Replace("newest", &error)) << error;
    EXPECT_EQ(file->Text(), "newest");
  }
  EXPECT_EQ(Get(path), "newest");
  EXPECT_THAT(Names(), ElementsAre("p.json"));
}

TEST_F(PresetFileTest, WriteFileAtomicallyCreatesAndReplaces) {
  const std::string path = PathOf("s.json");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "one", &error)) << error;
  EXPECT_EQ(Get(path), "one");
  ASSERT_TRUE(WriteFileAtomically(path, "two", &error)) << error;
  EXPECT_EQ(Get(path), "two");
  EXPECT_THAT(Names(), ElementsAre("s.json"));

  EXPECT_FALSE(WriteFileAtomically(PathOf("no-such-dir/s.json"), "three", &error));
  EXPECT_THAT(error, HasSubstr("cannot open the directory"));
  EXPECT_THAT(Names(), ElementsAre("s.json"));
}

TEST_F(PresetFileTest, RefusesWhatIsNotARegularFileAndLeavesItAlone) {
  fs::create_directory(dir_ / "p.json");
  Put(PathOf("p.json/inside"), "x");
  std::string error;
  EXPECT_FALSE(PresetFile::Open(PathOf("p.json"), &error));
  EXPECT_EQ(error, "it is a directory, not a regular file");
  error.clear();
  EXPECT_FALSE(WriteFileAtomically(PathOf("p.json"), "text", &error));
  EXPECT_EQ(error, "it is a directory, not a regular file");
  EXPECT_TRUE(fs::is_directory(dir_ / "p.json"));
  EXPECT_EQ(Get(PathOf("p.json/inside")), "x");
  EXPECT_THAT(Names(), ElementsAre("p.json"));
}

TEST_F(PresetFileTest, OpenRefusesAPresetAboveTheLimitAndReleasesTheLock) {
  const std::string path = PathOf("p.json");
  Put(path, std::string(2000, 'x'));
  std::string error;
  EXPECT_FALSE(PresetFile::Open(path, &error, 1000));
  EXPECT_EQ(error, "it is larger than the 1000 bytes limit");
  const auto file = PresetFile::Open(path, &error);  // would wait forever if the lock were still held
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(file->Text().size(), 2000u);
}

TEST_F(PresetFileTest, AFailedRenameRemovesTheTemporaryFile) {
  const std::string path = PathOf("p.json");
  Put(path, "old");
  std::string error;
  {
    const auto file = PresetFile::Open(path, &error);
    ASSERT_TRUE(file) << error;
    // Someone outside the lock puts a directory where the preset was: the rename over it must fail.
    fs::remove(dir_ / "p.json");
    fs::create_directory(dir_ / "p.json");
    Put(PathOf("p.json/inside"), "x");
    EXPECT_FALSE(file->Replace("new", &error));
    EXPECT_THAT(error, HasSubstr("cannot rename the temporary file over p.json"));
    EXPECT_EQ(file->Text(), "old");
  }
  EXPECT_THAT(Names(), ElementsAre("p.json"));
  EXPECT_THAT(Names("p.json"), ElementsAre("inside"));
}

TEST_F(PresetFileTest, TheNextHolderRemovesTemporaryFilesOfKilledWritersAndNothingElse) {
  const std::vector<std::string> stale = {".p.json.tmp-0123456789az", ".p.json.tmp-zzzzzzzzzzzz"};
  // Near misses that are other files on every file system (one that ignores case included).
  const std::vector<std::string> kept = {
      "p.json.tmp",                 // another program's name
      ".p.json.tmp-0123456789_z",   // not of the alphabet
      ".p.json.tmp-0123456789a",    // too short
      ".p.json.tmp-0123456789abc",  // too long
      ".q.json.tmp-0123456789az",   // another target's
      "p.json.tmp-0123456789az",    // not hidden
  };
  for (const auto& name : stale) Put(PathOf(name), "half a document");
  for (const auto& name : kept) Put(PathOf(name), "someone's");
  Put(PathOf("p.json"), "old");

  std::string error;
  ASSERT_TRUE(PresetFile::Open(PathOf("p.json"), &error)) << error;
  std::vector<std::string> expected = kept;
  expected.push_back("p.json");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(), expected);

  for (const auto& name : stale) Put(PathOf(name), "half a document");
  ASSERT_TRUE(WriteFileAtomically(PathOf("p.json"), "new", &error)) << error;
  EXPECT_EQ(Names(), expected);
  for (const auto& name : kept) EXPECT_EQ(Get(PathOf(name)), "someone's") << name;
}

TEST_F(PresetFileTest, AWaiterWaitsUntilTheHolderIsDoneEvenAcrossReplace) {
  const std::string path = PathOf("p.json");
  Put(path, "0");
  std::future<std::unique_ptr<PresetFile>> waiter;  // destroyed last: it joins after the holder lets go
  std::string error;
  auto holder = PresetFile::Open(path, &error);
  ASSERT_TRUE(holder) << error;
  waiter = OpenElsewhere(path);
  EXPECT_EQ(waiter.wait_for(kPatience), std::future_status::timeout) << "two holders at once";
  ASSERT_TRUE(holder->Replace("1", &error)) << error;
  EXPECT_EQ(waiter.wait_for(kPatience), std::future_status::timeout) << "the lock stayed on the replaced file";
  ASSERT_TRUE(holder->Replace("2", &error)) << error;
  holder.reset();
  const auto next = waiter.get();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->Text(), "2");
}

TEST_F(PresetFileTest, CreatorsOfAMissingPresetWaitForEachOther) {
  const std::string path = PathOf("p.json");
  std::future<std::unique_ptr<PresetFile>> waiter;
  std::string error;
  auto holder = PresetFile::Open(path, &error);
  ASSERT_TRUE(holder) << error;
  ASSERT_FALSE(holder->Exists());
  waiter = OpenElsewhere(path);
  EXPECT_EQ(waiter.wait_for(kPatience), std::future_status::timeout) << "two creators at once";
  ASSERT_TRUE(holder->Replace("created", &error)) << error;
  EXPECT_EQ(waiter.wait_for(kPatience), std::future_status::timeout) << "a creator let a writer in";
  holder.reset();
  const auto next = waiter.get();
  ASSERT_TRUE(next);
  EXPECT_TRUE(next->Exists());
  EXPECT_EQ(next->Text(), "created");
}

TEST_F(PresetFileTest, ConcurrentReadModifyWriteLosesNoUpdate) {
  const std::string path = PathOf("counter");
  Put(path, "0");
  constexpr int kThreads = 4;
  constexpr int kRounds = 20;
  std::vector<std::thread> threads;
  std::vector<std::string> errors(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds && errors[t].empty(); ++round) {
        const auto file = PresetFile::Open(path, &errors[t]);
        if (file && !file->Replace(std::to_string(std::stoi(file->Text()) + 1), &errors[t])) break;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& error : errors) EXPECT_EQ(error, "");
  EXPECT_EQ(Get(path), std::to_string(kThreads * kRounds));
  EXPECT_THAT(Names(), ElementsAre("counter"));
}

// The temporary names: exact, so that removing leftovers touches nothing else.
TEST(TempNameTest, NamesAreFreshAndRecognisedOnlyForTheirTarget) {
  std::set<std::string> names;
  for (int i = 0; i < 100; ++i) {
    const std::string name = detail::NewTempName("p.json");
    EXPECT_TRUE(detail::IsTempNameOf(name, "p.json")) << name;
    EXPECT_FALSE(detail::IsTempNameOf(name, "p.jso")) << name;
    EXPECT_FALSE(detail::IsTempNameOf(name, "json")) << name;
    EXPECT_FALSE(detail::IsTempNameOf(name, "p.json.tmp")) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 100u);
}

TEST(TempNameTest, NearMissesAreNotTempNames) {
  EXPECT_TRUE(detail::IsTempNameOf(".p.json.tmp-0123456789az", "p.json"));
  for (const char* name :
       {".p.json.tmp-0123456789AZ", ".p.json.tmp-0123456789a.", ".p.json.tmp-0123456789a", ".p.json.tmp-0123456789abc",
        "p.json.tmp-0123456789az", ".p.json.tmp+0123456789az", ".p.json.tmp-", ".p.json", ""}) {
    EXPECT_FALSE(detail::IsTempNameOf(name, "p.json")) << name;
  }
  EXPECT_FALSE(detail::IsTempNameOf(".p.json.tmp-0123456789az", "P.json"));
}

}  // namespace
}  // namespace testing
}  // namespace host
}  // namespace Quenneth
