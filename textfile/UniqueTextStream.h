// An owner for a stream of the text layer, of the same kind as the handle owners.
#pragma once

#include "runtime/UniqueHandle.h"
#include "textfile/TextFile.h"

namespace handle_traits {

// The owner's close drops CloseTextFile's result: it serves the ways out on
// which nothing more is made of the stream. A caller that needs to know the
// last bytes were written closes it itself: CloseTextFile(stream.release()).
struct TextStream {
  using Type = textfile::TextStream*;
  static Type Invalid() { return nullptr; }
  static void Close(Type stream) { textfile::CloseTextFile(stream); }
};

}  // namespace handle_traits

using UniqueTextStream = UniqueHandle<handle_traits::TextStream>;
