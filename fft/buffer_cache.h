// Transform buffers kept between products (internal to the fft library).
//
// A fresh buffer of a few megabytes comes from the operating system one page
// at a time: a fault and the clearing of 4 KiB for every page on first
// touch, up to a tenth of a long product's time. Buffers of recent products
// are kept instead (up to FFT_BUFFER_CACHE_BYTES) and handed to the next
// product that needs about as much. Any thread may take or give back one.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

namespace quorvel::detail {

// Raw storage of at least `bytes` bytes, aligned to 64, uninitialised.
void* takeBytes(size_t bytes);
// Gives storage from takeBytes(bytes) back, to be kept or freed.
void giveBackBytes(void* storage, size_t bytes);

template <class T>
struct GiveBack {
  size_t bytes;
  void operator()(T* p) const { giveBackBytes(p, bytes); }
};

// count uninitialised elements of a trivial type.
template <class T>
using Buffer = std::unique_ptr<T[], GiveBack<T>>;

template <class T>
Buffer<T> takeBuffer(size_t count) {
  static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= 64);
  const size_t bytes = count * sizeof(T);
  return Buffer<T>(static_cast<T*>(takeBytes(bytes)), GiveBack<T>{bytes});
}

}  // namespace quorvel::detail
