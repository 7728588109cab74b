// preset_file_test.h: the scratch directory the file layer's tests work in, shared by the portable and the
// platform tests.
#ifndef QENPROPERTIES_HOST_PRESET_FILE_TEST_H_
#define QENPROPERTIES_HOST_PRESET_FILE_TEST_H_

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

namespace Quenneth {
namespace host {
namespace testing {

namespace fs = std::filesystem;

// ScratchDirTest gives each test an empty directory of its own, removed afterwards.
class ScratchDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      const fs::path candidate = fs::temp_directory_path() / ("qen-files-" + std::to_string(random()));
      std::error_code ec;
      if (fs::create_directory(candidate, ec)) dir_ = candidate;
    }
    ASSERT_FALSE(dir_.empty()) << "cannot make a scratch directory";
  }

  void TearDown() override {
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(dir_, ec)) {
      if (entry.is_directory(ec)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  // PathOf gives the UTF-8 path of `name` (a relative UTF-8 path) inside the scratch directory.
  std::string PathOf(const std::string& name) const { return (dir_ / fs::u8path(name)).u8string(); }

  static void Put(const std::string& path, const std::string& content) {
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
  }

  static std::string Get(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Names lists the entries of a directory of the scratch directory ("" for itself), sorted, as UTF-8.
  std::vector<std::string> Names(const std::string& sub = "") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(sub.empty() ? dir_ : dir_ / fs::u8path(sub))) {
      names.push_back(entry.path().filename().u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

}  // namespace testing
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PRESET_FILE_TEST_H_
