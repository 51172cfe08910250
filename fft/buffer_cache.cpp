// takeBytes and giveBackBytes: the cache of transform buffers.
#include "fft/buffer_cache.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "fft/limits.h"

namespace quorvel::detail {
namespace {

constexpr std::align_val_t ALIGNMENT{64};

struct Kept {
  void* storage;
  size_t bytes;
};

struct BufferCache {
  std::mutex mutex;
  std::vector<Kept> kept;  // most recently given back last
  size_t bytes = 0;
};

BufferCache& bufferCache() {
  // Never destroyed: an abandoned worker may still give buffers back while
  // the process exits.
  static BufferCache* const cache = new BufferCache;
  return *cache;
}

}  // namespace

void* takeBytes(size_t bytes) {
  if (bytes >= FFT_BUFFER_CACHE_MIN_BYTES) {
    BufferCache& cache = bufferCache();
    const std::lock_guard lock(cache.mutex);
    // The smallest kept buffer that holds the request without wasting more
    // than half of it.
    auto best = cache.kept.end();
    for (auto it = cache.kept.begin(); it != cache.kept.end(); ++it) {
      if (it->bytes >= bytes && it->bytes <= bytes + bytes / 2 && (best == cache.kept.end() || it->bytes < best->bytes))
        best = it;
    }
    if (best != cache.kept.end()) {
      void* storage = best->storage;
      cache.bytes -= best->bytes;
      cache.kept.erase(best);
      return storage;
    }
  }
  return ::operator new(bytes, ALIGNMENT);
}

void giveBackBytes(void* storage, size_t bytes) {
  // A kept buffer serves requests of up to its size, so it is remembered at
  // the size it was taken for; one of a larger size taken back is kept at
  // that smaller size, a loss of at most half.
  if (bytes >= FFT_BUFFER_CACHE_MIN_BYTES && bytes <= FFT_BUFFER_CACHE_BYTES) {
    BufferCache& cache = bufferCache();
    std::vector<Kept> dropped;
    {
      const std::lock_guard lock(cache.mutex);
      cache.kept.push_back({storage, bytes});
      cache.bytes += bytes;
      while (cache.bytes > FFT_BUFFER_CACHE_BYTES) {
        dropped.push_back(cache.kept.front());
        cache.bytes -= cache.kept.front().bytes;
        cache.kept.erase(cache.kept.begin());
      }
    }
    for (const Kept& k : dropped) ::operator delete(k.storage, ALIGNMENT);
    return;
  }
  ::operator delete(storage, ALIGNMENT);
}

}  // namespace quorvel::detail
