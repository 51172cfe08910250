// Products of many machine words: packing factors into words, then a
// balanced product tree whose leaves multiply words in place.
//
// A leaf of up to WORD_PRODUCT_MAX_WORDS words is accumulated one word at a
// time (acc <- acc * w, a single pass of mulWordsBy): about c^2 / 2 word
// products for c words, as many as a balanced schoolbook tree would do, in
// one buffer. Above that, halves of equal word count (so of nearly equal
// length, every packed word being close to 64 bits) meet in vnum products;
// the halves of a long product are formed side by side on the task pool.
#include "numtheory/factorials/limits.h"
#include "numtheory/factorials/prime_products.h"
#include "numtheory/words/word_span.h"
#include "platform/abort_flags.h"
#include "platform/task_pool.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

vnum leafProduct(const uint64_t* words, size_t count) {
  std::vector<uint64_t> acc(count + 1, 0);
  acc[0] = 1;
  int32_t n = 1;
  for (size_t i = 0; i < count; ++i) {
    const uint64_t carry = mulWordsBy(acc.data(), acc.data(), n, words[i]);
    if (carry) acc[static_cast<size_t>(n++)] = carry;
  }
  return vnumFromWords(acc.data(), n);
}

}  // namespace

void WordPacker::add(uint64_t factor) {
  const u128 product = static_cast<u128>(open_) * factor;
  if (product >> 64) {
    words_.push_back(open_);
    open_ = factor;
  } else {
    open_ = static_cast<uint64_t>(product);
  }
}

std::vector<uint64_t>& WordPacker::finish() {
  if (open_ != 1) words_.push_back(open_);
  open_ = 1;
  return words_;
}

vnum productOfWords(const uint64_t* words, size_t count) {
  if (count <= static_cast<size_t>(WORD_PRODUCT_MAX_WORDS)) return leafProduct(words, count);
  const size_t half = count / 2;
  vnum left, right;
  if (count >= static_cast<size_t>(WORD_PRODUCT_PARALLEL_MIN_WORDS)) {
    parallelInvoke([&] { left = productOfWords(words, half); },
                   [&] { right = productOfWords(words + half, count - half); });
  } else {
    left = productOfWords(words, half);
    if (isAborted()) return left;
    right = productOfWords(words + half, count - half);
  }
  left *= right;
  return left;
}

bool storeProductOfWords(vnum& result, WordPacker& packer) {
  std::vector<uint64_t>& words = packer.finish();
  vnum product = productOfWords(words.data(), words.size());
  if (isAborted()) return false;
  result = std::move(product);
  return true;
}

}  // namespace quorvel
