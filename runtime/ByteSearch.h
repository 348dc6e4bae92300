// Byte searches and copies for the text hot paths, 16 or 32 bytes at a time
// where the processor has SSE2 (every x86-64 one does): the first occurrence of
// a byte, the copy of a run, and both in one pass. The C runtime under Wine
// searches one byte at a time and copies short runs with string instructions
// that cost several cycles a byte; with lines of some 70 bytes that was most of
// a conversion's time. Inline, since most calls are short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace byte_search_detail {

// Loads and stores of a word at any address; a memcpy of constant size
// compiles to one move.
template <typename Word>
inline Word LoadWord(const char* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

template <typename Word>
inline void StoreWord(char* at, Word word) {
  std::memcpy(at, &word, sizeof word);
}

// Offset of the first byte equal to `byte` among those of `word` (4 or 8,
// little-endian), or -1. The borrow of the subtraction only ever marks bytes
// above a match, so the lowest mark is exact.
template <typename Word>
inline int FirstMatchInWord(Word word, char byte) {
  constexpr Word kOnes = static_cast<Word>(~Word{0}) / 0xFF;
  const Word diff = word ^ (kOnes * static_cast<unsigned char>(byte));
  const Word marks = (diff - kOnes) & ~diff & (kOnes << 7);
  if (!marks) return -1;
  return (sizeof(Word) == 8 ? __builtin_ctzll(marks) : __builtin_ctz(static_cast<unsigned>(marks))) / 8;
}

// Fewer than 16 bytes: one or two overlapping words.
inline const char* FindByteShort(const char* data, size_t length, char byte) {
  if (length >= 8) {
    int at = FirstMatchInWord(LoadWord<uint64_t>(data), byte);
    if (at >= 0) return data + at;
    at = FirstMatchInWord(LoadWord<uint64_t>(data + length - 8), byte);
    return at >= 0 ? data + length - 8 + at : nullptr;
  }
  if (length >= 4) {
    int at = FirstMatchInWord(LoadWord<uint32_t>(data), byte);
    if (at >= 0) return data + at;
    at = FirstMatchInWord(LoadWord<uint32_t>(data + length - 4), byte);
    return at >= 0 ? data + length - 4 + at : nullptr;
  }
  for (size_t i = 0; i < length; ++i)
    if (data[i] == byte) return data + i;
  return nullptr;
}

#if defined(__SSE2__)
inline __m128i Load16(const char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline void Store16(char* at, __m128i bytes) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes);
}

// One bit per byte of the 16 at `at` that equals the byte broadcast in `wanted`.
inline unsigned Matches16(const char* at, __m128i wanted) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(Load16(at), wanted)));
}
#endif

}  // namespace byte_search_detail

// One bit per byte of at[0, 32) that equals `byte`, bit 0 for at[0]. With
// Copy32, the step of loops that search and copy in one pass.
inline uint32_t ByteMask32(const char* at, char byte) {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(byte);
  return byte_search_detail::Matches16(at, wanted) | byte_search_detail::Matches16(at + 16, wanted) << 16;
#else
  uint32_t mask = 0;
  for (unsigned i = 0; i < 32; ++i) mask |= static_cast<uint32_t>(at[i] == byte) << i;
  return mask;
#endif
}

// Copies source[0, 32) to destination, all loaded before any is stored.
inline void Copy32(char* destination, const char* source) {
#if defined(__SSE2__)
  const __m128i low = byte_search_detail::Load16(source), high = byte_search_detail::Load16(source + 16);
  byte_search_detail::Store16(destination, low);
  byte_search_detail::Store16(destination + 16, high);
#else
  char bytes[32];
  std::memcpy(bytes, source, 32);
  std::memcpy(destination, bytes, 32);
#endif
}

// The position of the lowest bit set in a non-zero mask.
inline unsigned LowestBit(uint32_t mask) {
  return static_cast<unsigned>(__builtin_ctz(mask));
}

