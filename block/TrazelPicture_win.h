// TrazelPicture: the plot window's background picture, read from its file (a Windows metafile or
// bitmap) and stretched into a rectangle of a device context. What was read is kept until the
// file name, the file's size or its time of last writing changes, so that a repaint neither reads
// the file again nor reports the same unreadable file again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "block/TrazelBitmap.h"
#include "block/TrazelMetafile.h"
#include "graphic/WinHandles_win.h"

// Files larger than this are not read.
constexpr uint64_t kMaxPictureFileBytes = uint64_t(256) << 20;

class TBackgroundPicture {
 public:
  enum class TState {
    None,        // the name names no existing file: no picture
    Ready,       // the picture was read and can be drawn
    Unreadable,  // the file exists but holds no picture that can be read
  };

  // Looks at the named file and reads it when it is not the file read last time.
  TState Refresh(const std::string& fileName);
  TState State() const { return state_; }

  // Why the file is unreadable (Unreadable only).
  const std::string& Fault() const { return fault_; }
  // True from a failed read until TakeNewFault.
  bool HasNewFault() const { return newFault_; }
  // The fault of the last failed read the first time it is asked for; empty afterwards.
  std::string TakeNewFault();

  // Stretches the picture over r of dc (nothing unless Ready). The device context's mapping,
  // clipping and drawing modes are the same afterwards.
  void Draw(HDC dc, const RECT& r) const;

 private:
  struct TFileKey {
    std::string Name;
    uint64_t Size = 0;
    uint64_t WriteTime = 0;
    bool operator==(const TFileKey& o) const {
      return Name == o.Name && Size == o.Size && WriteTime == o.WriteTime;
    }
  };

  void Forget();
  void Load(const std::string& fileName);
  std::string LoadMetafile(const std::vector<uint8_t>& bytes);
  std::string LoadBitmap(const std::vector<uint8_t>& bytes);
  void DrawBitmap(HDC dc, const RECT& r) const;
  void DrawMetafile(HDC dc, const RECT& r) const;

  TState state_ = TState::None;
  std::optional<TFileKey> key_;
  std::string fault_;
  bool newFault_ = false;
  std::optional<TBitmapPicture> bitmap_;
  win::TUniqueMetaFile metafile_;
  TMetafileFrame frame_;
};
