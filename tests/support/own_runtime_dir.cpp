// Linked into every test that opens windows on the real platform: the process gets a runtime
// directory and a single-copy scope of its own before any test starts, so the single-copy claim
// of a game the player is running, or of another test, is never met (and never stops that game
// from starting).
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

class OwnRuntimeDirectory {
 public:
  OwnRuntimeDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornek-runtime-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;  // the lock then finds its own place
    path_ = pattern;
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
    setenv("VORNEK_INSTANCE_SCOPE", path_.c_str(), 1);
  }
  ~OwnRuntimeDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::string path_;
};

OwnRuntimeDirectory own;

}  // namespace