// The first `byte` in data[0, length), or nullptr; what memchr does. Always
// inline: the compiler would keep one copy, and the call costs more than the
// search of a typical line.
[[gnu::always_inline]] inline const char* FindByte(const char* data, size_t length, char byte) {
  using namespace byte_search_detail;
#if defined(__SSE2__)
  if (length < 16) return FindByteShort(data, length, byte);
  const __m128i wanted = _mm_set1_epi8(byte);
  const char* at = data;
  const char* const end = data + length;
  for (; end - at >= 32; at += 32) {
    const unsigned mask = Matches16(at, wanted) | Matches16(at + 16, wanted) << 16;
    if (mask) return at + __builtin_ctz(mask);
  }
  if (end - at > 16) {
    if (const unsigned mask = Matches16(at, wanted)) return at + __builtin_ctz(mask);
    at += 16;
  }
  if (at == end) return nullptr;
  // The last 16 bytes end at the end; those they share with the bytes before
  // held no match, so their first match is the first one after those.
  at = end - 16;
  const unsigned mask = Matches16(at, wanted);
  return mask ? at + __builtin_ctz(mask) : nullptr;
#else
  return static_cast<const char*>(std::memchr(data, byte, length));
#endif
}

// Copies count bytes from source to destination, which may overlap only when
// destination comes first (a move down, as when a buffer is compacted); what
// memmove does for those. Every piece is loaded before it is stored, and a
// move down never stores over bytes still to be loaded.
inline void CopyBytes(char* destination, const char* source, size_t count) {
  using namespace byte_search_detail;
#if defined(__SSE2__)
  if (count > 32) {
    // The last 32 bytes are taken first: the blocks stored before them may
    // already have overwritten part of them.
    const __m128i last0 = Load16(source + count - 32), last1 = Load16(source + count - 16);
    for (size_t at = 0; at + 32 < count; at += 32) {
      const __m128i a = Load16(source + at), b = Load16(source + at + 16);
      Store16(destination + at, a);
      Store16(destination + at + 16, b);
    }
    Store16(destination + count - 32, last0);
    Store16(destination + count - 16, last1);
    return;
  }
  if (count >= 16) {
    const __m128i head = Load16(source), tail = Load16(source + count - 16);
    Store16(destination, head);
    Store16(destination + count - 16, tail);
    return;
  }
#else
  if (count >= 16) {
    std::memmove(destination, source, count);
    return;
  }
#endif
  if (count >= 8) {
    const uint64_t head = LoadWord<uint64_t>(source), tail = LoadWord<uint64_t>(source + count - 8);
    StoreWord(destination, head);
    StoreWord(destination + count - 8, tail);
  } else if (count >= 4) {
    const uint32_t head = LoadWord<uint32_t>(source), tail = LoadWord<uint32_t>(source + count - 4);
    StoreWord(destination, head);
    StoreWord(destination + count - 4, tail);
  } else if (count > 0) {
    const char first = source[0], middle = source[count / 2], final = source[count - 1];
    destination[0] = first;
    destination[count / 2] = middle;
    destination[count - 1] = final;
  }
}

// Copies source[0, count) up to and including the first `byte` to destination
// (which lies apart from the source, or before it), and returns the number of
// bytes copied: count when there is no such byte. What memccpy does; no byte
// past those copied is stored.
inline size_t CopyThroughByte(char* destination, const char* source, size_t count, char byte) {
  size_t copied = 0;
  for (; count - copied >= 32; copied += 32) {
    if (const uint32_t mask = ByteMask32(source + copied, byte)) {
      const size_t through = copied + LowestBit(mask) + 1;
      CopyBytes(destination + copied, source + copied, through - copied);
      return through;
    }
    Copy32(destination + copied, source + copied);
  }
  const char* found = FindByte(source + copied, count - copied, byte);
  const size_t through = found ? static_cast<size_t>(found - source) + 1 : count;
  CopyBytes(destination + copied, source + copied, through - copied);
  return through;
}
