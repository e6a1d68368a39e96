// The list builders' quicksort: any order of input, strings without regard to case, bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/text/pascal_strings.h"
#include "shell/base/sort_array.h"

namespace {

int32_t CompareInts(void* base, int32_t i, int32_t j) {
  auto* v = static_cast<int32_t*>(base);
  return v[i] < v[j] ? -1 : v[i] > v[j] ? 1 : 0;
}
void SwapInts(void* base, int32_t i, int32_t j) { std::swap(static_cast<int32_t*>(base)[i], static_cast<int32_t*>(base)[j]); }

TEST(SortArray, SortsEveryShapeOfInput) {
  std::mt19937 random(7);
  std::vector<std::vector<int32_t>> inputs = {{}, {1}, {2, 1}, {3, 3, 3, 3}};
  std::vector<int32_t> ascending(1000), descending(1000), noisy(1000), fewValues(1000);
  for (int i = 0; i < 1000; ++i) {
    ascending[i] = i;
    descending[i] = 1000 - i;
    noisy[i] = int32_t(random() % 100000) - 50000;
    fewValues[i] = int32_t(random() % 3);
  }
  inputs.insert(inputs.end(), {ascending, descending, noisy, fewValues});
  for (std::vector<int32_t> v : inputs) {
    std::vector<int32_t> expected = v;
    std::sort(expected.begin(), expected.end());
    SortArray(v.data(), int32_t(v.size()), CompareInts, SwapInts);
    EXPECT_EQ(v, expected);
  }
}

TEST(SortArray, StringsSortWithoutRegardToCase) {
  std::vector<std::string> words = {"delta", "Alpha", "charlie", "bravo", "ALPHA2"};
  std::vector<Str255> texts(words.size());
  std::vector<ConstStringPtr> items;
  for (size_t i = 0; i < words.size(); ++i) {
    CopyCStringToPascal(words[i].c_str(), texts[i]);
    items.push_back(texts[i]);
  }
  SortArray(items.data(), int32_t(items.size()), nullptr, nullptr);
  std::vector<std::string> sorted;
  for (ConstStringPtr p : items) sorted.emplace_back(reinterpret_cast<const char*>(p + 1), p[0]);
  EXPECT_EQ(sorted, (std::vector<std::string>{"Alpha", "ALPHA2", "bravo", "charlie", "delta"}));
}

TEST(SortArray, SignedBytesEitherWay) {
  int8_t bytes[] = {5, -3, 127, -128, 0};
  SortSignedBytes(bytes, 5, false);
  EXPECT_EQ(std::vector<int8_t>(bytes, bytes + 5), (std::vector<int8_t>{-128, -3, 0, 5, 127}));
  SortSignedBytes(bytes, 5, true);
  EXPECT_EQ(std::vector<int8_t>(bytes, bytes + 5), (std::vector<int8_t>{127, 5, 0, -3, -128}));
}

}  // namespace
