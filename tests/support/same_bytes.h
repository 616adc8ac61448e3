#pragma once
// Compares binary contents without printing them: a failure names the sizes
// and the first offset where they differ.

#include <gtest/gtest.h>

#include <string>

namespace cv::test {

inline ::testing::AssertionResult SameBytes(const std::string& actual,
                                            const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure()
         << "contents differ: " << actual.size() << " bytes against " << expected.size()
         << " expected, first difference at " << at;
}

}  // namespace cv::test
