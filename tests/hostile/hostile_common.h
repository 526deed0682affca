// Shared by the hostile-archive tests: a temporary folder holding an
// archive and a window pointed at it, and the checks every run must pass.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/extraction_run.h"
#include "tests/archive/test_util.h"

namespace pbx::hostile {

inline const std::string kWarn = std::to_string(kMbOk | kMbIconExclamation);

inline std::string Box(const char* text, const char* caption, const std::string& style) {
  return std::string(text) + "|" + caption + "|" + style;
}

inline const std::string kNoticeBox =
    Box(kMsgWillCreateDir, kCaptionWillCreate, std::to_string(kMbOk));
inline const std::string kCannotWriteBox = Box(kMsgCannotWrite, kCaptionError, kWarn);
inline const std::string kNotArchiveBox = Box(kMsgNotArchive, kCaptionError, kWarn);

// <tmp>/game.pbx and the output directory <tmp>/game.
struct Sandbox {
  test::TempDir tmp;
  test::ScriptedWindow window;
  std::string out;

  explicit Sandbox(const std::string& archive_bytes) : out(tmp / "game") {
    test::WriteFile(tmp / "game.pbx", archive_bytes);
    window.input_path = tmp / "game.pbx";
    window.output_dir = out;
  }
  RunOutcome Run() { return RunExtraction(window); }
  std::string Out(const std::string& name) const { return test::ReadFile(out + "/" + name); }
};

// Both flags at 0 and the idle caption, as after every end of a run.
inline void ExpectIdle(const test::ScriptedWindow& w) {
  EXPECT_FALSE(w.running);
  EXPECT_FALSE(w.stop_requested);
  EXPECT_EQ(w.caption, kCaptionIdle);
}

}  // namespace pbx::hostile
