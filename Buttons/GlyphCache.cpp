// The glyph lists of every image size in use, shared by all button glyphs.
#include "Buttons/GlyphCache.h"

#include <algorithm>

TGlyphList* TGlyphCache::ListForSize(int width, int height) {
  for (auto list = lists_.rbegin(); list != lists_.rend(); ++list)
    if ((*list)->Width() == width && (*list)->Height() == height) return list->get();
  // Made before it is appended, so that a size the list refuses leaves nothing behind.
  auto list = std::make_unique<TGlyphList>(width, height);
  lists_.push_back(std::move(list));
  return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->UsedCount() != 0) return;
  const auto found =
      std::find_if(lists_.begin(), lists_.end(), [list](const auto& held) { return held.get() == list; });
  if (found != lists_.end()) lists_.erase(found);
}
