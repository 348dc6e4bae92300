// The glyph lists of every image size in use, shared by all button glyphs.
#pragma once

#include <memory>
#include <vector>

#include "Buttons/GlyphList.h"

// The process-wide collection of glyph lists, at most one per image size.
class TGlyphCache {
public:
  TGlyphCache() = default;
  TGlyphCache(const TGlyphCache&) = delete;
  TGlyphCache& operator=(const TGlyphCache&) = delete;

  // The list for images of that size, made when there is none yet. Not owned by the caller.
  TGlyphList* ListForSize(int width, int height);
  // Destroys the list when none of its slots is in use any more; null does nothing.
  void ReturnList(TGlyphList* list);
  bool IsEmpty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

private:
  std::vector<std::unique_ptr<TGlyphList>> lists_;  // owned
};
