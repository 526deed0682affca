// One click on the start button: unpacks the archive named by the window's
// input text into its output directory text, reporting through the window.
// A click while a run is in progress only asks that run to stop after the
// entry it is writing.
#pragma once

#include <cstdint>
#include <string>

#include "archive/disk.h"

namespace pbx {

// Message box styles, with the values the Windows API gives them.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbIconExclamation = 0x30;

// What the run needs of its window. Texts are UTF-8.
class RunWindow {
 public:
  virtual ~RunWindow() = default;

  // The current texts of the two fields, read anew at every call.
  virtual std::string InputPathText() = 0;
  virtual std::string OutputDirText() = 0;

  virtual void ClearList() = 0;
  virtual void AppendListLine(const std::string& line) = 0;
  virtual void SetActCaption(const std::string& caption) = 0;
  virtual void SetProgressText(const std::string& text) = 0;

  virtual bool Running() = 0;
  virtual void SetRunning(bool value) = 0;
  virtual bool StopRequested() = 0;
  virtual void SetStopRequested(bool value) = 0;

  // Handles every pending event, then returns. A click on the start button
  // handled here calls RunExtraction again.
  virtual void ProcessMessages() = 0;
  // A modal box; returns when it has been dismissed.
  virtual void MessageBox(const std::string& text, const std::string& caption,
                          unsigned style) = 0;

  // Called after entry `number` (from 1) of `count` has been written and
  // closed, with its size. For progress displays; the default does nothing.
  virtual void EntryWritten(int32_t number, int32_t count, int64_t size) {
    (void)number, (void)count, (void)size;
  }
};

// How a call of RunExtraction ended.
enum class RunOutcome {
  kStopRequested,      // a run was in progress; it was asked to stop
  kCannotRead,         // "ファイルが読めません"
  kNotArchive,         // "ソラネムのファイルじゃなさそうよ。"
  kCannotCreateDir,    // "ここにはディレクトリつくれないよ。..."
  kCannotWrite,        // "ファイルが書けないよ"
  kStopped,            // stopped by request with entries left unwritten
  kCompleted,          // every entry written
};

// The texts the run shows.
inline constexpr char kCaptionIdle[] = "どきどき";
inline constexpr char kCaptionRunning[] = "あん、やめて";
inline constexpr char kMsgCannotRead[] = "ファイルが読めません";
inline constexpr char kMsgNotArchive[] = "ソラネムのファイルじゃなさそうよ。";
inline constexpr char kMsgWillCreateDir[] = "ディレクトリをつくっちゃうよ";
inline constexpr char kMsgCannotCreateDir[] =
    "ここにはディレクトリつくれないよ。\n出力ディレクトリ先がCD-ROMだったりしない?";
inline constexpr char kMsgCannotWrite[] = "ファイルが書けないよ";
inline constexpr char kCaptionError[] = "エラー";
inline constexpr char kCaptionWillCreate[] = "つくっちゃう";
inline constexpr char kCaptionNo[] = "だめ";

// " %03d / %03d"
std::string ProgressText(int32_t number, int32_t count);

RunOutcome RunExtraction(RunWindow& window, Disk& disk = NativeDisk());

}  // namespace pbx
