#pragma once
// The paged-image body of the picture-text (type 8) and table (type 19)
// areas: the tool renders the text into page bitmaps, and the player brings
// the pages in one after another with the item's entry effect. Effects 5 and
// 7 push each page in directly behind the one before, so the pages of a
// cycle (and the next cycle's first page) form one continuous scroll.

#include "core/AreaContext.h"

namespace led {

enum class PagedKind { PictureText, Table };

void RunPagedArea(const AreaContext& context, PagedKind kind);

inline void RunPictureTextArea(const AreaContext& c) { RunPagedArea(c, PagedKind::PictureText); }
inline void RunTableArea(const AreaContext& c) { RunPagedArea(c, PagedKind::Table); }

}  // namespace led
